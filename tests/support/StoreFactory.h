// The key store the store tests run against: a SQLite file in a temporary
// folder, or (on Windows) the registry itself under a key of the test's own.
#pragma once

#include "KeyStore.h"
#include "TempDir.h"

#include <memory>

#ifndef _WIN32
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

} // namespace qmtest
