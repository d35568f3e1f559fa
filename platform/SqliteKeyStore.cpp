#include "platform/SqliteKeyStore.h"

#include <sqlite3.h>

#include <cstdlib>
#include <ctime>
#include <fcntl.h>
#include <system_error>
#include <unistd.h>

namespace qm {

namespace {

constexpr int kTypeText = 1;  // REG_SZ
constexpr int kTypeDword = 4; // REG_DWORD

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

std::vector<std::string> Components(const std::string& path) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    while (start <= path.size()) {
        const std::size_t cut = std::min(path.find('\\', start), path.size());
        if (cut > start) parts.push_back(path.substr(start, cut - start));
        start = cut + 1;
    }
    return parts;
}

} // namespace

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

std::int64_t SqliteKeyStore::Resolve(const std::string& key, bool create) {
    const std::vector<std::string> parts = Components(key);
    // Keys come in runs that share their beginnings (a file's nested keys, an
    // export walking a tree): what the last one resolved is reused.
    std::size_t same = 0;
    while (same < parts.size() && same < resolved_.size() && FoldCase(parts[same]) == resolved_[same])
        ++same;
    resolved_.resize(same);
    resolvedIds_.resize(same);
    std::int64_t id = same ? resolvedIds_.back() : 0;
    for (std::size_t i = same; i < parts.size(); ++i) {
        const std::string fold = FoldCase(parts[i]);
        InUse find = Prepared("SELECT id FROM nodes WHERE parent = ?1 AND name_fold = ?2");
        find->Bind(1, id);
        find->Bind(2, fold);
        const int rc = find->Step();
        if (rc == SQLITE_ROW) {
            id = find->Integer(0);
        } else if (rc != SQLITE_DONE) {
            Fail("read");
        } else if (!create) {
            return -1;
        } else {
            InUse add = Prepared("INSERT INTO nodes(parent, name, name_fold) VALUES(?1, ?2, ?3)");
            add->Bind(1, id);
            add->Bind(2, parts[i]);
            add->Bind(3, fold);
            if (add->Step() != SQLITE_DONE) Fail("written");
            id = sqlite3_last_insert_rowid(db_);
        }
        resolved_.push_back(fold);
        resolvedIds_.push_back(id);
    }
    return id;
}

bool SqliteKeyStore::KeyExists(const std::string& key) {
    EnsureOpen();
    return Resolve(key, false) >= 0;
}

void SqliteKeyStore::CreateKey(const std::string& key) {
    EnsureOpen();
    Resolve(key, true);
}

void SqliteKeyStore::DeleteTree(const std::string& key) {
    EnsureOpen();
    const std::int64_t id = Resolve(key, false);
    if (id <= 0) return; // missing, or the hive itself
    for (const char* sql :
         {"WITH RECURSIVE sub(id) AS (SELECT ?1 UNION ALL SELECT n.id FROM nodes n JOIN sub ON n.parent = sub.id)"
          " DELETE FROM node_values WHERE node IN sub",
          "WITH RECURSIVE sub(id) AS (SELECT ?1 UNION ALL SELECT n.id FROM nodes n JOIN sub ON n.parent = sub.id)"
          " DELETE FROM nodes WHERE id IN sub"}) {
        InUse st = Prepared(sql);
        st->Bind(1, id);
        if (st->Step() != SQLITE_DONE) Fail("written");
    }
    resolved_.clear();
    resolvedIds_.clear();
}

std::vector<std::string> SqliteKeyStore::SubKeys(const std::string& key) {
    EnsureOpen();
    const std::int64_t id = Resolve(key, false);
    if (id < 0) return {};
    InUse st = Prepared("SELECT name FROM nodes WHERE parent = ?1 ORDER BY id");
    st->Bind(1, id);
    std::vector<std::string> names;
    int rc;
    while ((rc = st->Step()) == SQLITE_ROW)
        names.push_back(st->Blob(0));
    if (rc != SQLITE_DONE) Fail("read");
    return names;
}

