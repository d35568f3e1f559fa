// The first half of the window's handling of a message (a datagram or a TCP
// message): stamp, decode, classify. Logging and admission follow for the
// whole run (Reception).
// Qt-free, so tests run it without a socket or a window.
#pragma once

#include "reception/Classification.h"
#include "platform/Clock.h"
#include "platform/net/Datagram.h"
#include "settings/Options.h"
#include "reception/SyslogMessage.h"

#include <string>
#include <string_view>

namespace qm {

enum class HandleOutcome {
    Empty,        // no bytes at all: skipped, counted
    NotListening, // dropped unseen
    Undecodable,  // the priority is not a number; the failure holds the text for the error box
    LogFailed,    // the log line could not be appended; the failure holds the text
    Rejected,     // classified (and logged when logging is on), not admitted
    Admitted,     // to be added to the process table
    Shutdown,     // the log folder cannot be created
};

class ReceptionHandler {
public:
    explicit ReceptionHandler(const Options& options) : options_(options) {}

    // One datagram, stamped (its arrival's time), decoded and classified into
    // `message`: NotListening, Undecodable, or whether the filters admit it.
    HandleOutcome Handle(const Datagram& datagram, SyslogMessage& message);
    // The same into Message().
    HandleOutcome Handle(const Datagram& datagram) { return Handle(datagram, message_); }

    const SyslogMessage& Message() const { return message_; }
    const std::string& Failure() const { return failure_; }
    // The lists' verdict on the last message that was classified.
    const Classification& Classified() const { return classification_; }

private:
    const Options& options_;
    SyslogMessage message_;
    Classification classification_;
    std::string failure_;
    std::string work_;
};

// Stamp and LogDay for a message received at `now`: the operator's chosen
// date replaces today's while UseUserDate is set; the time of day stays real.
void StampMessage(const Options& options, const DateTime& now, SyslogMessage& message);

} // namespace qm
