// Reception as one object: every datagram the receiver hands on, through the
// handler (stamp, decode, classify, log, admit), into the process table's
// rows, with the counts of what became of them. Qt-free; the window owns it
// and shows what it reports.
#pragma once

#include "platform/Clock.h"
#include "platform/Datagram.h"
#include "reception/LogFiles.h"
#include "settings/Options.h"
#include "reception/ProcessTable.h"
#include "reception/ReceptionHandler.h"
#include "reception/SeenSenders.h"

#include <cstdint>
#include <optional>

namespace qm {

// What became of the datagrams handed on since the program started.
struct ReceptionCounts {
    std::uint64_t admitted = 0;
    std::uint64_t rejected = 0;           // by the filters
    std::uint64_t logged = 0;             // lines written
    std::uint64_t logFailures = 0;        // appends that failed
    std::uint64_t decodeFailures = 0;     // a priority that is not a number
    std::uint64_t droppedWhileStopped = 0;
    std::optional<DateTime> lastDatagram; // arrival of the newest one handed on
};

class Reception {
public:
    Reception(const Options& options, const Clock& clock);

    // One datagram, start to end.
    HandleOutcome Receive(const Datagram& datagram);

    // The message of the last Receive and, when it failed, the operator's text.
    const SyslogMessage& Message() const { return handler_.Message(); }
    const std::string& Failure() const { return handler_.Failure(); }

    ProcessTable& Rows() { return rows_; }
    const ProcessTable& Rows() const { return rows_; }
    LogWriter& Log() { return log_; }
    const ReceptionCounts& Counts() const { return counts_; }
    // Senders no IP entry knows, and priorities no ID entry knows.
    const SeenList& UnlistedSenders() const { return unlistedSenders_; }
    const SeenList& UnlistedPriorities() const { return unlistedPriorities_; }

private:
    void NoteUnlisted(const Datagram& datagram);

    LogWriter log_;
    ProcessTable rows_;
    ReceptionHandler handler_;
    ReceptionCounts counts_;
    SeenList unlistedSenders_;
    SeenList unlistedPriorities_;
};

} // namespace qm
