// A TCP connection's bytes as the reader sees them: what it reads, what the
// stream itself must send (a TLS handshake would; plain TCP sends nothing),
// and what the reader's poll waits for. Non-blocking: a call never waits,
// and the one poll loop drives every connection. Framing, the queue, the
// bounds and the counts stay the reader's, the same for every kind of stream.
#pragma once

#include <cstddef>
#include <memory>

namespace qm {

class ConnectionStream {
public:
    enum class Status {
        Data,       // `bytes` were read
        WouldBlock, // nothing now: wait for poll
        Closed,     // the sender closed, or the connection broke
    };
    struct ReadResult {
        Status status = Status::WouldBlock;
        std::size_t bytes = 0;
    };

    virtual ~ConnectionStream() = default;
    // Reads at most `room` bytes of the message stream into `into`.
    virtual ReadResult Read(char* into, std::size_t room) = 0;
    // Whether the stream has bytes of its own to send: the reader then waits
    // for the socket to take them too and calls Flush.
    virtual bool WantsWrite() const { return false; }
    virtual Status Flush() { return Status::Data; }
    // The socket the reader's poll waits on.
    virtual long long Handle() const = 0;
};

// Plain TCP: the socket's bytes as they come; owns the socket.
std::unique_ptr<ConnectionStream> PlainTcpStream(long long handle);

} // namespace qm
