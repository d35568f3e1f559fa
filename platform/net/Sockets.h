// What the socket code of both systems shares: the last error and its text,
// "would block", closing, non-blocking mode, and an address's text. Only the
// platform's socket sources include it.
#pragma once

#include "platform/net/NetAddress.h"

#include <cstddef>
#include <string>

struct sockaddr;

namespace qm {

// Winsock is started for the program's life on Windows; nothing elsewhere.
void EnsureSockets();
int LastSocketError();
std::string SocketErrorText(int code);
bool WouldBlock(int code);
void CloseSocket(long long handle);
bool SetNonBlocking(long long handle);
// TCP keep-alive on a connection, probing after `idleSeconds` without traffic.
void SetKeepAlive(long long handle, int idleSeconds);
// Binds `handle` to `port` on every local address of `family`; IPv6 alone,
// said outright (Linux would take IPv4 too): the IPv4 socket beside it hears
// those. Which step failed, if one did (LastSocketError says why).
enum class BindStep { Done, Option, Bind };
// The port a socket is bound to, or 0.
int LocalPort(long long handle);
BindStep BindEveryAddress(long long handle, Family family, int port);
// The text and port of an IPv4 or IPv6 socket address; false for another family.
bool AddressOf(const sockaddr* address, char (&text)[kMaxAddressText + 1], std::size_t& length, int& port);

} // namespace qm
