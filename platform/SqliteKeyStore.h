// The key store kept in one SQLite file that stands for HKEY_CURRENT_USER.
#pragma once

#include "platform/KeyStore.h"

#include <filesystem>

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

    const std::filesystem::path& file() const { return file_; }

    void begin() override;
    void commit() override;
    void rollback() override;

    bool keyExists(const std::string& key) override;
    void createKey(const std::string& key) override;
    void deleteTree(const std::string& key) override;
    std::vector<std::string> subKeys(const std::string& key) override;
    std::vector<std::string> valueNames(const std::string& key) override;
    std::optional<RegValue> readValue(const std::string& key, const std::string& name) override;
    void writeText(const std::string& key, const std::string& name, const std::string& text) override;
    void writeDword(const std::string& key, const std::string& name, std::uint32_t number) override;
    void deleteValue(const std::string& key, const std::string& name) override;
    std::string takeNotice() override;

private:
    void ensureOpen();
    void openOrRecover();
    void close();
    void exec(const char* sql);
    void writeValue(const std::string& key, const std::string& name, int type, const std::string& data);
    [[noreturn]] void fail(const std::string& what);

    std::filesystem::path file_;
    int busyTimeoutMs_;
    sqlite3* db_ = nullptr;
    bool inTransaction_ = false;
    std::string notice_;
};

// $XDG_CONFIG_HOME/tovrel/registry.sqlite, or ~/.config/tovrel/registry.sqlite
// when the variable is unset or empty.
std::filesystem::path defaultRegistryFile();

} // namespace qm
