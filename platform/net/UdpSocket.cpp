#include "platform/net/UdpSocket.h"

#include "platform/net/SocketTypes.h"
#include "platform/net/Sockets.h"

#include <cstring>

#ifndef _WIN32
#include <linux/sock_diag.h>
#endif

namespace qm {

ReceiveBatch::ReceiveBatch() : storage(static_cast<std::size_t>(kSlots) * UdpSocket::kMaxDatagram) {}

char* ReceiveBatch::Slot(int i) {
    return storage.data() + static_cast<std::size_t>(i) * UdpSocket::kMaxDatagram;
}

UdpSocket::UdpSocket() {
    EnsureSockets();
}

UdpSocket::~UdpSocket() {
    Close();
}

bool UdpSocket::IsOpen() const {
    return handle_ != -1;
}

long long UdpSocket::Handle() const {
    return handle_;
}

void UdpSocket::Close() {
    CloseSocket(handle_);
    handle_ = -1;
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
    if (getsockopt(Native(handle_), SOL_SOCKET, SO_MEMINFO, info, &len) != 0 ||
        len <= SK_MEMINFO_DROPS * sizeof info[0])
        return std::nullopt;
    return info[SK_MEMINFO_DROPS];
#else
    return std::nullopt;
#endif
}

Result UdpSocket::Open(int port, int receiveBuffer, Family family) {
    Close();
    family_ = family;
    const std::string what = "UDP port " + std::to_string(port) + (family == Family::IPv6 ? " (IPv6)" : "");
    const auto fail = [&](const char* doing) {
        const int code = LastSocketError();
        Close();
        return Result::Failed(what + " cannot be " + doing + ": " + SocketErrorText(code) + ".");
    };
    if (port < 0 || port > 65535) return Result::Failed(what + " is not a valid port number.");

    handle_ = NewSocket(family == Family::IPv6 ? AF_INET6 : AF_INET, SOCK_DGRAM);
    if (handle_ == -1) return fail("opened");
    const NativeSocket s = Native(handle_);
    if (!SetNonBlocking(handle_)) return fail("opened");
    // A larger buffer absorbs bursts while the reader is held up; a smaller
    // grant than asked for is not an error.
    int size = receiveBuffer;
#ifdef SO_RCVBUFFORCE
    const int forced = kForcedReceiveBuffer;
    if (receiveBuffer != kReceiveBuffer || setsockopt(s, SOL_SOCKET, SO_RCVBUFFORCE, &forced, sizeof forced) != 0)
#endif
        setsockopt(s, SOL_SOCKET, SO_RCVBUF, reinterpret_cast<const char*>(&size), sizeof size);
#ifdef SO_RXQ_OVFL
    const int on = 1;
    setsockopt(s, SOL_SOCKET, SO_RXQ_OVFL, &on, sizeof on);
#endif

    if (const BindStep bound = BindEveryAddress(handle_, family, port); bound != BindStep::Done)
        return fail(bound == BindStep::Option ? "opened" : "listened on");
    return {};
}

int UdpSocket::BoundPort() const {
    if (!IsOpen()) return 0;
    return LocalPort(handle_);
}

int UdpSocket::ReceiveBufferSize() const {
    if (!IsOpen()) return 0;
    int size = 0;
    SocketLength len = sizeof size;
    if (getsockopt(Native(handle_), SOL_SOCKET, SO_RCVBUF, reinterpret_cast<char*>(&size), &len) != 0) return 0;
    return size;
}

UdpSocket::Read UdpSocket::ReadDatagram(char* buffer, std::size_t size, std::size_t& length,
                                        char (&fromIp)[kMaxAddressText + 1], std::size_t& fromIpLength,
                                        int& fromPort) {
    length = 0;
    fromIpLength = 0;
    fromPort = 0;
    if (!IsOpen()) return Read::Error;
    sockaddr_storage from{};
    SocketLength fromLen = sizeof from;
    const auto n = recvfrom(Native(handle_), buffer, static_cast<int>(size), 0, reinterpret_cast<sockaddr*>(&from),
                            &fromLen);
    if (n < 0) return WouldBlock(LastSocketError()) ? Read::NoneWaiting : Read::Error;
    length = static_cast<std::size_t>(n);
    AddressOf(reinterpret_cast<const sockaddr*>(&from), fromIp, fromIpLength, fromPort);
    return Read::Datagram;
}

UdpSocket::Read UdpSocket::ReadBatch(ReceiveBatch& batch) {
    batch.count = 0;
    if (!IsOpen()) return Read::Error;
#ifdef __linux__
    mmsghdr msgs[ReceiveBatch::kSlots]{};
    iovec iov[ReceiveBatch::kSlots];
    sockaddr_storage from[ReceiveBatch::kSlots]{};
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
    const int n = recvmmsg(Native(handle_), msgs, ReceiveBatch::kSlots, MSG_DONTWAIT, nullptr);
    if (n < 0) return WouldBlock(LastSocketError()) ? Read::NoneWaiting : Read::Error;
    for (int i = 0; i < n; ++i) {
        const auto slot = static_cast<std::size_t>(i);
        batch.length[slot] = msgs[i].msg_len;
        char text[kMaxAddressText + 1];
        AddressOf(reinterpret_cast<const sockaddr*>(&from[i]), text, batch.fromIpLength[slot], batch.fromPort[slot]);
        std::memcpy(batch.fromIp[slot].data(), text, batch.fromIpLength[slot]);
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
        const auto slot = static_cast<std::size_t>(i);
        char ip[kMaxAddressText + 1];
        std::size_t length = 0, ipLength = 0;
        int port = 0;
        const Read r = ReadDatagram(batch.Slot(i), kMaxDatagram, length, ip, ipLength, port);
        if (r != Read::Datagram) return batch.count > 0 ? Read::Datagram : r;
        batch.length[slot] = length;
        std::memcpy(batch.fromIp[slot].data(), ip, ipLength);
        batch.fromIpLength[slot] = ipLength;
        batch.fromPort[slot] = port;
        ++batch.count;
    }
    return Read::Datagram;
#endif
}

} // namespace qm
