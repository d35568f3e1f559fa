#include "platform/Clock.h"

#include <ctime>

namespace qm {

DateTime SystemClock::Now() const {
    // Called several times per message: the broken-down time changes once a
    // second. One cache per thread, so readers never share it.
    thread_local long long cachedSecond = -1;
    thread_local DateTime cached;
    const std::time_t t = std::time(nullptr);
    if (t == cachedSecond) return cached;
    std::tm tm{};
#ifdef _WIN32
    localtime_s(&tm, &t);
#else
    localtime_r(&t, &tm);
#endif
    cachedSecond = t;
    cached = DateTime{tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec};
    return cached;
}

} // namespace qm
