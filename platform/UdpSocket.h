// A non-blocking IPv4 UDP socket that only receives. Qt-free: the Qt
// notifier that wakes the UI thread lives in TNMUDP.
#pragma once

#include <cstddef>
#include <string>

namespace qm {

class UdpSocket {
public:
    // Large enough for any UDP datagram over IPv4.
    static constexpr std::size_t kMaxDatagram = 65535;
    // Asked for at open; the kernel may double it up to its cap.
    static constexpr int kReceiveBuffer = 4 * 1024 * 1024;

    UdpSocket();
    ~UdpSocket();
    UdpSocket(const UdpSocket&) = delete;
    UdpSocket& operator=(const UdpSocket&) = delete;

    // Binds to every local IPv4 address on `port` (0 picks a free one).
    // Returns an empty text, or the reason for the operator.
    std::string Open(int port);
    void Close();
    bool IsOpen() const;
    // The native handle, for a readiness notifier; -1 when closed.
    long long Handle() const;
    int BoundPort() const;
    // The receive buffer the kernel granted.
    int ReceiveBufferSize() const;

    enum class Read { Datagram, NoneWaiting, Error };
    // Reads one waiting datagram into `buffer`. `fromIp` gets the sender as
    // dotted text (at most 15 characters and a NUL).
    Read ReadDatagram(char* buffer, std::size_t size, std::size_t& length, char (&fromIp)[16], int& fromPort);

private:
#ifdef _WIN32
    unsigned long long handle_;
#else
    int handle_;
#endif
};

} // namespace qm
