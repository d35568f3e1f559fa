// The body of the main window's datagram handler: stamp, decode, classify,
// log, admit. Qt-free, so tests run it without a socket or a window.
#pragma once

#include "Classification.h"
#include "Clock.h"
#include "Options.h"
#include "ProcessTable.h"
#include "SyslogMessage.h"

#include <string>
#include <string_view>

namespace qm {

// Where classified messages are logged.
class MessageLog {
public:
    enum class Result {
        Written,
        Skipped,           // nothing to write (no ID match, unknown IDs not logged)
        Failed,            // the I/O error text is in `failure`
        LogDirUnavailable, // the log folder cannot be created: the program shuts down
    };
    virtual ~MessageLog() = default;
    virtual Result AppendMessage(const SyslogMessage& message, std::string& failure) = 0;
};

enum class HandleOutcome {
    NotListening, // dropped unseen
    Failed,       // abandoned; Failure() holds the text for the error box
    Rejected,     // classified (and logged when logging is on), not admitted
    Admitted,     // to be added to the process table
    Shutdown,     // the log folder cannot be created
};

class ReceptionHandler {
public:
    // `table` receives admitted messages and is trimmed to LimitRows; without
    // one, the caller does both.
    ReceptionHandler(const Options& options, const Clock& clock, MessageLog& log,
                     ProcessTable* table = nullptr)
        : options_(options), clock_(clock), log_(log), table_(table) {}

    HandleOutcome Handle(bool listening, std::string_view datagram, std::string_view fromIp, int port);

    // The message of the last Handle, finished as far as it got.
    const SyslogMessage& Message() const { return message_; }
    const Classification& LastClassification() const { return classification_; }
    const std::string& Failure() const { return failure_; }
    bool Logged() const { return logged_; }

private:
    const Options& options_;
    const Clock& clock_;
    MessageLog& log_;
    ProcessTable* table_;
    SyslogMessage message_;
    Classification classification_;
    std::string failure_;
    std::string work_;
    bool logged_ = false;
};

// Stamp and LogDay for a message received at `now`: the operator's chosen
// date replaces today's while UseUserDate is set; the time of day stays real.
void StampMessage(const Options& options, const DateTime& now, SyslogMessage& message);

} // namespace qm
