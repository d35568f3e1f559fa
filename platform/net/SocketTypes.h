// The socket types both systems' socket code is written with, said once,
// and the one wait every reader waits in. Only the socket sources of
// platform/net/ include it.
#pragma once

#ifdef _WIN32
#include <winsock2.h>
#include <ws2tcpip.h>
#else
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>
#endif

#include <vector>

namespace qm {

#ifdef _WIN32
using SocketLength = int;
using NativeSocket = SOCKET;
using PollEntry = WSAPOLLFD;
#else
using SocketLength = socklen_t;
using NativeSocket = int;
using PollEntry = pollfd;
#endif

inline NativeSocket Native(long long handle) {
    return static_cast<NativeSocket>(handle);
}

// Waits until one of `entries` is ready, at most `timeoutMs` (-1: no
// limit). A signal that interrupts the wait is waited through; another
// error returns at once (the reader's loop goes round and waits again).
void PollSockets(std::vector<PollEntry>& entries, int timeoutMs);

// A new socket of the family (AF_INET, AF_INET6) and type, or -1.
long long NewSocket(int family, int type);
// A listening socket's port is its own: on Windows nobody may bind it
// beside it; elsewhere a restart binds it again while the last run's
// connections wait out TIME_WAIT.
void HoldPortForListening(long long handle);
// The next connection waiting on `listener`, non-blocking and not
// inherited, or -1 when none waits.
long long AcceptConnection(long long listener, sockaddr_storage& from);

} // namespace qm
