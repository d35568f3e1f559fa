// The body of the main window's datagram handler: stamp, decode, classify,
// log, admit. Qt-free, so tests run it without a socket or a window.
#pragma once

#include "reception/Classification.h"
#include "platform/Clock.h"
#include "platform/Datagram.h"
#include "settings/Options.h"
#include "reception/ProcessTable.h"
#include "reception/SyslogMessage.h"

#include <string>
#include <string_view>

namespace qm {

// Where classified messages are logged.
class MessageLog {
public:
    enum class Appended {
        Written,
        Skipped,           // nothing to write (no ID match, unknown IDs not logged)
        Failed,            // the I/O error text is in `failure`
        LogDirUnavailable, // the log folder cannot be created: the program shuts down
    };
    virtual ~MessageLog() = default;
    virtual Appended AppendMessage(const SyslogMessage& message, std::string& failure) = 0;
};

enum class HandleOutcome {
    NotListening, // dropped unseen
    Undecodable,  // the priority is not a number; Failure() holds the text for the error box
    LogFailed,    // the log line could not be appended; Failure() holds the text
    Rejected,     // classified (and logged when logging is on), not admitted
    Admitted,     // to be added to the process table
    Shutdown,     // the log folder cannot be created
};

class ReceptionHandler {
public:
    // `table` receives admitted messages and is trimmed to LimitRows; without
    // one, the caller does both.
    ReceptionHandler(const Options& options, MessageLog& log, ProcessTable* table = nullptr)
        : options_(options), log_(log), table_(table) {}

    // One datagram, start to end; its stamp and log day are those of its arrival.
    HandleOutcome Handle(const Datagram& datagram);

    // The message of the last Handle, finished as far as it got.
    const SyslogMessage& Message() const { return message_; }
    const std::string& Failure() const { return failure_; }
    // The lists' verdict on the last message that was classified.
    const Classification& Classified() const { return classification_; }
    bool Logged() const { return logged_; }

private:
    const Options& options_;
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
