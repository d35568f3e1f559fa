// Daily log files: <LogDir>/<yyyymmdd>-<IdName>.log, one line per message,
// nine fields joined by the byte 0xB6 and ended by CR LF.
//
// The lines of one run of datagrams (what one hand-over from the reader
// passes on) are collected per file and written with one open, write and
// close per file, in the order of each file's first line. No file is held
// open between runs, so other programs may read, move or delete the files at
// any time; a run of one datagram is one open, one write and one close.
#pragma once

#include "platform/DayFiles.h"
#include "reception/Columns.h"
#include "settings/Options.h"
#include "reception/SyslogMessage.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace qm {

inline constexpr char kLogFieldSeparator = '\xB6';

// The nine fields joined by 0xB6, then CR LF, into `line` (reused).
void BuildLogLine(const SyslogMessage& message, std::string& line);

// <logDir><separator><day>-<idName>.log: the one place a day file's name is made.
std::string DayFilePath(std::string_view logDir, std::string_view day, std::string_view idName);

class LogWriter {
public:
    LogWriter(const Options& options, const Clock& clock, DayFileSystem& files);

    enum class Prepared { Ok, LogDirUnavailable };

    // Creates the day's empty files when forced or on a new day; creates the
    // log folder (its last component only) when missing.
    Prepared PrepareDayFiles(bool forced);

    // What became of one message's line.
    enum class LineState : std::uint8_t { Pending, Written, Failed, LogDirUnavailable };
    static constexpr int kNotLogged = -1;

    // Collects the message's line for the run in hand and returns its number
    // in the run, or kNotLogged when it is not to be written (no ID match and
    // unknown IDs not logged). The day's files are prepared before the run's
    // first line and again where a line's day differs from the one before
    // (what was collected for the old day is written first).
    int Collect(const SyslogMessage& message);
    // Writes what the run collected. Every line is then Written or failed.
    void WriteRun();
    LineState State(int line) const { return lines_[static_cast<std::size_t>(line)].state; }
    // The I/O error of a failed line ("File not found", ...).
    const std::string& Failure(int line) const;
    // Forgets the run's lines once they are settled.
    void StartRun();

    // yyyymmdd of the day the files were last prepared for.
    const std::string& LastLogDay() const { return lastLogDay_; }
    void SetLastLogDay(std::string day) { lastLogDay_ = std::move(day); }

private:
    struct RunLine {
        std::size_t end = 0; // where the line ends in its file's buffer
        LineState state = LineState::Pending;
        std::uint32_t failure = 0; // in failures_
    };
    struct RunFile {
        std::string path;
        std::string bytes;
        std::vector<std::uint32_t> lines; // in arrival order
    };

    Prepared Prepare(bool forced, const std::string& today);
    void CreateDayFiles(std::string_view day);
    int NewLine(LineState state, const std::string& failure);
    RunFile& FileFor(const std::string& idName);
    void WriteSegment();
    void WriteFile(RunFile& file);
    void Settle(std::uint32_t line, LineState state, const std::string& failure);

    const Options& options_;
    const Clock& clock_;
    DayFileSystem& files_;
    std::string lastLogDay_;
    // The folder was found or made; checked again after a failed append.
    bool dirChecked_ = false;
    // Set once the folder cannot be made: nothing more is written.
    bool dirUnavailable_ = false;
    // A failed append re-creates the day's files, so one deleted file costs
    // one message, not the rest of the day.
    bool recreate_ = false;

    // The run in hand. Lines of one day form a segment, written before the
    // next day's lines are collected.
    std::vector<RunLine> lines_;
    std::vector<std::string> failures_;
    std::vector<RunFile> runFiles_; // the first filesInUse_ hold this segment's files
    std::size_t filesInUse_ = 0;
    std::unordered_map<std::string, std::size_t> fileOf_; // ID name -> runFiles_ index
    std::string segmentDay_;
    bool segmentOpen_ = false;
};

} // namespace qm
