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
    // What a connection must be able to buffer for the framer to decide:
    // the longest count, its space and the message.
    static constexpr std::size_t kBufferBytes = 65536;

    struct Step {
        std::size_t consumed = 0; // bytes of `buffered` used up, framing included
        bool hasMessage = false;
        std::string_view message; // when hasMessage: a view into `buffered`
        bool cut = false;         // the message was longer and is cut; or a count too large was skipped
    };

    // One step over what the connection buffered and has not yet consumed.
    // `closed`: nothing more will come (what came of a message is handed on).
    // Nothing consumed and no message: more bytes are needed.
    Step Next(std::string_view buffered, bool closed);

private:
    Step Decide(std::string_view buffered, bool closed);

    // How much of the undecided frame at the front holds no LF or NUL.
    std::size_t searched_ = 0;
    // Dropping the rest of an over-long frame, up to its LF or NUL.
    bool skipping_ = false;
};

} // namespace qm
