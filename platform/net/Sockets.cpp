#include "platform/net/Sockets.h"

#include "platform/SystemError.h"

#include <cerrno>
#include <cstring>

#ifdef _WIN32
#include <winsock2.h>
#include <ws2tcpip.h>
#include <mstcpip.h>
#else
#include <netinet/tcp.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>
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
