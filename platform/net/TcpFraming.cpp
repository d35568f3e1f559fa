#include "platform/net/TcpFraming.h"

#include <algorithm>
#include <cstring>

namespace qm {

namespace {

constexpr std::size_t kMaxCountDigits = 5;

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// The first LF or NUL from `from` on (memchr: the reader's busiest loop).
std::size_t FrameEnd(std::string_view buffered, std::size_t from) {
    if (from >= buffered.size()) return std::string_view::npos;
    const char* start = buffered.data() + from;
    const std::size_t length = buffered.size() - from;
    const auto* lf = static_cast<const char*>(std::memchr(start, '\n', length));
    const auto* nul = static_cast<const char*>(std::memchr(start, '\0', lf ? static_cast<std::size_t>(lf - start) : length));
    const char* end = nul ? nul : lf;
    return end ? static_cast<std::size_t>(end - buffered.data()) : std::string_view::npos;
}

// A counted frame may carry its sender's terminator too: it is not the message's.
std::string_view WithoutTerminator(std::string_view message) {
    if (!message.empty() && (message.back() == '\n' || message.back() == '\0')) {
        const bool lf = message.back() == '\n';
        message.remove_suffix(1);
        if (lf && !message.empty() && message.back() == '\r') message.remove_suffix(1);
    }
    return message;
}

} // namespace

TcpFramer::Step TcpFramer::Next(std::string_view buffered, bool closed) const {
    Step step = Decide(buffered, closed);
    // A frame that is still open was searched this far; a sender trickling
    // a long line byte by byte costs each byte once, not the whole line again.
    step.next.searched = step.consumed > 0 ? 0 : buffered.size();
    return step;
}

TcpFramer::Step TcpFramer::Decide(std::string_view buffered, bool closed) const {
    Step step;
    step.next = state_;
    if (state_.skipCount > 0) {
        // The counted bytes past the longest message: the next frame starts after them.
        step.consumed = std::min(state_.skipCount, buffered.size());
        step.next.skipCount = closed ? 0 : state_.skipCount - step.consumed;
        return step;
    }
    if (state_.skippingLine) {
        const std::size_t end = FrameEnd(buffered, state_.searched);
        if (end == std::string_view::npos) {
            step.consumed = buffered.size();
            if (closed) step.next.skippingLine = false;
            return step;
        }
        step.next.skippingLine = false;
        step.consumed = end + 1;
        return step;
    }
    if (buffered.empty()) return step;

    // Octet counting: 1-9, up to four more digits, a space.
    if (buffered[0] >= '1' && buffered[0] <= '9') {
        std::size_t digits = 1;
        while (digits < buffered.size() && digits <= kMaxCountDigits && IsDigit(buffered[digits]))
            ++digits;
        if (digits <= kMaxCountDigits) {
            if (digits == buffered.size()) {
                if (!closed) return step; // not decided yet
            } else if (buffered[digits] == ' ') {
                std::size_t count = 0;
                for (std::size_t i = 0; i < digits; ++i)
                    count = count * 10 + static_cast<std::size_t>(buffered[i] - '0');
                const std::size_t header = digits + 1;
                const std::size_t available = buffered.size() - header;
                if (count > kMaxMessage && available >= kMaxMessage) {
                    // Honoured as counted: the longest message, and the rest of its bytes dropped.
                    step.consumed = header + kMaxMessage;
                    step.hasMessage = true;
                    step.cut = true;
                    step.message = buffered.substr(header, kMaxMessage);
                    step.next.skipCount = count - kMaxMessage;
                    return step;
                }
                if (available >= count) {
                    step.consumed = header + count;
                    step.hasMessage = true;
                    step.message = WithoutTerminator(buffered.substr(header, count));
                    return step;
                }
                if (!closed) return step;
                // Closed in the middle of the message: what came of it.
                step.consumed = buffered.size();
                step.hasMessage = true;
                step.message = buffered.substr(header);
                return step;
            }
        }
    }

    // To LF or NUL; the digits, if any, belong to the message.
    const std::size_t end = FrameEnd(buffered, state_.searched);
    if (end != std::string_view::npos) {
        std::string_view message = buffered.substr(0, end);
        if (buffered[end] == '\n' && !message.empty() && message.back() == '\r') message.remove_suffix(1);
        step.consumed = end + 1;
        step.hasMessage = true;
        step.cut = message.size() > kMaxMessage;
        step.message = message.substr(0, kMaxMessage);
        return step;
    }
    // No end yet: a message past the longest is cut now (a CR may still be the delimiter's).
    const bool tooLong = buffered.size() > kMaxMessage + 1 ||
                         (buffered.size() == kMaxMessage + 1 && buffered[kMaxMessage] != '\r');
    if (tooLong) {
        step.next.skippingLine = !closed;
        step.consumed = buffered.size();
        step.hasMessage = true;
        step.cut = true;
        step.message = buffered.substr(0, kMaxMessage);
        return step;
    }
    if (!closed) return step;
    step.consumed = buffered.size();
    step.hasMessage = true;
    step.message = buffered.substr(0, kMaxMessage);
    step.cut = buffered.size() > kMaxMessage;
    return step;
}

} // namespace qm
