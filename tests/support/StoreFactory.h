// The key store the store tests run against: a SQLite file in a temporary
// folder, or (on Windows) the registry itself below a key of the test's own,
// removed with the store, so the operator's settings are never touched.
#pragma once

#include "platform/KeyStore.h"
#include "support/TempDir.h"

#include <memory>
#include <string>

#ifdef _WIN32
#include "platform/WinRegistryKeyStore.h"
#include <windows.h>
#else
#include "platform/SqliteKeyStore.h"
#endif

namespace qmtest {

#ifdef _WIN32
// HKEY_CURRENT_USER\Software\tovrel\FerrowickTest-<pid>-<n> stands for the hive.
class SandboxRegistryStore : public qm::WinRegistryKeyStore {
public:
    SandboxRegistryStore() : qm::WinRegistryKeyStore(NextRoot()) {}
    ~SandboxRegistryStore() override {
        try {
            DeleteTree({});
        } catch (...) {
        }
    }

private:
    static std::string NextRoot() {
        static int n = 0;
        return "Software\\tovrel\\FerrowickTest-" + std::to_string(GetCurrentProcessId()) + "-" +
               std::to_string(++n);
    }
};
#endif

inline std::unique_ptr<qm::KeyStore> MakeTestStore(const TempDir& dir) {
#ifdef _WIN32
    (void)dir;
    return std::make_unique<SandboxRegistryStore>();
#else
    return std::make_unique<qm::SqliteKeyStore>(dir / "registry.sqlite");
#endif
}

// True when this Windows build runs under Wine (always false elsewhere).
inline bool UnderWine() {
#ifdef _WIN32
    return GetProcAddress(GetModuleHandleA("ntdll.dll"), "wine_get_version") != nullptr;
#else
    return false;
#endif
}

// Windows enumerates a key's values in the order they were created, and so
// does the SQLite store. Wine's registry keeps them sorted by name, so under
// Wine the order checks have nothing to check.
inline bool StoreKeepsCreationOrder() {
    return !UnderWine();
}

} // namespace qmtest
