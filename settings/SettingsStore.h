// Loads, saves and clears the Options under Software\tovrel\Ferrowick of the
// user's key store. Each operation is one transaction.
#pragma once

#include "platform/KeyStore.h"
#include "platform/Result.h"
#include "settings/Options.h"

#include <string>

namespace qm {

inline constexpr const char* kSettingsKey = "Software\\tovrel\\Ferrowick";
inline constexpr const char* kGeneralKey = "Software\\tovrel\\Ferrowick\\General";
inline constexpr const char* kIdKey = "Software\\tovrel\\Ferrowick\\ID";
inline constexpr const char* kIpKey = "Software\\tovrel\\Ferrowick\\IP";
inline constexpr const char* kTokenKey = "Software\\tovrel\\Ferrowick\\Token";
inline constexpr const char* kPlacementKey = "Software\\tovrel\\Ferrowick\\TfrmUDP";
inline constexpr const char* kNetworkKey = "Software\\tovrel\\Ferrowick\\Network";

// Replaces the general and network options and the three lists; run-time fields stay.
// On failure the record is left as it was.
[[nodiscard]] Result LoadOptions(KeyStore& store, Options& options);

// Writes the general options and the lists; does nothing while SaveBlocked.
[[nodiscard]] Result SaveOptions(KeyStore& store, const Options& options);

// Deletes General, Network, ID, IP, Token and TfrmUDP; the key itself stays.
[[nodiscard]] Result ClearOptions(KeyStore& store);

} // namespace qm
