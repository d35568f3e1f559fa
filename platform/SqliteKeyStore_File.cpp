// The settings file itself: where it lives, opening it, setting a damaged one
// aside, its layout (and the earlier one's migration), transactions.
#include "platform/SqliteKeyStore_Statement.h"

#include <cstdlib>
#include <ctime>
#include <fcntl.h>
#include <system_error>
#include <unistd.h>

namespace qm {

namespace {

// A tree of keys: each key holds its own name only, so the store grows with
// what it holds, however deep the keys nest. Names are blobs so bytes of any
// code page survive untouched; ids and seq keep the creation order.
const char* const kSchema = "CREATE TABLE IF NOT EXISTS nodes("
                            " id INTEGER PRIMARY KEY AUTOINCREMENT,"
                            " parent INTEGER NOT NULL,"
                            " name BLOB NOT NULL,"
                            " name_fold BLOB NOT NULL,"
                            " UNIQUE(parent, name_fold));"
                            "CREATE TABLE IF NOT EXISTS node_values("
                            " seq INTEGER PRIMARY KEY AUTOINCREMENT,"
                            " node INTEGER NOT NULL,"
                            " name BLOB NOT NULL,"
                            " name_fold BLOB NOT NULL,"
                            " type INTEGER NOT NULL,"
                            " data BLOB NOT NULL,"
                            " UNIQUE(node, name_fold));";

// Earlier versions kept every key under its whole path, which grew with the
// square of the nesting. Their files are read into the tree at open.
const char* const kHasOldLayout = "SELECT 1 FROM sqlite_master WHERE type = 'table' AND name = 'keys'";
const char* const kHasTree = "SELECT 1 FROM sqlite_master WHERE name = 'nodes'";

std::string TimestampForFileName() {
    const std::time_t now = std::time(nullptr);
    std::tm tm{};
    localtime_r(&now, &tm);
    char buf[32];
    std::strftime(buf, sizeof buf, "%Y%m%d-%H%M%S", &tm);
    return buf;
}

} // namespace

std::filesystem::path DefaultRegistryFile() {
    std::filesystem::path base;
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    if (xdg && *xdg) {
        base = xdg;
    } else {
        const char* home = std::getenv("HOME");
        base = std::filesystem::path(home && *home ? home : ".") / ".config";
    }
    return base / "tovrel" / "registry.sqlite";
}

#ifndef _WIN32
std::unique_ptr<KeyStore> OpenUserKeyStore() {
    return std::make_unique<SqliteKeyStore>(DefaultRegistryFile());
}
#endif

SqliteKeyStore::SqliteKeyStore(std::filesystem::path file, int busyTimeoutMs)
    : file_(std::move(file)), busyTimeoutMs_(busyTimeoutMs) {}

SqliteKeyStore::~SqliteKeyStore() {
    if (inTransaction_ && db_) sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
    Close();
}

void SqliteKeyStore::Fail(const std::string& what) {
    std::string reason = db_ ? sqlite3_errmsg(db_) : "unknown reason";
    throw KeyStoreError("The settings store " + file_.string() + " cannot be " + what + ": " + reason + ".");
}

void SqliteKeyStore::Close() {
    statements_.clear();
    resolved_.clear();
    resolvedIds_.clear();
    if (db_) sqlite3_close_v2(db_);
    db_ = nullptr;
}

SqliteKeyStore::InUse SqliteKeyStore::Prepared(const char* sql) {
    auto& slot = statements_[sql];
    if (!slot) {
        slot = std::make_unique<Statement>(db_, sql);
        if (!slot->Ok()) {
            slot.reset();
            Fail("read");
        }
    }
    return InUse(*slot);
}

bool SqliteKeyStore::Query(const char* sql) {
    Statement st(db_, sql);
    return st.Ok() && st.Step() == SQLITE_ROW;
}

void SqliteKeyStore::EnsureOpen() {
    if (!db_) OpenOrRecover();
    // Outside a transaction another process may have changed the tree since.
    if (!inTransaction_) {
        resolved_.clear();
        resolvedIds_.clear();
    }
}

bool SqliteKeyStore::SetAside() {
    // A name no other damaged copy has taken: the placeholder is made with
    // O_EXCL, then the file replaces it in one rename.
    const std::string stamp = TimestampForFileName();
    for (int n = 0; n < 1000; ++n) {
        std::filesystem::path aside = file_;
        aside += ".corrupt-" + stamp + (n ? "-" + std::to_string(n) : std::string());
        const int fd = ::open(aside.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd < 0) {
            if (errno == EEXIST) continue;
            return false;
        }
        ::close(fd);
        std::error_code ec;
        std::filesystem::rename(file_, aside, ec);
        if (ec) {
            std::filesystem::remove(aside, ec);
            return false;
        }
        std::filesystem::remove(file_.string() + "-journal", ec);
        notice_ = "The settings file " + file_.string() + " was damaged. It has been kept as " + aside.string() +
                  " and the default settings are used.";
        return true;
    }
    return false;
}

void SqliteKeyStore::OpenOrRecover() {
    std::error_code ec;
    // May fail on a read-only disk; the file may still be there to read.
    std::filesystem::create_directories(file_.parent_path(), ec);

    for (int attempt = 0; attempt < 2; ++attempt) {
        int rc = sqlite3_open_v2(file_.c_str(), &db_, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
        readOnly_ = false;
        if (rc != SQLITE_OK && std::filesystem::exists(file_, ec)) {
            // A disk that is full or read-only: what is there is still read.
            Close();
            rc = sqlite3_open_v2(file_.c_str(), &db_, SQLITE_OPEN_READONLY, nullptr);
            readOnly_ = true;
        }
        if (rc != SQLITE_OK) {
            std::string reason = db_ ? sqlite3_errmsg(db_) : sqlite3_errstr(rc);
            Close();
            throw KeyStoreError("The settings store " + file_.string() + " cannot be opened: " + reason + ".");
        }
        sqlite3_busy_timeout(db_, busyTimeoutMs_);
        sqlite3_extended_result_codes(db_, 0);
        if (sqlite3_db_readonly(db_, "main") == 1) readOnly_ = true;

        // A file that is not a database, or a damaged one, is kept aside and
        // replaced by an empty store rather than overwritten or given up on.
        bool corrupt = false;
        {
            // Finalized before anything else runs: an unfinished check would
            // hold the tables it read.
            Statement quick(db_, "PRAGMA quick_check");
            if (!quick.Ok()) {
                const int code = sqlite3_errcode(db_);
                corrupt = code == SQLITE_NOTADB || code == SQLITE_CORRUPT;
                if (!corrupt) Fail("opened");
            } else {
                const int s = quick.Step();
                if (s == SQLITE_NOTADB || s == SQLITE_CORRUPT || (s == SQLITE_ROW && quick.Blob(0) != "ok"))
                    corrupt = true;
                else if (s != SQLITE_ROW)
                    Fail("opened");
            }
        }
        if (!corrupt) {
            PrepareLayout();
            return;
        }
        Close();
        if (attempt == 1) throw KeyStoreError("The settings store " + file_.string() + " is damaged.");
        if (!SetAside())
            throw KeyStoreError("The settings store " + file_.string() +
                                " is damaged and cannot be moved aside; the default settings are used.");
    }
}

void SqliteKeyStore::PrepareLayout() {
    const bool hasTree = Query(kHasTree);
    const bool old = Query(kHasOldLayout);
    if (hasTree && !old) return;
    // Made where the file can be written; in memory, for this connection,
    // where it cannot (the old layout is then read into it).
    const std::string schema = readOnly_ ? [] {
        std::string s = kSchema;
        for (std::size_t at = 0; (at = s.find("CREATE TABLE IF NOT EXISTS ", at)) != std::string::npos;)
            s.replace(at, 27, "CREATE TEMP TABLE IF NOT EXISTS "), at += 32;
        return s;
    }()
                                         : std::string(kSchema);
    if (sqlite3_exec(db_, schema.c_str(), nullptr, nullptr, nullptr) != SQLITE_OK) {
        if (!readOnly_ && sqlite3_errcode(db_) == SQLITE_READONLY) {
            readOnly_ = true; // the file opened for writing but cannot be written
            PrepareLayout();
            return;
        }
        Fail("opened");
    }
    if (old) MigrateOldLayout();
}

void SqliteKeyStore::MigrateOldLayout() {
    // One transaction: the old file is either read whole into the tree or left as it was.
    if (sqlite3_exec(db_, readOnly_ ? "BEGIN" : "BEGIN IMMEDIATE", nullptr, nullptr, nullptr) != SQLITE_OK)
        Fail("read");
    inTransaction_ = true;
    {
        Statement keys(db_, "SELECT path FROM keys ORDER BY seq");
        if (!keys.Ok()) Fail("read");
        while (keys.Step() == SQLITE_ROW)
            Resolve(keys.Blob(0), true);
        Statement vals(db_, "SELECT v.name, v.type, v.data, k.path FROM vals v JOIN keys k"
                            " ON k.path_fold = v.key_fold ORDER BY v.seq");
        if (!vals.Ok()) Fail("read");
        while (vals.Step() == SQLITE_ROW) {
            const std::string name = vals.Blob(0);
            const std::string data = vals.Blob(2);
            InsertValue(Resolve(vals.Blob(3), true), name, static_cast<int>(vals.Integer(1)), data);
        }
    }
    if (!readOnly_ && sqlite3_exec(db_, "DROP TABLE keys; DROP TABLE vals", nullptr, nullptr, nullptr) != SQLITE_OK)
        Fail("written");
    if (sqlite3_exec(db_, "COMMIT", nullptr, nullptr, nullptr) != SQLITE_OK) Fail("written");
    inTransaction_ = false;
}

std::string SqliteKeyStore::TakeNotice() {
    std::string text;
    text.swap(notice_);
    return text;
}

void SqliteKeyStore::Begin(Access access) {
    // Every transaction finds the file anew: a connection left open by a
    // single operation may stand on a file that has been replaced since.
    Close();
    EnsureOpen();
    // A write takes the lock at once (IMMEDIATE), so two writers queue on the
    // busy timeout instead of failing on a lock upgrade. A read only reads:
    // it works on a read-only disk and beside another process's write lock.
    if (access == Access::Write && readOnly_) {
        Close();
        throw KeyStoreError("The settings store " + file_.string() + " cannot be written: it is read-only.");
    }
    const char* begin = access == Access::Write ? "BEGIN IMMEDIATE" : "BEGIN";
    if (sqlite3_exec(db_, begin, nullptr, nullptr, nullptr) != SQLITE_OK)
        Fail(access == Access::Write ? "locked for writing" : "read");
    inTransaction_ = true;
}

void SqliteKeyStore::Commit() {
    if (!inTransaction_) return;
    if (sqlite3_exec(db_, "COMMIT", nullptr, nullptr, nullptr) != SQLITE_OK) {
        std::string reason = sqlite3_errmsg(db_);
        sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
        inTransaction_ = false;
        Close();
        throw KeyStoreError("The settings store " + file_.string() + " cannot be written: " + reason + ".");
    }
    inTransaction_ = false;
    // Closed between operations, so a file replaced or removed meanwhile is
    // found anew by the next one.
    Close();
}

void SqliteKeyStore::Rollback() {
    if (!inTransaction_) return;
    sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
    inTransaction_ = false;
    Close();
}

} // namespace qm
