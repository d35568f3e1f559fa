// A clock that stands on any moment, and datagrams that arrived at it.
#pragma once

#include "platform/Clock.h"
#include "platform/net/Datagram.h"

#include <mutex>
#include <string_view>

namespace qmtest {

class FakeClock : public qm::Clock {
public:
    // Set and read like a DateTime; guarded, since the receiver's thread
    // reads it while a test sets it.
    class Moment {
    public:
        explicit Moment(const qm::DateTime& t) : t_(t) {}
        Moment& operator=(const qm::DateTime& t) {
            const std::lock_guard<std::mutex> lock(m_);
            t_ = t;
            return *this;
        }
        operator qm::DateTime() const {
            const std::lock_guard<std::mutex> lock(m_);
            return t_;
        }

    private:
        mutable std::mutex m_;
        qm::DateTime t_;
    };
    Moment time{qm::DateTime{2026, 12, 6, 21, 12, 19}};
    qm::DateTime Now() const override { return time; }
};

// A datagram as the receiver hands it on, arrived at the clock's moment.
inline qm::Datagram Arrived(std::string_view bytes, std::string_view fromIp, int port, const FakeClock& clock,
                            bool listening = true) {
    return {bytes, fromIp, port, clock.Now(), listening};
}

} // namespace qmtest
