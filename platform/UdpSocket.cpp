#include "platform/UdpSocket.h"

#include "platform/SystemError.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#ifdef _WIN32
#include <winsock2.h>
#include <ws2tcpip.h>
using SocketLength = int;
namespace {
constexpr unsigned long long kClosed = INVALID_SOCKET;
int LastError() {
    return WSAGetLastError();
}
std::string ErrorText(int code) {
    std::string s = qm::SystemErrorText(code);
    if (s.rfind("system error ", 0) != 0) return s;
    // Some systems (Wine among them) have no text for Winsock's codes.
    switch (code) {
    case WSAEADDRINUSE:
        return "Address already in use";
    case WSAEACCES:
        return "Permission denied";
    case WSAEADDRNOTAVAIL:
        return "Address not available";
    case WSAENOBUFS:
        return "No buffer space available";
    case WSAEMFILE:
        return "Too many open sockets";
    default:
        return "Winsock error " + std::to_string(code);
    }
}
bool WouldBlock(int code) {
    return code == WSAEWOULDBLOCK;
}
struct WinsockUser {
    WinsockUser() {
        WSADATA data;
        WSAStartup(MAKEWORD(2, 2), &data);
    }
    ~WinsockUser() { WSACleanup(); }
};
} // namespace
#else
#include <arpa/inet.h>
#include <fcntl.h>
#include <linux/sock_diag.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>
using SocketLength = socklen_t;
namespace {
constexpr int kClosed = -1;
int LastError() {
    return errno;
}
std::string ErrorText(int code) {
    return qm::SystemErrorText(code);
}
bool WouldBlock(int code) {
    return code == EAGAIN || code == EWOULDBLOCK || code == EINTR;
}
int closesocket(int fd) {
    return ::close(fd);
}
} // namespace
#endif

