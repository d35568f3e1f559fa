#include "ReceptionHandler.h"

#include "SyslogDecoder.h"

namespace qm {

void StampMessage(const Options& options, const DateTime& now, SyslogMessage& message) {
    const DateTime& date = options.UseUserDate ? options.UserDate : now;
    FormatStamp(date, now, message.Stamp);
    FormatLogDay(date, message.LogDay);
}

HandleOutcome ReceptionHandler::Handle(bool listening, std::string_view datagram, std::string_view fromIp,
                                       int port) {
    logged_ = false;
    failure_.clear();
    if (!listening) return HandleOutcome::NotListening;

    message_.Reset();
    StampMessage(options_, clock_.now(), message_);
    DecodeDatagram(datagram, options_.IdList, message_, work_);
    message_.SenderPort = port;
    if (!ClassifyMessage(options_, message_, fromIp, classification_, failure_)) return HandleOutcome::Failed;

    if (options_.General.WriteToLog) {
        switch (log_.AppendMessage(message_, failure_)) {
        case MessageLog::Result::Written:
            logged_ = true;
            break;
        case MessageLog::Result::Skipped:
            break;
        case MessageLog::Result::Failed:
            return HandleOutcome::Failed;
        case MessageLog::Result::LogDirUnavailable:
            return HandleOutcome::Shutdown;
        }
    }
    if (table_) {
        if (classification_.admitted) table_->AddRow(message_);
        // Trimmed after every message that got this far, admitted or not, so
        // a lowered limit takes effect at once.
        const int limit = options_.General.LimitRows;
        if (limit != 0 && limit < table_->RowCount()) table_->TrimProcessTable(limit);
    }
    return classification_.admitted ? HandleOutcome::Admitted : HandleOutcome::Rejected;
}

} // namespace qm
