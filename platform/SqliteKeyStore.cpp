#include "platform/SqliteKeyStore.h"

#include <sqlite3.h>

#include <chrono>
#include <cstdlib>
#include <ctime>
#include <system_error>

namespace qm {

namespace {

constexpr int kTypeText = 1;  // REG_SZ
constexpr int kTypeDword = 4; // REG_DWORD

// Every name is stored as a blob so bytes of any code page survive untouched.
const char* const kSchema = "CREATE TABLE IF NOT EXISTS keys("
                            " seq INTEGER PRIMARY KEY AUTOINCREMENT,"
                            " path_fold BLOB NOT NULL UNIQUE,"
                            " path BLOB NOT NULL);"
                            "CREATE TABLE IF NOT EXISTS vals("
                            " seq INTEGER PRIMARY KEY AUTOINCREMENT,"
                            " key_fold BLOB NOT NULL,"
                            " name_fold BLOB NOT NULL,"
                            " name BLOB NOT NULL,"
                            " type INTEGER NOT NULL,"
                            " data BLOB NOT NULL,"
                            " UNIQUE(key_fold, name_fold));";

// A prepared statement that finalizes itself.
class Statement {
public:
    Statement(sqlite3* db, const char* sql) {
        if (sqlite3_prepare_v2(db, sql, -1, &stmt_, nullptr) != SQLITE_OK) stmt_ = nullptr;
    }
    ~Statement() { sqlite3_finalize(stmt_); }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    bool Ok() const { return stmt_ != nullptr; }
    void Bind(int index, const std::string& bytes) {
        sqlite3_bind_blob(stmt_, index, bytes.data(), static_cast<int>(bytes.size()), SQLITE_TRANSIENT);
    }
    void Bind(int index, int number) { sqlite3_bind_int(stmt_, index, number); }
    int Step() { return sqlite3_step(stmt_); }
    std::string Blob(int column) {
        const void* data = sqlite3_column_blob(stmt_, column);
        const int size = sqlite3_column_bytes(stmt_, column);
        return data ? std::string(static_cast<const char*>(data), static_cast<std::size_t>(size))
                    : std::string();
    }
    int Integer(int column) { return sqlite3_column_int(stmt_, column); }

private:
    sqlite3_stmt* stmt_ = nullptr;
};

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
    if (db_) sqlite3_close_v2(db_);
    db_ = nullptr;
}

void SqliteKeyStore::Exec(const char* sql) {
    if (sqlite3_exec(db_, sql, nullptr, nullptr, nullptr) != SQLITE_OK) Fail("written");
}

void SqliteKeyStore::EnsureOpen() {
    if (!db_) OpenOrRecover();
}

void SqliteKeyStore::OpenOrRecover() {
    std::error_code ec;
    std::filesystem::create_directories(file_.parent_path(), ec);

    for (int attempt = 0; attempt < 2; ++attempt) {
        const int rc =
            sqlite3_open_v2(file_.c_str(), &db_, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
        if (rc != SQLITE_OK) {
            std::string reason = db_ ? sqlite3_errmsg(db_) : sqlite3_errstr(rc);
            Close();
            throw KeyStoreError("The settings store " + file_.string() + " cannot be opened: " + reason +
                                ".");
        }
        sqlite3_busy_timeout(db_, busyTimeoutMs_);
        sqlite3_extended_result_codes(db_, 0);

        // A file that is not a database, or a damaged one, is kept aside and
        // replaced by an empty store rather than overwritten or given up on.
        int check = sqlite3_exec(db_, kSchema, nullptr, nullptr, nullptr);
        bool corrupt = check == SQLITE_NOTADB || check == SQLITE_CORRUPT;
        if (check == SQLITE_OK) {
            Statement quick(db_, "PRAGMA quick_check");
            if (!quick.Ok()) {
                corrupt = true;
            } else {
                int s = quick.Step();
                if (s == SQLITE_NOTADB || s == SQLITE_CORRUPT || (s == SQLITE_ROW && quick.Blob(0) != "ok"))
                    corrupt = true;
            }
        } else if (!corrupt) {
            Fail("opened");
        }
        if (!corrupt) return;

        Close();
        if (attempt == 1) throw KeyStoreError("The settings store " + file_.string() + " is damaged.");
        std::filesystem::path aside = file_;
        aside += ".corrupt-" + TimestampForFileName();
        std::filesystem::rename(file_, aside, ec);
        if (ec)
            throw KeyStoreError("The settings store " + file_.string() +
                                " is damaged and cannot be moved aside: " + ec.message() + ".");
        std::filesystem::remove(file_.string() + "-journal", ec);
        notice_ = "The settings file " + file_.string() + " was damaged. It has been kept as " +
                  aside.string() + " and the default settings are used.";
    }
}

std::string SqliteKeyStore::TakeNotice() {
    std::string text;
    text.swap(notice_);
    return text;
}

void SqliteKeyStore::Begin() {
    // Every transaction finds the file anew: a connection left open by a
    // single operation may stand on a file that has been replaced since.
    Close();
    EnsureOpen();
    // IMMEDIATE takes the write lock at once, so two writers queue on the
    // busy timeout instead of failing on a lock upgrade.
    if (sqlite3_exec(db_, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr) != SQLITE_OK)
        Fail("locked for writing");
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

bool SqliteKeyStore::KeyExists(const std::string& key) {
    EnsureOpen();
    Statement st(db_, "SELECT 1 FROM keys WHERE path_fold = ?1");
    if (!st.Ok()) Fail("read");
    st.Bind(1, FoldCase(key));
    const int rc = st.Step();
    if (rc != SQLITE_ROW && rc != SQLITE_DONE) Fail("read");
    return rc == SQLITE_ROW;
}

void SqliteKeyStore::CreateKey(const std::string& key) {
    EnsureOpen();
    // Parents first, so creation order lists a parent before its children.
    std::size_t pos = 0;
    while (true) {
        const std::size_t next = key.find('\\', pos);
        const std::string prefix = key.substr(0, next);
        if (!prefix.empty()) {
            Statement ins(db_, "INSERT OR IGNORE INTO keys(path_fold, path) VALUES(?1, ?2)");
            ins.Bind(1, FoldCase(prefix));
            ins.Bind(2, prefix);
            if (!ins.Ok() || ins.Step() != SQLITE_DONE) Fail("written");
        }
        if (next == std::string::npos) break;
        pos = next + 1;
    }
}

void SqliteKeyStore::DeleteTree(const std::string& key) {
    EnsureOpen();
    const std::string fold = FoldCase(key);
    const std::string prefix = fold + "\\";
    const int len = static_cast<int>(prefix.size());
    for (const char* sql : {"DELETE FROM vals WHERE key_fold = ?1 OR substr(key_fold, 1, ?3) = ?2",
                            "DELETE FROM keys WHERE path_fold = ?1 OR substr(path_fold, 1, ?3) = ?2"}) {
        Statement st(db_, sql);
        if (!st.Ok()) Fail("written");
        st.Bind(1, fold);
        st.Bind(2, prefix);
        st.Bind(3, len);
        if (st.Step() != SQLITE_DONE) Fail("written");
    }
}

std::vector<std::string> SqliteKeyStore::SubKeys(const std::string& key) {
    EnsureOpen();
    const std::string prefix = FoldCase(key) + "\\";
    Statement st(db_, "SELECT path, path_fold FROM keys WHERE substr(path_fold, 1, ?2) = ?1 ORDER BY seq");
    if (!st.Ok()) Fail("read");
    st.Bind(1, prefix);
    st.Bind(2, static_cast<int>(prefix.size()));
    std::vector<std::string> names;
    int rc;
    while ((rc = st.Step()) == SQLITE_ROW) {
        const std::string path = st.Blob(0);
        const std::string rest = path.substr(prefix.size());
        if (!rest.empty() && rest.find('\\') == std::string::npos) names.push_back(rest);
    }
    if (rc != SQLITE_DONE) Fail("read");
    return names;
}

std::vector<std::string> SqliteKeyStore::ValueNames(const std::string& key) {
    EnsureOpen();
    Statement st(db_, "SELECT name FROM vals WHERE key_fold = ?1 ORDER BY seq");
    if (!st.Ok()) Fail("read");
    st.Bind(1, FoldCase(key));
    std::vector<std::string> names;
    int rc;
    while ((rc = st.Step()) == SQLITE_ROW)
        names.push_back(st.Blob(0));
    if (rc != SQLITE_DONE) Fail("read");
    return names;
}

std::optional<RegValue> SqliteKeyStore::ReadValue(const std::string& key, const std::string& name) {
    EnsureOpen();
    Statement st(db_, "SELECT name, type, data FROM vals WHERE key_fold = ?1 AND name_fold = ?2");
    if (!st.Ok()) Fail("read");
    st.Bind(1, FoldCase(key));
    st.Bind(2, FoldCase(name));
    const int rc = st.Step();
    if (rc == SQLITE_DONE) return std::nullopt;
    if (rc != SQLITE_ROW) Fail("read");
    RegValue value;
    value.name = st.Blob(0);
    const int type = st.Integer(1);
    const std::string data = st.Blob(2);
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

void SqliteKeyStore::WriteValue(const std::string& key, const std::string& name, int type,
                                const std::string& data) {
    CreateKey(key);
    // An existing value is updated in place so it keeps its position.
    Statement st(
        db_, "INSERT INTO vals(key_fold, name_fold, name, type, data) VALUES(?1, ?2, ?3, ?4, ?5)"
             " ON CONFLICT(key_fold, name_fold) DO UPDATE SET type = excluded.type, data = excluded.data");
    if (!st.Ok()) Fail("written");
    st.Bind(1, FoldCase(key));
    st.Bind(2, FoldCase(name));
    st.Bind(3, name);
    st.Bind(4, type);
    st.Bind(5, data);
    if (st.Step() != SQLITE_DONE) Fail("written");
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
    Statement st(db_, "DELETE FROM vals WHERE key_fold = ?1 AND name_fold = ?2");
    if (!st.Ok()) Fail("written");
    st.Bind(1, FoldCase(key));
    st.Bind(2, FoldCase(name));
    if (st.Step() != SQLITE_DONE) Fail("written");
}

} // namespace qm
