// The receiver's socket without Qt: one datagram over 127.0.0.1 (Winsock
// in the Windows build).
#include "platform/UdpSocket.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#ifdef _WIN32
#include <winsock2.h>
#include <ws2tcpip.h>
#else
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>
#define closesocket close
#endif

using namespace qm;

namespace {

TEST(UdpSocket, ReceivesADatagramWithItsSender) {
    UdpSocket receiver;
    ASSERT_TRUE(receiver.Open(0));
    const int port = receiver.BoundPort();
    ASSERT_GT(port, 0);

    const auto sender = socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in from{};
    from.sin_family = AF_INET;
    from.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ASSERT_EQ(bind(sender, reinterpret_cast<sockaddr*>(&from), sizeof from), 0);
    sockaddr_in to = from;
    to.sin_port = htons(static_cast<unsigned short>(port));
    const char text[] = "<13>app: over loopback!";
    ASSERT_EQ(sendto(sender, text, static_cast<int>(sizeof text - 1), 0, reinterpret_cast<sockaddr*>(&to),
                     sizeof to),
              static_cast<int>(sizeof text - 1));
#ifdef _WIN32
    int len = sizeof from;
#else
    socklen_t len = sizeof from;
#endif
    getsockname(sender, reinterpret_cast<sockaddr*>(&from), &len);

    char buffer[UdpSocket::kMaxDatagram];
    std::size_t length = 0;
    char ip[16];
    int senderPort = 0;
    UdpSocket::Read r = UdpSocket::Read::NoneWaiting;
    for (int i = 0; i < 200 && r == UdpSocket::Read::NoneWaiting; ++i) {
        r = receiver.ReadDatagram(buffer, sizeof buffer, length, ip, senderPort);
        if (r == UdpSocket::Read::NoneWaiting) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    ASSERT_EQ(r, UdpSocket::Read::Datagram);
    EXPECT_EQ(std::string(buffer, length), text);
    EXPECT_STREQ(ip, "127.0.0.1");
    EXPECT_EQ(senderPort, ntohs(from.sin_port));
    closesocket(sender);
    // Nothing more is waiting: the read says so instead of blocking.
    EXPECT_EQ(receiver.ReadDatagram(buffer, sizeof buffer, length, ip, senderPort),
              UdpSocket::Read::NoneWaiting);
}

TEST(UdpSocket, APortInUseIsReported) {
    UdpSocket first, second;
    ASSERT_TRUE(first.Open(0));
    const std::string error = second.Open(first.BoundPort()).error;
    EXPECT_NE(error.find(std::to_string(first.BoundPort())), std::string::npos) << error;
    EXPECT_FALSE(second.IsOpen());
}

} // namespace
