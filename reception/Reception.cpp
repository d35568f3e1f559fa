#include "reception/Reception.h"

#include "settings/unitAdd_Ins.h"

namespace qm {

Reception::Reception(const Options& options, const Clock& clock)
    : log_(options, clock), handler_(options, log_, &rows_) {}

HandleOutcome Reception::Receive(const Datagram& d) {
    const HandleOutcome outcome = handler_.Handle(d);
    if (outcome != HandleOutcome::NotListening) counts_.lastDatagram = d.arrived;
    if (handler_.Logged()) ++counts_.logged;
    switch (outcome) {
    case HandleOutcome::NotListening:
        ++counts_.droppedWhileStopped;
        break;
    case HandleOutcome::Admitted:
        ++counts_.admitted;
        break;
    case HandleOutcome::Rejected:
        ++counts_.rejected;
        break;
    case HandleOutcome::Undecodable:
        ++counts_.decodeFailures;
        unlistedPriorities_.Note(kNoPriority, d.arrived); // its priority cannot be read
        break;
    case HandleOutcome::LogFailed:
    case HandleOutcome::Shutdown:
        ++counts_.logFailures;
        break;
    }
    if (outcome != HandleOutcome::NotListening && outcome != HandleOutcome::Undecodable) NoteUnlisted(d);
    return outcome;
}

void Reception::NoteUnlisted(const Datagram& d) {
    const Classification& verdict = handler_.Classified();
    if (verdict.ipIndex < 0) unlistedSenders_.Note(d.fromIp, d.arrived);
    if (verdict.idIndex < 0) {
        const std::string& priority = handler_.Message().PriText;
        const std::string_view number = Trim(priority);
        unlistedPriorities_.Note(priority == kUnregistered || number.empty() ? kNoPriority : number, d.arrived);
    }
}

} // namespace qm
