// The key store the store tests run against: a SQLite file in a temporary
// folder, or (on Windows) the registry itself under a key of the test's own.
#pragma once

#include "KeyStore.h"
#include "TempDir.h"

#include <memory>

#ifdef _WIN32
#include <windows.h>
#else
#include "SqliteKeyStore.h"
#endif

namespace qmtest {

inline std::unique_ptr<qm::KeyStore> MakeTestStore(const TempDir& dir) {
#ifdef _WIN32
    (void)dir;
    return qm::openUserKeyStore();
#else
    return std::make_unique<qm::SqliteKeyStore>(dir / "registry.sqlite");
#endif
}

// Windows enumerates a key's values in the order they were created, and so
// does the SQLite store. Wine's registry keeps them sorted by name, so under
// Wine the order checks have nothing to check.
inline bool StoreKeepsCreationOrder() {
#ifdef _WIN32
    return GetProcAddress(GetModuleHandleA("ntdll.dll"), "wine_get_version") == nullptr;
#else
    return true;
#endif
}

} // namespace qmtest
