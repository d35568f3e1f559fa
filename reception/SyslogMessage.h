// One decoded datagram, and the texts of its stamp and log day.
#pragma once

#include "platform/Clock.h"
#include "settings/SyslogNames.h"

#include <array>
#include <string>

namespace qm {

inline constexpr const char* kUnknownId = "Unknw";
inline constexpr const char* kUnregistered = "Unreg";
inline constexpr const char* kUnexpected = "Unexp";

// The first nine fields are the table columns and the log-line fields, in order.
struct SyslogMessage {
    std::string Stamp;
    std::string SenderText;
    std::string MessageText;
    std::string IdName = kUnknownId;
    std::string Tag = kUnexpected;
    std::string SourceLevel;
    int SenderPort = 0;
    std::string IdColour;
    std::string TokenColour;
    std::string PriText = kUnregistered;
    std::string LogDay; // yyyymmdd

    // Back to the initial values, keeping the strings' storage for the next datagram.
    void Reset();
};

// "dd.mm.yy hh:nn:ss" of the date and the time given.
void FormatStamp(const DateTime& date, const DateTime& time, std::string& out);
// "yyyymmdd"
void FormatLogDay(const DateTime& date, std::string& out);

} // namespace qm
