#include "platform/net/Sockets.h"

#include "platform/SystemError.h"
#include "platform/net/SocketTypes.h"

#include <cerrno>
#include <cstring>

#ifdef _WIN32
#include <mstcpip.h>
#else
#include <fcntl.h>
#include <netinet/tcp.h>
#endif

namespace qm {

#ifdef _WIN32

void EnsureSockets() {
    struct WinsockUser {
        WinsockUser() {
            WSADATA data;
            WSAStartup(MAKEWORD(2, 2), &data);
        }
        ~WinsockUser() { WSACleanup(); }
    };
    static WinsockUser winsock;
}

int LastSocketError() {
    return WSAGetLastError();
}

std::string SocketErrorText(int code) {
    std::string s = SystemErrorText(code);
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
    case WSAEAFNOSUPPORT:
        return "Address family not supported";
    default:
        return "Winsock error " + std::to_string(code);
    }
}

bool WouldBlock(int code) {
    return code == WSAEWOULDBLOCK;
}

void CloseSocket(long long handle) {
    if (handle != -1) closesocket(static_cast<SOCKET>(handle));
}

bool SetNonBlocking(long long handle) {
    u_long nonBlocking = 1;
    return ioctlsocket(static_cast<SOCKET>(handle), FIONBIO, &nonBlocking) == 0;
}

void PollSockets(std::vector<PollEntry>& entries, int timeoutMs) {
    WSAPoll(entries.data(), static_cast<ULONG>(entries.size()), timeoutMs);
}

long long NewSocket(int family, int type) {
    const SOCKET s = socket(family, type, 0);
    return s == INVALID_SOCKET ? -1 : static_cast<long long>(s);
}

void HoldPortForListening(long long handle) {
    const int exclusive = 1;
    setsockopt(Native(handle), SOL_SOCKET, SO_EXCLUSIVEADDRUSE, reinterpret_cast<const char*>(&exclusive),
               sizeof exclusive);
}

long long AcceptConnection(long long listener, sockaddr_storage& from) {
    SocketLength length = sizeof from;
    const SOCKET s = accept(Native(listener), reinterpret_cast<sockaddr*>(&from), &length);
    if (s == INVALID_SOCKET) return -1;
    SetNonBlocking(static_cast<long long>(s));
    // An urgent byte comes as ordinary data: out of band, WSAPoll would report
    // it as readable while recv never takes it, and the reader would spin.
    const BOOL oobInline = TRUE;
    setsockopt(s, SOL_SOCKET, SO_OOBINLINE, reinterpret_cast<const char*>(&oobInline), sizeof oobInline);
    return static_cast<long long>(s);
}

void SetKeepAlive(long long handle, int idleSeconds) {
    // The one way every Windows version takes: idle time and interval in ms.
    tcp_keepalive values{};
    values.onoff = 1;
    values.keepalivetime = static_cast<ULONG>(idleSeconds) * 1000;
    values.keepaliveinterval = 30 * 1000;
    DWORD returned = 0;
    WSAIoctl(static_cast<SOCKET>(handle), SIO_KEEPALIVE_VALS, &values, sizeof values, nullptr, 0, &returned, nullptr,
             nullptr);
}

#else

void EnsureSockets() {}

int LastSocketError() {
    return errno;
}

std::string SocketErrorText(int code) {
    return SystemErrorText(code);
}

bool WouldBlock(int code) {
    return code == EAGAIN || code == EWOULDBLOCK || code == EINTR;
}

void CloseSocket(long long handle) {
    if (handle >= 0) ::close(static_cast<int>(handle));
}

void PollSockets(std::vector<PollEntry>& entries, int timeoutMs) {
    while (::poll(entries.data(), entries.size(), timeoutMs) < 0 && errno == EINTR) {
    }
}

long long NewSocket(int family, int type) {
    const int s = ::socket(family, type | SOCK_CLOEXEC, 0);
    return s < 0 ? -1 : s;
}

