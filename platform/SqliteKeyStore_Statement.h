// The store's prepared statements; for the files that make up SqliteKeyStore only.
#pragma once

#include "platform/SqliteKeyStore.h"

#include <sqlite3.h>

#include <string>

namespace qm {

// A prepared statement that finalizes itself; statements are prepared once per
// connection and reset between uses.
class SqliteKeyStore::Statement {
public:
    Statement(sqlite3* db, const char* sql) {
        if (sqlite3_prepare_v2(db, sql, -1, &stmt_, nullptr) != SQLITE_OK) stmt_ = nullptr;
    }
    ~Statement() { sqlite3_finalize(stmt_); }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    bool Ok() const { return stmt_ != nullptr; }
    void Reset() {
        sqlite3_reset(stmt_);
        sqlite3_clear_bindings(stmt_);
    }
    void Bind(int index, const std::string& bytes) {
        sqlite3_bind_blob(stmt_, index, bytes.data(), static_cast<int>(bytes.size()), SQLITE_TRANSIENT);
    }
    void Bind(int index, sqlite3_int64 number) { sqlite3_bind_int64(stmt_, index, number); }
    int Step() { return sqlite3_step(stmt_); }
    std::string Blob(int column) {
        const void* data = sqlite3_column_blob(stmt_, column);
        const int size = sqlite3_column_bytes(stmt_, column);
        return data ? std::string(static_cast<const char*>(data), static_cast<std::size_t>(size)) : std::string();
    }
    sqlite3_int64 Integer(int column) { return sqlite3_column_int64(stmt_, column); }

private:
    sqlite3_stmt* stmt_ = nullptr;
};

// A prepared statement in use; reset when done, so that it holds no lock.
class SqliteKeyStore::InUse {
public:
    explicit InUse(Statement& st) : st_(st) {}
    ~InUse() { st_.Reset(); }
    InUse(const InUse&) = delete;
    InUse& operator=(const InUse&) = delete;
    Statement* operator->() { return &st_; }

private:
    Statement& st_;
};

} // namespace qm
