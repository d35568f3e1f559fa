#include "reception/SyslogMessage.h"

namespace qm {

void SyslogMessage::Reset() {
    Stamp.clear();
    SenderText.clear();
    MessageText.clear();
    IdName = kUnknownId;
    Tag = kUnexpected;
    SourceLevel.clear();
    SenderPort = 0;
    IdColour.clear();
    TokenColour.clear();
    PriText = kUnregistered;
    LogDay.clear();
}

namespace {

void Two(std::string& out, int value) {
    value = ((value % 100) + 100) % 100;
    out.push_back(static_cast<char>('0' + value / 10));
    out.push_back(static_cast<char>('0' + value % 10));
}

void Four(std::string& out, int value) {
    Two(out, value / 100);
    Two(out, value % 100);
}

} // namespace

void FormatStamp(const DateTime& date, const DateTime& time, std::string& out) {
    out.clear();
    Two(out, date.day);
    out.push_back('.');
    Two(out, date.month);
    out.push_back('.');
    Two(out, date.year % 100);
    out.push_back(' ');
    Two(out, time.hour);
    out.push_back(kTimeSeparator);
    Two(out, time.minute);
    out.push_back(kTimeSeparator);
    Two(out, time.second);
}

void FormatLogDay(const DateTime& date, std::string& out) {
    out.clear();
    Four(out, date.year);
    Two(out, date.month);
    Two(out, date.day);
}

} // namespace qm
