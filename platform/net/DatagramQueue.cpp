#include "platform/net/DatagramQueue.h"

#include "platform/net/NetAddress.h"

#include <algorithm>
#include <cstring>

namespace qm {

namespace {

// Blocks of this size hold many datagrams; a datagram never straddles two.
constexpr std::size_t kBlockBytes = 1 << 20;
// Empty blocks kept for reuse, so a steady flow allocates nothing.
constexpr std::size_t kSpareBlocks = 4;

// The sender travels as text: an IPv6 address takes up to 45 characters.
// `framed` sits in what would be padding before the time.
struct Header {
    std::uint32_t length;
    std::uint16_t port;
    std::uint8_t listening;
    std::uint8_t ipLength;
    char ip[kMaxAddressText];
    std::uint8_t framed;
    DateTime arrived;
};

constexpr std::size_t Align(std::size_t n) {
    return (n + alignof(Header) - 1) & ~(alignof(Header) - 1);
}

} // namespace

struct DatagramQueue::Batch::Block {
    explicit Block(std::size_t size) : data(new char[size]), size(size) {}
    std::unique_ptr<char[]> data;
    std::size_t size;
    std::size_t used = 0;
};

std::size_t DatagramQueue::EntrySize(std::size_t payload) {
    return Align(sizeof(Header) + payload);
}

DatagramQueue::DatagramQueue(std::size_t capacityBytes) : capacity_(capacityBytes) {}

DatagramQueue::~DatagramQueue() = default;

std::unique_ptr<DatagramQueue::Block> DatagramQueue::NewBlock(std::size_t atLeast) {
    if (atLeast <= kBlockBytes && !spare_.empty()) {
        std::unique_ptr<Block> block = std::move(spare_.back());
        spare_.pop_back();
        block->used = 0;
        return block;
    }
    return std::make_unique<Block>(std::max(kBlockBytes, atLeast));
}

void DatagramQueue::Recycle(std::unique_ptr<Block> block) {
    const std::lock_guard<std::mutex> lock(mutex_);
    if (block->size == kBlockBytes && spare_.size() < kSpareBlocks) spare_.push_back(std::move(block));
}

bool DatagramQueue::Push(std::string_view bytes, std::string_view fromIp, int fromPort, const DateTime& arrived,
                         bool listening, bool framed, bool beyondBound) {
    const std::size_t size = EntrySize(bytes.size());
    if (!beyondBound && held_.load(std::memory_order_relaxed) + size > capacity_) return false;
    const std::lock_guard<std::mutex> lock(mutex_);
    if (filled_.empty() || filled_.back()->size - filled_.back()->used < size) filled_.push_back(NewBlock(size));
    Block& block = *filled_.back();
    Header header{};
    header.length = static_cast<std::uint32_t>(bytes.size());
    header.port = static_cast<std::uint16_t>(fromPort);
    header.listening = listening ? 1 : 0;
    header.framed = framed ? 1 : 0;
    header.ipLength = static_cast<std::uint8_t>(std::min(fromIp.size(), sizeof header.ip));
    std::memcpy(header.ip, fromIp.data(), header.ipLength);
    header.arrived = arrived;
    std::memcpy(block.data.get() + block.used, &header, sizeof header);
    if (!bytes.empty()) std::memcpy(block.data.get() + block.used + sizeof header, bytes.data(), bytes.size());
    block.used += size;
    held_.fetch_add(size, std::memory_order_relaxed);
    return true;
}

DatagramQueue::Batch DatagramQueue::TakeAll() {
    Batch batch;
    batch.queue_ = this;
    const std::lock_guard<std::mutex> lock(mutex_);
    batch.blocks_.swap(filled_);
    return batch;
}

DatagramQueue::Batch::Batch() = default;

DatagramQueue::Batch::Batch(Batch&& other) noexcept
    : blocks_(std::move(other.blocks_)), block_(other.block_), offset_(other.offset_), queue_(other.queue_) {
    other.blocks_.clear();
    other.queue_ = nullptr;
}

DatagramQueue::Batch& DatagramQueue::Batch::operator=(Batch&& other) noexcept {
    if (this != &other) {
        Release();
        blocks_ = std::move(other.blocks_);
        block_ = other.block_;
        offset_ = other.offset_;
        queue_ = other.queue_;
        other.blocks_.clear();
        other.queue_ = nullptr;
    }
    return *this;
}

DatagramQueue::Batch::~Batch() {
    Release();
}

void DatagramQueue::Batch::Release() {
    if (!queue_) return;
    for (auto& block : blocks_) {
        if (!block) continue; // given back already
        queue_->held_.fetch_sub(block->used, std::memory_order_relaxed);
        queue_->Recycle(std::move(block));
    }
    blocks_.clear();
    block_ = offset_ = 0;
}

bool DatagramQueue::Batch::Empty() const {
    for (std::size_t b = block_; b < blocks_.size(); ++b)
        if ((b == block_ ? offset_ : 0) < blocks_[b]->used) return false;
    return true;
}

bool DatagramQueue::Batch::Next(Datagram& out) {
    while (block_ < blocks_.size() && offset_ >= blocks_[block_]->used) {
        // A block read to its end goes back at once: a long batch taken after
        // a busy spell must not keep the room new datagrams need.
        if (queue_) {
            queue_->held_.fetch_sub(blocks_[block_]->used, std::memory_order_relaxed);
            queue_->Recycle(std::move(blocks_[block_]));
        }
        ++block_;
        offset_ = 0;
    }
    if (block_ >= blocks_.size()) return false;
    const char* at = blocks_[block_]->data.get() + offset_;
    Header header;
    std::memcpy(&header, at, sizeof header);
    // The header sits in the block; views point into it, valid while the batch lives.
    const char* ip = at + offsetof(Header, ip);
    out.bytes = std::string_view(at + sizeof header, header.length);
    out.fromIp = std::string_view(ip, header.ipLength);
    out.fromPort = header.port;
    out.arrived = header.arrived;
    out.listening = header.listening != 0;
    out.framed = header.framed != 0;
    offset_ += EntrySize(header.length);
    return true;
}

} // namespace qm
