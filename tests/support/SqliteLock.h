// Another process's hold on a settings file, as SQLite sees it: a write lock
// (readers still read) or an exclusive one (nobody reads).
#pragma once

#include <sqlite3.h>

#include <filesystem>

namespace qmtest {

class SqliteLock {
public:
    SqliteLock(const std::filesystem::path& file, bool exclusive) {
        sqlite3_open(file.c_str(), &db_);
        sqlite3_exec(db_, exclusive ? "BEGIN EXCLUSIVE" : "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
    }
    ~SqliteLock() { Release(); }
    SqliteLock(const SqliteLock&) = delete;
    SqliteLock& operator=(const SqliteLock&) = delete;
    void Release() {
        if (!db_) return;
        sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
        sqlite3_close(db_);
        db_ = nullptr;
    }

private:
    sqlite3* db_ = nullptr;
};

} // namespace qmtest
