// One reader thread's life, the same for every listener: it starts only
// with a way to wake it (a start that cannot make one says why and starts
// nothing), and stops by being asked, woken and joined.
#pragma once

#include "platform/Result.h"
#include "platform/net/WakeUp.h"

#include <atomic>
#include <functional>
#include <thread>

namespace qm {

class ReaderThread {
public:
    ReaderThread() = default;
    ~ReaderThread() { Stop(); }
    ReaderThread(const ReaderThread&) = delete;
    ReaderThread& operator=(const ReaderThread&) = delete;

    // Runs `run` on a thread of its own; it returns once StopAsked().
    Result Start(std::function<void()> run) {
        Stop();
        if (Result opened = wake_.Open(); !opened) return opened;
        stop_ = false;
        thread_ = std::thread(std::move(run));
        return {};
    }
    void Stop() {
        if (thread_.joinable()) {
            stop_ = true;
            wake_.Signal();
            thread_.join();
        }
        wake_.Close();
    }
    bool Running() const { return thread_.joinable(); }
    bool StopAsked() const { return stop_.load(std::memory_order_relaxed); }
    // Any thread: the reader's wait ends.
    void Wake() { wake_.Signal(); }
    // The reader: what its poll watches beside its sockets, and what it
    // takes once woken.
    long long WakeHandle() const { return wake_.Handle(); }
    void Woken() { wake_.Drain(); }

private:
    WakeUp wake_;
    std::thread thread_;
    std::atomic<bool> stop_{false};
};

} // namespace qm
