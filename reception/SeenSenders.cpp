#include "reception/SeenSenders.h"

namespace qm {

void SeenList::Note(std::string_view key, const DateTime& at) {
    if (const auto hit = index_.find(key); hit != index_.end()) {
        order_.splice(order_.begin(), order_, hit->second); // now the most recent
        SeenEntry& entry = order_.front();
        ++entry.messages;
        entry.last = at;
        return;
    }
    if (order_.size() == kMaxSeen) {
        index_.erase(order_.back().key);
        order_.pop_back();
    }
    order_.push_front({std::string(key), 1, at, at});
    index_.emplace(order_.front().key, order_.begin());
}

std::vector<SeenEntry> SeenList::Entries() const {
    return {order_.begin(), order_.end()};
}

} // namespace qm