std::vector<std::string> SqliteKeyStore::ValueNames(const std::string& key) {
    EnsureOpen();
    const std::int64_t id = Resolve(key, false);
    if (id < 0) return {};
    InUse st = Prepared("SELECT name FROM node_values WHERE node = ?1 ORDER BY seq");
    st->Bind(1, id);
    std::vector<std::string> names;
    int rc;
    while ((rc = st->Step()) == SQLITE_ROW)
        names.push_back(st->Blob(0));
    if (rc != SQLITE_DONE) Fail("read");
    return names;
}

std::optional<RegValue> SqliteKeyStore::ReadValue(const std::string& key, const std::string& name) {
    EnsureOpen();
    const std::int64_t id = Resolve(key, false);
    if (id < 0) return std::nullopt;
    InUse st = Prepared("SELECT name, type, data FROM node_values WHERE node = ?1 AND name_fold = ?2");
    st->Bind(1, id);
    st->Bind(2, FoldCase(name));
    const int rc = st->Step();
    if (rc == SQLITE_DONE) return std::nullopt;
    if (rc != SQLITE_ROW) Fail("read");
    RegValue value;
    value.name = st->Blob(0);
    const sqlite3_int64 type = st->Integer(1);
    const std::string data = st->Blob(2);
    if (type == kTypeText) {
        value.type = ValueType::Text;
        value.text = data;
    } else if (type == kTypeDword && data.size() == 4) {
        value.type = ValueType::Dword;
        value.number = static_cast<std::uint32_t>(static_cast<unsigned char>(data[0])) |
                       static_cast<std::uint32_t>(static_cast<unsigned char>(data[1])) << 8 |
                       static_cast<std::uint32_t>(static_cast<unsigned char>(data[2])) << 16 |
                       static_cast<std::uint32_t>(static_cast<unsigned char>(data[3])) << 24;
    } else {
        value.type = ValueType::Other;
        value.text = data;
    }
    return value;
}

void SqliteKeyStore::InsertValue(std::int64_t node, const std::string& name, int type, const std::string& data) {
    // An existing value is updated in place so it keeps its position.
    InUse st = Prepared(
        "INSERT INTO node_values(node, name, name_fold, type, data) VALUES(?1, ?2, ?3, ?4, ?5)"
        " ON CONFLICT(node, name_fold) DO UPDATE SET type = excluded.type, data = excluded.data");
    st->Bind(1, node);
    st->Bind(2, name);
    st->Bind(3, FoldCase(name));
    st->Bind(4, static_cast<sqlite3_int64>(type));
    st->Bind(5, data);
    if (st->Step() != SQLITE_DONE) Fail("written");
}

void SqliteKeyStore::WriteValue(const std::string& key, const std::string& name, int type,
                                const std::string& data) {
    EnsureOpen();
    InsertValue(Resolve(key, true), name, type, data);
}

void SqliteKeyStore::WriteText(const std::string& key, const std::string& name, const std::string& text) {
    WriteValue(key, name, kTypeText, text);
}

void SqliteKeyStore::WriteDword(const std::string& key, const std::string& name, std::uint32_t number) {
    std::string data(4, '\0');
    for (int i = 0; i < 4; ++i)
        data[static_cast<std::size_t>(i)] = static_cast<char>((number >> (8 * i)) & 0xFF);
    WriteValue(key, name, kTypeDword, data);
}

void SqliteKeyStore::DeleteValue(const std::string& key, const std::string& name) {
    EnsureOpen();
    const std::int64_t id = Resolve(key, false);
    if (id < 0) return;
    InUse st = Prepared("DELETE FROM node_values WHERE node = ?1 AND name_fold = ?2");
    st->Bind(1, id);
    st->Bind(2, FoldCase(name));
    if (st->Step() != SQLITE_DONE) Fail("written");
}

} // namespace qm
