// The bounded queue between a listener's reader thread and the window's
// thread. One producer, one consumer; bounded by bytes, so that a burst of
// small datagrams and a few huge ones cost the same memory. A full queue
// refuses the newest message: the UDP reader drops and counts it, the TCP
// reader stops reading until there is room.
#pragma once

#include "platform/net/Datagram.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

namespace qm {

class DatagramQueue {
public:
    // Room for the bytes of the datagrams and a small header each.
    explicit DatagramQueue(std::size_t capacityBytes);
    ~DatagramQueue();
    DatagramQueue(const DatagramQueue&) = delete;
    DatagramQueue& operator=(const DatagramQueue&) = delete;

    // Producer. False when the datagram does not fit: it is dropped.
    // `framed`: a TCP message, its terminator removed by the framing.
    // `beyondBound`: taken even past the capacity (a stopping TCP reader
    // moving what its connections held into the queue).
    bool Push(std::string_view bytes, std::string_view fromIp, int fromPort, const DateTime& arrived,
              bool listening, bool framed = false, bool beyondBound = false);

    // Consumer: a run of datagrams in arrival order, taken from the queue in
    // one go. Its memory counts against the capacity until it is released.
    class Batch {
    public:
        Batch();
        Batch(Batch&&) noexcept;
        Batch& operator=(Batch&&) noexcept;
        ~Batch();
        // The next datagram, or false at the end; its views live until the
        // next call (a block read to its end is given back then).
        bool Next(Datagram& out);
        bool Empty() const;

    private:
        friend class DatagramQueue;
        struct Block;
        std::vector<std::unique_ptr<Block>> blocks_;
        std::size_t block_ = 0;
        std::size_t offset_ = 0;
        DatagramQueue* queue_ = nullptr;
        void Release();
    };
    // Everything queued so far (the previous batch should be released first).
    Batch TakeAll();

    std::size_t Capacity() const { return capacity_; }
    // Bytes held: queued and in batches not yet released.
    std::size_t HeldBytes() const { return held_.load(std::memory_order_relaxed); }

    // The per-datagram cost in bytes beside its payload (for sizing).
    static std::size_t EntrySize(std::size_t payload);

private:
    using Block = Batch::Block;
    std::unique_ptr<Block> NewBlock(std::size_t atLeast);
    void Recycle(std::unique_ptr<Block> block);

    const std::size_t capacity_;
    std::atomic<std::size_t> held_{0};
    std::mutex mutex_;
    std::vector<std::unique_ptr<Block>> filled_; // guarded by mutex_; the last one is being filled
    std::vector<std::unique_ptr<Block>> spare_;  // guarded by mutex_
};

} // namespace qm
