// The framing of syslog over TCP (RFC 6587), one connection's stream at a
// time. A frame is octet-counted ("<length> <message>") only when it starts
// with a digit 1 to 9, then at most four more digits, then a space;
// otherwise it runs to LF (a CR just before the LF belongs to the delimiter)
// or to a NUL, and its leading digits belong to the message. The framer
// works on the bytes the connection has buffered and hands messages on as
// views into them, so a connection never holds more than its buffer.
#pragma once

#include <cstddef>
#include <string_view>

namespace qm {

class TcpFramer {
public:
    // The longest message handed on, as the longest UDP datagram: a longer
    // one is cut there and the rest of its frame dropped.
    static constexpr std::size_t kMaxMessage = 65507;
    // The longest frame the framer needs whole to decide: the longest count
    // ("99999"), its space and the message.
    static constexpr std::size_t kMaxFrame = 6 + kMaxMessage;
    // What a connection buffers; at least kMaxFrame, so that a buffer that
    // starts with a frame always holds enough of it to hand something on.
    static constexpr std::size_t kBufferBytes = 65536;
    static_assert(kBufferBytes >= kMaxFrame);

    // Where the framer stands between frames.
    struct State {
        std::size_t searched = 0;   // how much of the open frame at the front holds no LF or NUL
        bool skippingLine = false;  // dropping the rest of an over-long line, up to its LF or NUL
        std::size_t skipCount = 0;  // counted bytes of a cut frame still to drop
    };

    struct Step {
        std::size_t consumed = 0; // bytes of `buffered` used up, framing included
        bool hasMessage = false;
        std::string_view message; // when hasMessage: a view into `buffered`
        bool cut = false;         // the message was longer and is cut
        State next;               // the framer's state once the step is taken
    };

    // One step over what the connection buffered and has not yet consumed.
    // `closed`: nothing more will come (what came of a message is handed on).
    // Nothing consumed and no message: more bytes are needed. The framer
    // changes only when the step is taken: a message whose hand-over was
    // refused (a full queue) comes again, whole, at the next call.
    Step Next(std::string_view buffered, bool closed) const;
    void Take(const Step& step) { state_ = step.next; }

private:
    Step Decide(std::string_view buffered, bool closed) const;

    State state_;
};

} // namespace qm
