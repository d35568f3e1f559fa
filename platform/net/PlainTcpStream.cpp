#include "platform/net/ConnectionStream.h"
#include "platform/net/Sockets.h"

#ifdef _WIN32
#include <winsock2.h>
#else
#include <sys/socket.h>
#endif

namespace qm {

namespace {

class PlainTcp final : public ConnectionStream {
public:
    explicit PlainTcp(long long handle) : handle_(handle) {}
    ~PlainTcp() override { CloseSocket(handle_); }

    ReadResult Read(char* into, std::size_t room) override {
#ifdef _WIN32
        const auto n = recv(static_cast<SOCKET>(handle_), into, static_cast<int>(room), 0);
#else
        const auto n = recv(static_cast<int>(handle_), into, room, 0);
#endif
        if (n > 0) return {Status::Data, static_cast<std::size_t>(n)};
        if (n < 0 && WouldBlock(LastSocketError())) return {Status::WouldBlock, 0};
        return {Status::Closed, 0};
    }
    long long Handle() const override { return handle_; }

private:
    long long handle_;
};

} // namespace

std::unique_ptr<ConnectionStream> PlainTcpStream(long long handle) {
    return std::make_unique<PlainTcp>(handle);
}

} // namespace qm
