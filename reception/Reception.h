// Reception as one object: every datagram the receiver hands on, through the
// handler (stamp, decode, classify), its log line and admission, into the
// process table's rows, with the counts of what became of them. Qt-free;
// the window owns it and shows what it reports.
//
// Datagrams come in runs (what one hand-over from the reader passes on).
// Within a run each is handled on its own, in arrival order; the run's lines
// are written together at its end, and only then are its messages admitted
// and shown, each only when its own line reached its file whole.
#pragma once

#include "platform/Clock.h"
#include "platform/net/Datagram.h"
#include "platform/DayFiles.h"
#include "reception/LogFiles.h"
#include "settings/Options.h"
#include "reception/ProcessTable.h"
#include "reception/ReceptionHandler.h"
#include "reception/SeenSenders.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

namespace qm {

// What became of the datagrams handed on since the program started.
struct ReceptionCounts {
    std::uint64_t empty = 0; // datagrams without a byte: skipped
    std::uint64_t admitted = 0;
    std::uint64_t rejected = 0;           // by the filters
    std::uint64_t logged = 0;             // lines written
    std::uint64_t logFailures = 0;        // lines that could not be written
    std::uint64_t decodeFailures = 0;     // a priority that is not a number
    std::uint64_t droppedWhileStopped = 0;
    std::optional<DateTime> lastDatagram; // arrival of the newest one handed on
};

// What became of one datagram of a run.
struct Settled {
    HandleOutcome outcome = HandleOutcome::Empty;
    std::string failure; // the operator's text for Undecodable and LogFailed
};

class Reception {
public:
    // The day files through the system's own calls.
    Reception(const Options& options, const Clock& clock);
    // The day files through `files` (tests count and cut writes there).
    Reception(const Options& options, const Clock& clock, DayFileSystem& files);

    // One datagram of the run in hand: stamped, decoded, classified, its
    // line collected. Nothing of it is shown before EndRun.
    void Receive(const Datagram& datagram);
    // The end of the run: its lines written, then each of its datagrams
    // settled in arrival order (admitted rows added to the table, failures
    // counted). What became of each, valid until the next Receive.
    const std::vector<Settled>& EndRun();
    // Datagrams received since the last EndRun.
    std::size_t RunLength() const { return inRun_; }

    ProcessTable& Rows() { return rows_; }
    const ProcessTable& Rows() const { return rows_; }
    LogWriter& Log() { return log_; }
    const ReceptionCounts& Counts() const { return counts_; }
    // Senders no IP entry knows, and priorities no ID entry knows.
    const SeenList& UnlistedSenders() const { return unlistedSenders_; }
    const SeenList& UnlistedPriorities() const { return unlistedPriorities_; }
    // The lists changed: senders and priorities they know now leave the seen lists.
    void ForgetListed();

private:
    struct Pending {
        SyslogMessage message;
        std::string datagram; // kept for an admitted row
        bool datagramTooLong = false;
        HandleOutcome classified = HandleOutcome::NotListening;
        int line = LogWriter::kNotLogged;
        std::string failure; // an undecodable priority's text
    };
    void NoteUnlisted(const Datagram& datagram, const SyslogMessage& message);
    void Settle(Pending& pending, Settled& settled);

    const Options& options_;
    std::unique_ptr<DayFileSystem> ownFiles_;
    LogWriter log_;
    ProcessTable rows_;
    ReceptionHandler handler_;
    ReceptionCounts counts_;
    SeenList unlistedSenders_;
    SeenList unlistedPriorities_;
    std::vector<Pending> pending_; // the run in hand: its first inRun_
    std::size_t inRun_ = 0;
    std::vector<Settled> settled_;
};

} // namespace qm
