// Files in the registry editor's import format ("Windows Registry Editor
// Version 5.00"): reading them into a list of changes, applying the changes
// to a key store, and writing a key tree back out.
#pragma once

#include "platform/KeyStore.h"
#include "platform/Result.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace qm {

struct RegChange {
    enum class Kind { CreateKey, DeleteKey, SetText, SetDword, DeleteValue };
    Kind kind = Kind::CreateKey;
    std::string key;  // relative to HKEY_CURRENT_USER
    std::string name; // value name; empty for the default value "@"
    std::string text;
    std::uint32_t number = 0;
};

// The system registry's limits, which the reader keeps to.
inline constexpr std::size_t kMaxKeyDepth = 512;
inline constexpr std::size_t kMaxKeyNameLength = 255;

// Reads the whole file into `changes`; nothing is put there unless all of it
// is valid (keys no deeper than the registry allows among it). The error names
// the line: "line N: ...".
Result ParseRegFile(std::string_view bytes, std::vector<RegChange>& changes);

// Applies changes in order. Run it inside one transaction of the store.
void ApplyRegChanges(KeyStore& store, const std::vector<RegChange>& changes);

// The key (relative to HKEY_CURRENT_USER) and its sub-keys in the same format,
// lines ended by CR LF. Throws KeyStoreError when the key does not exist.
std::string ExportRegKey(KeyStore& store, const std::string& key);

// Inside a quoted name or text: each backslash doubled, each double quote
// preceded by a backslash.
std::string EscapeRegText(std::string_view text);

} // namespace qm
