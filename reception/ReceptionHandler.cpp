#include "reception/ReceptionHandler.h"

#include "reception/SyslogDecoder.h"

namespace qm {

void StampMessage(const Options& options, const DateTime& now, SyslogMessage& message) {
    const DateTime& date = options.UseUserDate ? options.UserDate : now;
    FormatStamp(date, now, message.Stamp);
    FormatLogDay(date, message.LogDay);
}

HandleOutcome ReceptionHandler::Handle(const Datagram& d) {
    logged_ = false;
    failure_.clear();
    if (!d.listening) return HandleOutcome::NotListening;

    message_.Reset();
    StampMessage(options_, d.arrived, message_);
    DecodeDatagram(d.bytes, options_.IdList, message_, work_);
    message_.SenderPort = d.fromPort;
    if (!ClassifyMessage(options_, message_, d.fromIp, classification_, failure_))
        return HandleOutcome::Undecodable;

    if (options_.General.WriteToLog) {
        switch (log_.AppendMessage(message_, failure_)) {
        case MessageLog::Appended::Written:
            logged_ = true;
            break;
        case MessageLog::Appended::Skipped:
            break;
        case MessageLog::Appended::Failed:
            return HandleOutcome::LogFailed;
        case MessageLog::Appended::LogDirUnavailable:
            return HandleOutcome::Shutdown;
        }
    }
    if (table_) {
        if (classification_.admitted) table_->AddRow(message_, d.bytes);
        // Trimmed after every message that got this far, admitted or not, so
        // a lowered limit takes effect at once.
        table_->TrimProcessTable(options_.General.LimitRows);
    }
    return classification_.admitted ? HandleOutcome::Admitted : HandleOutcome::Rejected;
}

} // namespace qm
