#include "platform/net/TcpStreamBuffer.h"

#include <cstring>

namespace qm {

char* TcpStreamBuffer::Space() {
    MakeRoom();
    return buffer_.get() + end_;
}

void TcpStreamBuffer::MakeRoom() {
    if (start_ == end_) {
        start_ = end_ = 0;
        return;
    }
    // What remains is less than a frame, so moving it costs less than the
    // read that brought it.
    if (start_ > 0 && TcpFramer::kBufferBytes - end_ < TcpFramer::kMaxFrame) {
        std::memmove(buffer_.get(), buffer_.get() + start_, end_ - start_);
        end_ -= start_;
        start_ = 0;
    }
}

} // namespace qm
