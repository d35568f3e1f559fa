#include "Clock.h"

#include <ctime>

namespace qm {

DateTime SystemClock::now() const {
    const std::time_t t = std::time(nullptr);
    // Called several times per message: the broken-down time changes once a second.
    if (t == cachedSecond_) return cached_;
    std::tm tm{};
#ifdef _WIN32
    localtime_s(&tm, &t);
#else
    localtime_r(&t, &tm);
#endif
    cachedSecond_ = t;
    cached_ = DateTime{tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec};
    return cached_;
}

} // namespace qm
