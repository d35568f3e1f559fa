// Daily log files: <LogDir>/<yyyymmdd>-<IdName>.log, one line per message,
// nine fields joined by the byte 0xB6 and ended by CR LF. Each append opens,
// writes and closes the file, so other programs may read it at any time.
#pragma once

#include "platform/Clock.h"
#include "platform/Result.h"
#include "settings/Options.h"
#include "reception/ReceptionHandler.h"
#include "reception/SyslogMessage.h"

#include <string>
#include <string_view>

namespace qm {

inline constexpr char kLogFieldSeparator = '\xB6';

// Appends bytes to an existing file (never creates it). A write that fails
// part way is cut back, so no partial line stays behind.
Result AppendLogLine(const std::string& path, std::string_view line);

// "File not found", "File access denied" or "I/O error %d".
std::string IoErrorText(int code);

// The nine fields joined by 0xB6, then CR LF, into `line` (reused).
void BuildLogLine(const SyslogMessage& message, std::string& line);

// An ID name that can be a file name here: no separator, no NUL, not "." or "..".
bool IsValidLogName(std::string_view name);

class LogWriter : public MessageLog {
public:
    LogWriter(const Options& options, const Clock& clock);

    enum class Prepared { Ok, LogDirUnavailable };

    // Creates the day's empty files when forced or on a new day; creates the
    // log folder (its last component only) when missing.
    Prepared PrepareDayFiles(bool forced);

    Appended AppendMessage(const SyslogMessage& message, std::string& failure) override;

    // yyyymmdd of the day the files were last prepared for.
    const std::string& LastLogDay() const { return lastLogDay_; }
    void SetLastLogDay(std::string day) { lastLogDay_ = std::move(day); }

    // The file a message of `idName` on `day` goes to.
    std::string LogFilePath(std::string_view day, std::string_view idName) const;

private:
    void CreateDayFiles(const std::string& day);
    void CreateEmpty(std::string_view day, std::string_view name);

    const Options& options_;
    const Clock& clock_;
    std::string lastLogDay_;
    std::string today_;
    std::string path_;
    std::string line_;
    // The folder was found or made; checked again after a failed append.
    bool dirChecked_ = false;
    // Set once the folder cannot be made: nothing more is written.
    bool dirUnavailable_ = false;
    // A failed append re-creates the day's files at the next message, so one
    // deleted file costs one message, not the rest of the day.
    bool recreate_ = false;
};

} // namespace qm
