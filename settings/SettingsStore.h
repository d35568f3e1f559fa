// Loads, saves and clears the Options under Software\tovrel\Ferrowick of the
// user's key store. Each operation is one transaction.
#pragma once

#include "KeyStore.h"
#include "Options.h"

#include <string>

namespace qm {

inline constexpr const char* kSettingsKey = "Software\\tovrel\\Ferrowick";
inline constexpr const char* kGeneralKey = "Software\\tovrel\\Ferrowick\\General";
inline constexpr const char* kIdKey = "Software\\tovrel\\Ferrowick\\ID";
inline constexpr const char* kIpKey = "Software\\tovrel\\Ferrowick\\IP";
inline constexpr const char* kTokenKey = "Software\\tovrel\\Ferrowick\\Token";
inline constexpr const char* kPlacementKey = "Software\\tovrel\\Ferrowick\\TfrmUDP";

// ok, or the reason the store could not be used (for the standard error box).
struct StoreResult {
    bool ok = true;
    std::string error;
    explicit operator bool() const { return ok; }
};

// Replaces the general options and the three lists; run-time fields stay.
// On failure the record is left as it was.
[[nodiscard]] StoreResult LoadOptions(KeyStore& store, Options& options);

// Writes the general options and the lists; does nothing while SaveBlocked.
[[nodiscard]] StoreResult SaveOptions(KeyStore& store, const Options& options);

// Deletes General, ID, IP, Token and TfrmUDP; the key itself stays.
[[nodiscard]] StoreResult ClearOptions(KeyStore& store);

} // namespace qm
