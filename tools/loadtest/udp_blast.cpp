// A paced UDP syslog sender for load tests: exactly RATE x SECONDS datagrams
// of SIZE bytes to HOST:PORT, sent with sendmmsg in 1 ms slices so the rate
// is sustained rather than a burst. Loopback targets only. PRIORITIES, a
// comma-separated list, are used in turn (default 13).
//
//   udp-blast HOST PORT RATE SECONDS [SIZE [PRIORITIES]]
//   udp-blast --free-port
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

int main(int argc, char** argv) {
    // A free UDP port on 127.0.0.1 for a receiver to take.
    if (argc == 2 && std::string(argv[1]) == "--free-port") {
        const int fd = socket(AF_INET, SOCK_DGRAM, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t len = sizeof a;
        if (bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 ||
            getsockname(fd, reinterpret_cast<sockaddr*>(&a), &len) != 0)
            return 1;
        std::printf("%d\n", ntohs(a.sin_port));
        close(fd);
        return 0;
    }
    if (argc < 5) {
        std::fprintf(stderr, "usage: udp-blast HOST PORT RATE SECONDS [SIZE [PRIORITIES]]\n");
        return 2;
    }
    const std::string host = argv[1];
    const int port = std::atoi(argv[2]);
    const long rate = std::atol(argv[3]);
    const long seconds = std::atol(argv[4]);
    const std::size_t size = argc > 5 ? static_cast<std::size_t>(std::atol(argv[5])) : 150;
    std::vector<std::string> priorities;
    for (std::string list = argc > 6 ? argv[6] : "13", item; !list.empty();) {
        const std::size_t comma = list.find(',');
        item = list.substr(0, comma);
        if (!item.empty()) priorities.push_back("<" + item + ">");
        list = comma == std::string::npos ? "" : list.substr(comma + 1);
    }
    if (priorities.empty()) return 2;
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(static_cast<unsigned short>(port));
    if (inet_pton(AF_INET, host.c_str(), &to.sin_addr) != 1 || (ntohl(to.sin_addr.s_addr) >> 24) != 127) {
        std::fprintf(stderr, "udp-blast: only loopback addresses (127.0.0.0/8) are allowed\n");
        return 2;
    }
    if (rate <= 0 || seconds <= 0 || seconds > 600 || size < 32 || size > 65000) return 2;
    const int fd = socket(AF_INET, SOCK_DGRAM, 0);
    int sendBuffer = 4 << 20;
    setsockopt(fd, SOL_SOCKET, SO_SNDBUF, &sendBuffer, sizeof sendBuffer);

    const long total = rate * seconds;
    constexpr int kBatch = 64;
    std::vector<std::string> payloads(kBatch);
    std::vector<iovec> iov(kBatch);
    std::vector<mmsghdr> msgs(kBatch);
    long sent = 0;
    const auto start = std::chrono::steady_clock::now();
    while (sent < total) {
        // Messages due by now.
        const double elapsed =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        long due = std::min(total, static_cast<long>(elapsed * static_cast<double>(rate)) + 1);
        if (elapsed > static_cast<double>(seconds) * 3 + 5) break; // bounded in time whatever happens
        while (sent < due) {
            const int n = static_cast<int>(std::min<long>(kBatch, due - sent));
            for (int i = 0; i < n; ++i) {
                std::string& p = payloads[static_cast<std::size_t>(i)];
                p = priorities[static_cast<std::size_t>(sent + i) % priorities.size()] +
                    "Dec  7 21:12:19 loadhost bench[42]: seq " + std::to_string(sent + i) + " ";
                p.resize(size, 'x');
                iov[static_cast<std::size_t>(i)] = {p.data(), p.size()};
                msgs[static_cast<std::size_t>(i)] = {};
                msgs[static_cast<std::size_t>(i)].msg_hdr.msg_name = &to;
                msgs[static_cast<std::size_t>(i)].msg_hdr.msg_namelen = sizeof to;
                msgs[static_cast<std::size_t>(i)].msg_hdr.msg_iov = &iov[static_cast<std::size_t>(i)];
                msgs[static_cast<std::size_t>(i)].msg_hdr.msg_iovlen = 1;
            }
            const int r = sendmmsg(fd, msgs.data(), static_cast<unsigned>(n), 0);
            if (r <= 0) break;
            sent += r;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    close(fd);
    std::printf("%ld\n", sent);
    return 0;
}
