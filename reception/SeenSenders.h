// The senders and priorities that came but that no list knows: sender
// addresses that matched no IP entry, and priorities whose message matched no
// ID entry. Kept in memory only, at most kMaxSeen of each, the least recently
// seen dropped first; each update costs the same at any size.
#pragma once

#include "platform/Clock.h"

#include <cstddef>
#include <cstdint>
#include <list>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace qm {

struct SeenEntry {
    std::string key; // the address, or the priority's number ("none" without one)
    std::uint64_t messages = 0;
    DateTime first;
    DateTime last;
};

class SeenList {
public:
    static constexpr std::size_t kMaxSeen = 1000;

    void Note(std::string_view key, const DateTime& at);
    // Most recently seen first.
    std::vector<SeenEntry> Entries() const;
    // Drops the entries whose key `listed` says a list now knows.
    template <typename Listed> void Forget(Listed listed) {
        for (auto it = order_.begin(); it != order_.end();) {
            if (!listed(it->key)) {
                ++it;
                continue;
            }
            index_.erase(it->key);
            it = order_.erase(it);
        }
    }
    std::size_t Size() const { return order_.size(); }

private:
    struct Hash {
        using is_transparent = void;
        std::size_t operator()(std::string_view s) const { return std::hash<std::string_view>{}(s); }
    };
    std::list<SeenEntry> order_; // most recent first
    std::unordered_map<std::string, std::list<SeenEntry>::iterator, Hash, std::equal_to<>> index_;
};

// The priority key of a message: its number as sent, or "none" when it has
// no readable one.
inline constexpr const char* kNoPriority = "none";

} // namespace qm
