// The tree of keys and their values, as the program and the registry
// editor stand-in read and write them.
#include "platform/SqliteKeyStore_Statement.h"

namespace qm {

namespace {

constexpr int kTypeText = 1;  // REG_SZ
constexpr int kTypeDword = 4; // REG_DWORD

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

// The names `sql` lists for the key's node (its one parameter), in order.
std::vector<std::string> SqliteKeyStore::NamesUnder(const std::string& key, const char* sql) {
    EnsureOpen();
    const std::int64_t id = Resolve(key, false);
    if (id < 0) return {};
    InUse st = Prepared(sql);
    st->Bind(1, id);
    std::vector<std::string> names;
    int rc;
    while ((rc = st->Step()) == SQLITE_ROW)
        names.push_back(st->Blob(0));
    if (rc != SQLITE_DONE) Fail("read");
    return names;
}

std::vector<std::string> SqliteKeyStore::SubKeys(const std::string& key) {
    return NamesUnder(key, "SELECT name FROM nodes WHERE parent = ?1 ORDER BY id");
}

std::vector<std::string> SqliteKeyStore::ValueNames(const std::string& key) {
    return NamesUnder(key, "SELECT name FROM node_values WHERE node = ?1 ORDER BY seq");
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
    const sqlite3_int64 type = st->Integer(1);
    return DecodeValue(st->Blob(0),
                       type == kTypeText    ? ValueType::Text
                       : type == kTypeDword ? ValueType::Dword
                                            : ValueType::Other,
                       st->Blob(2));
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
