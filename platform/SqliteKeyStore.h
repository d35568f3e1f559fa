// The key store kept in one SQLite file that stands for HKEY_CURRENT_USER.
#pragma once

#include "platform/KeyStore.h"

#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>

struct sqlite3;

namespace qm {

class SqliteKeyStore : public KeyStore {
public:
    // Nothing is opened until the first operation; the parent folder is
    // created then.
    // `busyTimeoutMs`: how long an operation waits for another process's lock.
    explicit SqliteKeyStore(std::filesystem::path file, int busyTimeoutMs = 5000);
    ~SqliteKeyStore() override;
    SqliteKeyStore(const SqliteKeyStore&) = delete;
    SqliteKeyStore& operator=(const SqliteKeyStore&) = delete;

    const std::filesystem::path& File() const { return file_; }

    void Begin(Access access = Access::Write) override;
    void Commit() override;
    void Rollback() override;

    bool KeyExists(const std::string& key) override;
    void CreateKey(const std::string& key) override;
    void DeleteTree(const std::string& key) override;
    std::vector<std::string> SubKeys(const std::string& key) override;
    std::vector<std::string> ValueNames(const std::string& key) override;
    std::optional<RegValue> ReadValue(const std::string& key, const std::string& name) override;
    void WriteText(const std::string& key, const std::string& name, const std::string& text) override;
    void WriteDword(const std::string& key, const std::string& name, std::uint32_t number) override;
    void DeleteValue(const std::string& key, const std::string& name) override;
    std::string TakeNotice() override;

private:
    class Statement;
    class InUse;
    void EnsureOpen();
    void OpenOrRecover();
    // Keeps a damaged file aside under a name no other copy has.
    bool SetAside();
    void PrepareLayout();
    void MigrateOldLayout();
    void Close();
    bool Query(const char* sql);
    InUse Prepared(const char* sql);
    std::vector<std::string> NamesUnder(const std::string& key, const char* sql);
    // The id of the key (0 for the hive itself), made when missing and
    // `create` is set; -1 when it does not exist.
    std::int64_t Resolve(const std::string& key, bool create);
    void InsertValue(std::int64_t node, const std::string& name, int type, const std::string& data);
    void WriteValue(const std::string& key, const std::string& name, int type, const std::string& data);
    [[noreturn]] void Fail(const std::string& what);

    std::filesystem::path file_;
    int busyTimeoutMs_;
    sqlite3* db_ = nullptr;
    bool readOnly_ = false;
    bool inTransaction_ = false;
    std::string notice_;
    std::map<const char*, std::unique_ptr<Statement>> statements_;
    // The components of the last key resolved (folded) and their ids.
    std::vector<std::string> resolved_;
    std::vector<std::int64_t> resolvedIds_;
};

// $XDG_CONFIG_HOME/tovrel/registry.sqlite, or ~/.config/tovrel/registry.sqlite
// when the variable is unset or empty.
std::filesystem::path DefaultRegistryFile();

} // namespace qm
