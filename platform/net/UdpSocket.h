// A non-blocking UDP socket that only receives, on every local address of
// one family (IPv4, or IPv6 alone). Qt-free: the thread that reads it is
// DatagramReader, the Qt side that hands datagrams to the window is TNMUDP.
#pragma once

#include "platform/net/NetAddress.h"
#include "platform/Result.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace qm {

// Room for several datagrams read in one call.
struct ReceiveBatch {
    static constexpr int kSlots = 32;
    ReceiveBatch();
    std::vector<char> storage; // kSlots slots of kMaxDatagram bytes
    std::array<std::size_t, kSlots> length{};
    // The senders as text (dotted IPv4, or RFC 5952 IPv6).
    std::array<std::array<char, kMaxAddressText + 1>, kSlots> fromIp{};
    std::array<std::size_t, kSlots> fromIpLength{};
    std::array<int, kSlots> fromPort{};
    int count = 0;
    // What the system last said it dropped on this socket for want of room
    // in its receive buffer, in all (Linux, SO_RXQ_OVFL); unset elsewhere.
    std::optional<std::uint32_t> systemDrops;
    char* Slot(int i);
    std::string_view FromIp(int i) const {
        return {fromIp[static_cast<std::size_t>(i)].data(), fromIpLength[static_cast<std::size_t>(i)]};
    }
};

class UdpSocket {
public:
    // Large enough for any UDP datagram.
    static constexpr std::size_t kMaxDatagram = 65535;
    // Asked for at open; the kernel may double it up to its cap.
    static constexpr int kReceiveBuffer = 4 * 1024 * 1024;
    // Asked for past the cap where the program may (CAP_NET_ADMIN, as
    // rsyslog does): a burst waits in the kernel while the reader catches up.
    static constexpr int kForcedReceiveBuffer = 32 * 1024 * 1024;

    UdpSocket();
    ~UdpSocket();
    UdpSocket(const UdpSocket&) = delete;
    UdpSocket& operator=(const UdpSocket&) = delete;

    // Binds to every local address of `family` on `port` (0 picks a free
    // one); an IPv6 socket takes IPv6 alone. A failure says why for the
    // operator. `receiveBuffer` other than the default is asked for as it is
    // (tests use a tiny one).
    Result Open(int port, int receiveBuffer = kReceiveBuffer, Family family = Family::IPv4);
    void Close();
    bool IsOpen() const;
    Family SocketFamily() const { return family_; }
    // The native handle, for waiting on it; -1 when closed.
    long long Handle() const;
    int BoundPort() const;
    // The receive buffer the kernel granted.
    int ReceiveBufferSize() const;
    // Whether the system tells this socket how many datagrams it dropped.
    static bool CountsSystemDrops();
    // What the system has dropped on this socket so far for want of room in
    // its buffer, asked now (Linux SO_MEMINFO), without waiting for the next
    // datagram to carry the count; nothing where the system does not say.
    std::optional<std::uint32_t> SystemDrops() const;

    enum class Read { Datagram, NoneWaiting, Error };
    // Reads one waiting datagram into `buffer`, the sender as text into `fromIp`.
    Read ReadDatagram(char* buffer, std::size_t size, std::size_t& length, char (&fromIp)[kMaxAddressText + 1],
                      std::size_t& fromIpLength, int& fromPort);
    // Reads as many waiting datagrams as the batch holds, in arrival order,
    // in one system call where the platform has one (recvmmsg).
    Read ReadBatch(ReceiveBatch& batch);

private:
    long long handle_ = -1;
    Family family_ = Family::IPv4;
};

} // namespace qm