void HoldPortForListening(long long handle) {
    const int reuse = 1;
    setsockopt(Native(handle), SOL_SOCKET, SO_REUSEADDR, &reuse, sizeof reuse);
}

long long AcceptConnection(long long listener, sockaddr_storage& from) {
    SocketLength length = sizeof from;
    const int s = accept4(Native(listener), reinterpret_cast<sockaddr*>(&from), &length, SOCK_NONBLOCK | SOCK_CLOEXEC);
    if (s < 0) return -1;
    // An urgent byte comes as ordinary data, as on Windows.
    const int oobInline = 1;
    setsockopt(s, SOL_SOCKET, SO_OOBINLINE, &oobInline, sizeof oobInline);
    return s;
}

void SetKeepAlive(long long handle, int idleSeconds) {
    const int fd = static_cast<int>(handle);
    const int on = 1, interval = 30, probes = 4;
    setsockopt(fd, SOL_SOCKET, SO_KEEPALIVE, &on, sizeof on);
    setsockopt(fd, IPPROTO_TCP, TCP_KEEPIDLE, &idleSeconds, sizeof idleSeconds);
    setsockopt(fd, IPPROTO_TCP, TCP_KEEPINTVL, &interval, sizeof interval);
    setsockopt(fd, IPPROTO_TCP, TCP_KEEPCNT, &probes, sizeof probes);
}

bool SetNonBlocking(long long handle) {
    const int fd = static_cast<int>(handle);
    const int flags = fcntl(fd, F_GETFL, 0);
    if (flags < 0 || fcntl(fd, F_SETFL, flags | O_NONBLOCK) != 0) return false;
    fcntl(fd, F_SETFD, FD_CLOEXEC);
    return true;
}

#endif

BindStep BindEveryAddress(long long handle, Family family, int port) {
    const NativeSocket s = Native(handle);
    if (family == Family::IPv6) {
        const int only = 1;
        if (setsockopt(s, IPPROTO_IPV6, IPV6_V6ONLY, reinterpret_cast<const char*>(&only), sizeof only) != 0)
            return BindStep::Option;
        sockaddr_in6 local{};
        local.sin6_family = AF_INET6;
        local.sin6_port = htons(static_cast<unsigned short>(port));
        local.sin6_addr = in6addr_any;
        return bind(s, reinterpret_cast<const sockaddr*>(&local), sizeof local) == 0 ? BindStep::Done : BindStep::Bind;
    }
    sockaddr_in local{};
    local.sin_family = AF_INET;
    local.sin_port = htons(static_cast<unsigned short>(port));
    local.sin_addr.s_addr = htonl(INADDR_ANY);
    return bind(s, reinterpret_cast<const sockaddr*>(&local), sizeof local) == 0 ? BindStep::Done : BindStep::Bind;
}

int LocalPort(long long handle) {
    if (handle == -1) return 0;
    sockaddr_storage local{};
    SocketLength len = sizeof local;
    if (getsockname(Native(handle), reinterpret_cast<sockaddr*>(&local), &len) != 0) return 0;
    char text[kMaxAddressText + 1];
    std::size_t length = 0;
    int port = 0;
    return AddressOf(reinterpret_cast<const sockaddr*>(&local), text, length, port) ? port : 0;
}

bool AddressOf(const sockaddr* address, char (&text)[kMaxAddressText + 1], std::size_t& length, int& port) {
    if (address->sa_family == AF_INET) {
        sockaddr_in in{};
        std::memcpy(&in, address, sizeof in);
        length = FormatAddress(reinterpret_cast<const unsigned char*>(&in.sin_addr), 4, text);
        port = ntohs(in.sin_port);
        return true;
    }
    if (address->sa_family == AF_INET6) {
        sockaddr_in6 in6{};
        std::memcpy(&in6, address, sizeof in6);
        length = FormatAddress(reinterpret_cast<const unsigned char*>(&in6.sin6_addr), 16, text);
        port = ntohs(in6.sin6_port);
        return true;
    }
    length = 0;
    port = 0;
    return false;
}

} // namespace qm
