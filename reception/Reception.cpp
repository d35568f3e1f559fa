#include "reception/Reception.h"

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
        break;
    case HandleOutcome::LogFailed:
    case HandleOutcome::Shutdown:
        ++counts_.logFailures;
        break;
    }
    return outcome;
}

} // namespace qm
