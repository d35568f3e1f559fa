// One TCP connection's bytes between the socket and the queue: the buffer
// the reads fill, the framer that cuts it into messages, and the room the
// next read gets. A connection always has room to read unless the queue
// refused a message: what the framer consumed leaves the front before the
// free tail could be too short for the longest frame, so no mix of frame
// sizes can leave a connection full and unread.
#pragma once

#include "platform/net/TcpFraming.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>

namespace qm {

class TcpStreamBuffer {
public:
    // What one hand-over did.
    struct Delivered {
        std::uint64_t messages = 0;
        std::uint64_t bytes = 0;
        std::uint64_t cut = 0;
        bool refused = false; // the consumer took no more: the rest waits for room
    };

    TcpStreamBuffer() : buffer_(new char[TcpFramer::kBufferBytes]) {}

    // Where the next read goes and how much it may bring (never 0).
    char* Space();
    std::size_t SpaceBytes() const { return TcpFramer::kBufferBytes - end_; }
    // A read brought `n` bytes into Space(); n <= SpaceBytes().
    void Filled(std::size_t n) { end_ += n; }
    // The sender closed: what is buffered is framed to its end.
    void Close() { closed_ = true; }
    bool Closed() const { return closed_; }
    // Closed and nothing left to hand on.
    bool Finished() const { return closed_ && start_ == end_; }
    std::size_t Buffered() const { return end_ - start_; }

    // Hands the framed messages to `push(message, cut)`, in order, until it
    // returns false (the message stays, whole, for the next call) or more
    // bytes are needed. Returns what was handed on.
    template <class Push>
    Delivered Deliver(Push&& push) {
        Delivered d;
        for (;;) {
            const std::string_view buffered(buffer_.get() + start_, end_ - start_);
            const TcpFramer::Step step = framer_.Next(buffered, closed_);
            if (step.hasMessage) {
                if (!push(step.message, step.cut)) {
                    d.refused = true;
                    break;
                }
                ++d.messages;
                d.bytes += step.message.size();
                if (step.cut) ++d.cut;
            }
            framer_.Take(step);
            if (!step.hasMessage && step.consumed == 0) break;
            start_ += step.consumed;
        }
        MakeRoom();
        return d;
    }

private:
    void MakeRoom();

    std::unique_ptr<char[]> buffer_;
    std::size_t start_ = 0; // what the framer has not consumed: [start_, end_)
    std::size_t end_ = 0;
    bool closed_ = false;
    TcpFramer framer_;
};

} // namespace qm
