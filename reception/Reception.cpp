#include "reception/Reception.h"

#include "settings/unitAdd_Ins.h"

namespace qm {

namespace {

// A slot that once held a huge message gives its room back, so a run of
// them does not keep its memory for the rest of the program's life.
void GiveBackLarge(std::string& text) {
    constexpr std::size_t kKeep = 4096;
    if (text.capacity() > kKeep) std::string().swap(text);
}

} // namespace

Reception::Reception(const Options& options, const Clock& clock)
    : options_(options), ownFiles_(std::make_unique<SystemDayFiles>()), log_(options, clock, *ownFiles_),
      handler_(options) {}

Reception::Reception(const Options& options, const Clock& clock, DayFileSystem& files)
    : options_(options), log_(options, clock, files), handler_(options) {}

void Reception::Receive(const Datagram& d) {
    if (inRun_ == 0) {
        log_.StartRun();
        settled_.clear();
    }
    if (inRun_ == pending_.size()) pending_.emplace_back();
    Pending& p = pending_[inRun_++];
    p.line = LogWriter::kNotLogged;
    p.classified = handler_.Handle(d, p.message);
    if (p.classified == HandleOutcome::Empty || p.classified == HandleOutcome::NotListening) return;
    counts_.lastDatagram = d.arrived;
    if (p.classified == HandleOutcome::Undecodable) {
        p.failure = handler_.Failure();
        unlistedPriorities_.Note(kNoPriority, d.arrived); // its priority cannot be read
        return;
    }
    NoteUnlisted(d, p.message);
    if (options_.General.WriteToLog) p.line = log_.Collect(p.message);
    p.datagramTooLong = d.bytes.size() > kMaxKeptDatagram;
    if (p.classified == HandleOutcome::Admitted) p.datagram.assign(p.datagramTooLong ? std::string_view() : d.bytes);
}

const std::vector<Settled>& Reception::EndRun() {
    if (inRun_ == 0) {
        settled_.clear();
        return settled_;
    }
    log_.WriteRun();
    settled_.resize(inRun_);
    for (std::size_t i = 0; i < inRun_; ++i)
        Settle(pending_[i], settled_[i]);
    inRun_ = 0;
    return settled_;
}

void Reception::Settle(Pending& p, Settled& s) {
    s.outcome = p.classified;
    s.failure.clear();
    switch (p.classified) {
    case HandleOutcome::Empty:
        ++counts_.empty;
        return;
    case HandleOutcome::NotListening:
        ++counts_.droppedWhileStopped;
        return;
    case HandleOutcome::Undecodable:
        ++counts_.decodeFailures;
        s.failure = p.failure;
        return;
    default:
        break;
    }
    if (p.line != LogWriter::kNotLogged) {
        switch (log_.State(p.line)) {
        case LogWriter::LineState::Written:
            ++counts_.logged;
            break;
        case LogWriter::LineState::Pending: // never left pending by WriteRun
        case LogWriter::LineState::Failed:
            s.outcome = HandleOutcome::LogFailed;
            s.failure = log_.Failure(p.line);
            break;
        case LogWriter::LineState::LogDirUnavailable:
            s.outcome = HandleOutcome::Shutdown;
            break;
        }
    }
    if (s.outcome == HandleOutcome::Admitted) {
        ++counts_.admitted;
        rows_.AddRow(p.message, p.datagram, p.datagramTooLong);
    } else if (s.outcome == HandleOutcome::Rejected) {
        ++counts_.rejected;
    } else {
        ++counts_.logFailures; // neither admitted nor shown
    }
    // Trimmed after every message that got this far, admitted or not, so a
    // lowered limit takes effect at once.
    if (s.outcome == HandleOutcome::Admitted || s.outcome == HandleOutcome::Rejected)
        rows_.TrimProcessTable(options_.General.LimitRows);
    GiveBackLarge(p.message.MessageText);
    GiveBackLarge(p.datagram);
}

void Reception::ForgetListed() {
    unlistedSenders_.Forget([this](const std::string& ip) { return FindIpEntry(options_.IpList, ip) >= 0; });
    unlistedPriorities_.Forget([this](const std::string& priority) {
        return priority != kNoPriority && PriorityIsListed(options_.IdList, priority);
    });
}

void Reception::NoteUnlisted(const Datagram& d, const SyslogMessage& message) {
    const Classification& verdict = handler_.Classified();
    if (verdict.ipIndex < 0) unlistedSenders_.Note(d.fromIp, d.arrived);
    if (verdict.idIndex < 0) {
        const std::string& priority = message.PriText;
        const std::string_view number = Trim(priority);
        unlistedPriorities_.Note(priority == kUnregistered || number.empty() ? kNoPriority : number, d.arrived);
    }
}

} // namespace qm