namespace qm {

ReceiveBatch::ReceiveBatch() : storage(static_cast<std::size_t>(kSlots) * UdpSocket::kMaxDatagram) {}

char* ReceiveBatch::Slot(int i) {
    return storage.data() + static_cast<std::size_t>(i) * UdpSocket::kMaxDatagram;
}

UdpSocket::UdpSocket() : handle_(kClosed) {
#ifdef _WIN32
    static WinsockUser winsock;
#endif
}

UdpSocket::~UdpSocket() {
    Close();
}

bool UdpSocket::IsOpen() const {
    return handle_ != kClosed;
}

long long UdpSocket::Handle() const {
    return IsOpen() ? static_cast<long long>(handle_) : -1;
}

void UdpSocket::Close() {
    if (IsOpen()) closesocket(handle_);
    handle_ = kClosed;
}

bool UdpSocket::CountsSystemDrops() {
#ifdef SO_RXQ_OVFL
    return true;
#else
    return false;
#endif
}

std::optional<std::uint32_t> UdpSocket::SystemDrops() const {
#ifdef SO_MEMINFO
    if (!IsOpen()) return std::nullopt;
    std::uint32_t info[SK_MEMINFO_VARS] = {};
    SocketLength len = sizeof info;
    if (getsockopt(handle_, SOL_SOCKET, SO_MEMINFO, info, &len) != 0 || len <= SK_MEMINFO_DROPS * sizeof info[0])
        return std::nullopt;
    return info[SK_MEMINFO_DROPS];
#else
    return std::nullopt;
#endif
}

Result UdpSocket::Open(int port, int receiveBuffer) {
    Close();
    const auto fail = [&](const char* what) {
        const int code = LastError();
        Close();
        return Result::Failed("UDP port " + std::to_string(port) + " cannot be " + what + ": " + ErrorText(code) + ".");
    };
    if (port < 0 || port > 65535)
        return Result::Failed("UDP port " + std::to_string(port) + " is not a valid port number.");

    handle_ = socket(AF_INET, SOCK_DGRAM, 0);
    if (!IsOpen()) return fail("opened");
#ifdef _WIN32
    u_long nonBlocking = 1;
    if (ioctlsocket(handle_, FIONBIO, &nonBlocking) != 0) return fail("opened");
#else
    const int flags = fcntl(handle_, F_GETFL, 0);
    if (flags < 0 || fcntl(handle_, F_SETFL, flags | O_NONBLOCK) != 0) return fail("opened");
    fcntl(handle_, F_SETFD, FD_CLOEXEC);
#endif
    // A larger buffer absorbs bursts while the reader is held up; a smaller
    // grant than asked for is not an error.
    int size = receiveBuffer;
#ifdef SO_RCVBUFFORCE
    const int forced = kForcedReceiveBuffer;
    if (receiveBuffer != kReceiveBuffer ||
        setsockopt(handle_, SOL_SOCKET, SO_RCVBUFFORCE, &forced, sizeof forced) != 0)
#endif
        setsockopt(handle_, SOL_SOCKET, SO_RCVBUF, reinterpret_cast<const char*>(&size), sizeof size);
#ifdef SO_RXQ_OVFL
    const int on = 1;
    setsockopt(handle_, SOL_SOCKET, SO_RXQ_OVFL, &on, sizeof on);
#endif

    sockaddr_in local{};
    local.sin_family = AF_INET;
    local.sin_port = htons(static_cast<unsigned short>(port));
    local.sin_addr.s_addr = htonl(INADDR_ANY);
    if (bind(handle_, reinterpret_cast<const sockaddr*>(&local), sizeof local) != 0)
        return fail("listened on");
    return {};
}

int UdpSocket::BoundPort() const {
    if (!IsOpen()) return 0;
    sockaddr_in local{};
    SocketLength len = sizeof local;
    if (getsockname(handle_, reinterpret_cast<sockaddr*>(&local), &len) != 0) return 0;
    return ntohs(local.sin_port);
}

int UdpSocket::ReceiveBufferSize() const {
    if (!IsOpen()) return 0;
    int size = 0;
    SocketLength len = sizeof size;
    if (getsockopt(handle_, SOL_SOCKET, SO_RCVBUF, reinterpret_cast<char*>(&size), &len) != 0) return 0;
    return size;
}

UdpSocket::Read UdpSocket::ReadDatagram(char* buffer, std::size_t size, std::size_t& length,
                                        char (&fromIp)[16], int& fromPort) {
    length = 0;
    fromIp[0] = '\0';
    fromPort = 0;
    if (!IsOpen()) return Read::Error;
    sockaddr_in from{};
    SocketLength fromLen = sizeof from;
    const auto n =
        recvfrom(handle_, buffer, static_cast<int>(size), 0, reinterpret_cast<sockaddr*>(&from), &fromLen);
    if (n < 0) return WouldBlock(LastError()) ? Read::NoneWaiting : Read::Error;
    length = static_cast<std::size_t>(n);
    const auto* b = reinterpret_cast<const unsigned char*>(&from.sin_addr);
    std::snprintf(fromIp, sizeof fromIp, "%u.%u.%u.%u", b[0], b[1], b[2], b[3]);
    fromPort = ntohs(from.sin_port);
    return Read::Datagram;
}

UdpSocket::Read UdpSocket::ReadBatch(ReceiveBatch& batch) {
    batch.count = 0;
    if (!IsOpen()) return Read::Error;
#ifdef __linux__
    mmsghdr msgs[ReceiveBatch::kSlots]{};
    iovec iov[ReceiveBatch::kSlots];
    sockaddr_in from[ReceiveBatch::kSlots]{};
    // Room for the drop count the system adds to each datagram (SO_RXQ_OVFL).
    alignas(cmsghdr) char control[ReceiveBatch::kSlots][CMSG_SPACE(sizeof(std::uint32_t))];
    for (int i = 0; i < ReceiveBatch::kSlots; ++i) {
        iov[i] = {batch.Slot(i), kMaxDatagram};
        msgs[i].msg_hdr.msg_iov = &iov[i];
        msgs[i].msg_hdr.msg_iovlen = 1;
        msgs[i].msg_hdr.msg_name = &from[i];
        msgs[i].msg_hdr.msg_namelen = sizeof from[i];
        msgs[i].msg_hdr.msg_control = control[i];
        msgs[i].msg_hdr.msg_controllen = sizeof control[i];
    }
    const int n = recvmmsg(handle_, msgs, ReceiveBatch::kSlots, MSG_DONTWAIT, nullptr);
    if (n < 0) return WouldBlock(LastError()) ? Read::NoneWaiting : Read::Error;
    for (int i = 0; i < n; ++i) {
        batch.length[static_cast<std::size_t>(i)] = msgs[i].msg_len;
        const auto* b = reinterpret_cast<const unsigned char*>(&from[i].sin_addr);
        std::snprintf(batch.fromIp[static_cast<std::size_t>(i)].data(), 16, "%u.%u.%u.%u", b[0], b[1], b[2],
                      b[3]);
        batch.fromPort[static_cast<std::size_t>(i)] = ntohs(from[i].sin_port);
        for (cmsghdr* c = CMSG_FIRSTHDR(&msgs[i].msg_hdr); c; c = CMSG_NXTHDR(&msgs[i].msg_hdr, c)) {
            if (c->cmsg_level != SOL_SOCKET || c->cmsg_type != SO_RXQ_OVFL) continue;
            std::uint32_t drops = 0;
            std::memcpy(&drops, CMSG_DATA(c), sizeof drops);
            batch.systemDrops = drops;
        }
    }
    batch.count = n;
    return n > 0 ? Read::Datagram : Read::NoneWaiting;
#else
    for (int i = 0; i < ReceiveBatch::kSlots; ++i) {
        char ip[16];
        std::size_t length = 0;
        int port = 0;
        const Read r = ReadDatagram(batch.Slot(i), kMaxDatagram, length, ip, port);
        if (r != Read::Datagram) return batch.count > 0 ? Read::Datagram : r;
        batch.length[static_cast<std::size_t>(i)] = length;
        std::memcpy(batch.fromIp[static_cast<std::size_t>(i)].data(), ip, sizeof ip);
        batch.fromPort[static_cast<std::size_t>(i)] = port;
        ++batch.count;
    }
    return Read::Datagram;
#endif
}

} // namespace qm
