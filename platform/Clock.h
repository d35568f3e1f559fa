// Local wall-clock time, behind an interface so tests can stand on any moment.
#pragma once

namespace qm {

struct DateTime {
    int year = 1970;
    int month = 1; // 1..12
    int day = 1;   // 1..31
    int hour = 0;
    int minute = 0;
    int second = 0;

    bool operator==(const DateTime&) const = default;
};

class Clock {
public:
    virtual ~Clock() = default;
    virtual DateTime Now() const = 0;
};

// Safe to call from any thread (the socket's reader stamps arrivals with it).
class SystemClock : public Clock {
public:
    DateTime Now() const override;
};

// The separator the system puts between hours, minutes and seconds.
inline constexpr char kTimeSeparator = ':';

} // namespace qm
