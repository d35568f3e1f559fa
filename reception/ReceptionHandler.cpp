#include "reception/ReceptionHandler.h"

#include "reception/SyslogDecoder.h"

namespace qm {

void StampMessage(const Options& options, const DateTime& now, SyslogMessage& message) {
    const DateTime& date = options.UseUserDate ? options.UserDate : now;
    FormatStamp(date, now, message.Stamp);
    FormatLogDay(date, message.LogDay);
}

HandleOutcome ReceptionHandler::Handle(const Datagram& d, SyslogMessage& message) {
    failure_.clear();
    message.Reset();
    if (d.bytes.empty()) return HandleOutcome::Empty; // nothing to decode, while stopped too
    if (!d.listening) return HandleOutcome::NotListening;
    StampMessage(options_, d.arrived, message);
    DecodeDatagram(d.bytes, options_.IdList, message, work_, d.framed);
    message.SenderPort = d.fromPort;
    if (Result classified = ClassifyMessage(options_, message, d.fromIp, classification_); !classified) {
        failure_ = std::move(classified.error);
        return HandleOutcome::Undecodable;
    }
    return classification_.admitted ? HandleOutcome::Admitted : HandleOutcome::Rejected;
}

} // namespace qm
