#include "platform/TcpFraming.h"

namespace qm {

namespace {

constexpr std::size_t kMaxCountDigits = 5;

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

std::size_t FrameEnd(std::string_view buffered, std::size_t from) {
    for (std::size_t i = from; i < buffered.size(); ++i)
        if (buffered[i] == '\n' || buffered[i] == '\0') return i;
    return std::string_view::npos;
}

} // namespace

TcpFramer::Step TcpFramer::Next(std::string_view buffered, bool closed) {
    Step step = Decide(buffered, closed);
    // A frame that is still open was searched this far; a sender trickling
    // a long line byte by byte costs each byte once, not the whole line again.
    searched_ = step.consumed > 0 ? 0 : buffered.size();
    return step;
}

TcpFramer::Step TcpFramer::Decide(std::string_view buffered, bool closed) {
    Step step;
    if (skipping_) {
        const std::size_t end = FrameEnd(buffered, searched_);
        if (end == std::string_view::npos) {
            step.consumed = buffered.size();
            if (closed) skipping_ = false;
            return step;
        }
        skipping_ = false;
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
                if (count > kMaxMessage) {
                    // A count past any message: the stream finds its feet at the next LF.
                    skipping_ = true;
                    step.consumed = header;
                    step.cut = true;
                    return step;
                }
                if (buffered.size() - header >= count) {
                    step.consumed = header + count;
                    step.hasMessage = true;
                    step.message = buffered.substr(header, count);
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
    const std::size_t end = FrameEnd(buffered, searched_);
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
        skipping_ = true;
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
