// The receiver's socket without Qt: one datagram over 127.0.0.1 (Winsock
// in the Windows build).
#include "platform/net/UdpSocket.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#ifdef _WIN32
#include <winsock2.h>
#include <ws2tcpip.h>
using socklen_t = int;
#else
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>
#define closesocket close
#endif

using namespace qm;

namespace {

// Over each family's loopback: the datagram whole, its sender as text.
TEST(UdpSocket, ReceivesADatagramWithItsSender) {
    for (const Family family : {Family::IPv4, Family::IPv6}) {
        SCOPED_TRACE(family == Family::IPv6 ? "IPv6" : "IPv4");
        UdpSocket receiver;
        ASSERT_TRUE(receiver.Open(0, UdpSocket::kReceiveBuffer, family));
        const int port = receiver.BoundPort();
        ASSERT_GT(port, 0);

        const auto sender = socket(family == Family::IPv6 ? AF_INET6 : AF_INET, SOCK_DGRAM, 0);
        sockaddr_storage from{}, to{};
        socklen_t length = 0;
        if (family == Family::IPv6) {
            auto& f = reinterpret_cast<sockaddr_in6&>(from);
            f.sin6_family = AF_INET6;
            f.sin6_addr = in6addr_loopback;
            length = sizeof f;
        } else {
            auto& f = reinterpret_cast<sockaddr_in&>(from);
            f.sin_family = AF_INET;
            f.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
            length = sizeof f;
        }
        ASSERT_EQ(bind(sender, reinterpret_cast<sockaddr*>(&from), length), 0);
        to = from;
        if (family == Family::IPv6)
            reinterpret_cast<sockaddr_in6&>(to).sin6_port = htons(static_cast<unsigned short>(port));
        else
            reinterpret_cast<sockaddr_in&>(to).sin_port = htons(static_cast<unsigned short>(port));
        const char text[] = "<13>app: over loopback!";
        ASSERT_EQ(sendto(sender, text, static_cast<int>(sizeof text - 1), 0, reinterpret_cast<sockaddr*>(&to), length),
                  static_cast<int>(sizeof text - 1));
        getsockname(sender, reinterpret_cast<sockaddr*>(&from), &length);
        const int fromPort = ntohs(family == Family::IPv6 ? reinterpret_cast<sockaddr_in6&>(from).sin6_port
                                                          : reinterpret_cast<sockaddr_in&>(from).sin_port);

        static char buffer[UdpSocket::kMaxDatagram];
        std::size_t got = 0, ipLength = 0;
        char ip[kMaxAddressText + 1];
        int senderPort = 0;
        UdpSocket::Read r = UdpSocket::Read::NoneWaiting;
        for (int i = 0; i < 200 && r == UdpSocket::Read::NoneWaiting; ++i) {
            r = receiver.ReadDatagram(buffer, sizeof buffer, got, ip, ipLength, senderPort);
            if (r == UdpSocket::Read::NoneWaiting) std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        ASSERT_EQ(r, UdpSocket::Read::Datagram);
        EXPECT_EQ(std::string(buffer, got), text);
        EXPECT_EQ(std::string(ip, ipLength), family == Family::IPv6 ? "::1" : "127.0.0.1");
        EXPECT_EQ(senderPort, fromPort);
        closesocket(sender);
        // Nothing more is waiting: the read says so instead of blocking.
        EXPECT_EQ(receiver.ReadDatagram(buffer, sizeof buffer, got, ip, ipLength, senderPort),
                  UdpSocket::Read::NoneWaiting);
    }
}

// The IPv6 socket takes IPv6 alone: the IPv4 socket of the same port stands
// beside it (on Linux a dual socket would hold the IPv4 port too).
TEST(UdpSocket, AnIPv6SocketLeavesIPv4ToTheSocketBesideIt) {
    UdpSocket v6, v4;
    ASSERT_TRUE(v6.Open(0, UdpSocket::kReceiveBuffer, Family::IPv6));
    const Result opened = v4.Open(v6.BoundPort());
    EXPECT_TRUE(opened) << opened.error;
}

TEST(UdpSocket, APortInUseIsReported) {
    UdpSocket first, second;
    ASSERT_TRUE(first.Open(0));
    const std::string error = second.Open(first.BoundPort()).error;
    EXPECT_NE(error.find(std::to_string(first.BoundPort())), std::string::npos) << error;
    EXPECT_FALSE(second.IsOpen());
}

} // namespace
