// The key store over the real Windows registry, below HKEY_CURRENT_USER.
#pragma once

#include "platform/KeyStore.h"

namespace qm {

class WinRegistryKeyStore : public KeyStore {
public:
    // Every key path is taken below `root` (itself below HKEY_CURRENT_USER):
    // empty for the user's own hive, a key of their own for tests.
    explicit WinRegistryKeyStore(std::string root = {});

    // The registry applies each operation at once; it has no transactions.
    void Begin(Access) override {}
    void Commit() override {}
    void Rollback() override {}

    bool KeyExists(const std::string& key) override;
    void CreateKey(const std::string& key) override;
    void DeleteTree(const std::string& key) override;
    std::vector<std::string> SubKeys(const std::string& key) override;
    std::vector<std::string> ValueNames(const std::string& key) override;
    std::optional<RegValue> ReadValue(const std::string& key, const std::string& name) override;
    void WriteText(const std::string& key, const std::string& name, const std::string& text) override;
    void WriteDword(const std::string& key, const std::string& name, std::uint32_t number) override;
    void DeleteValue(const std::string& key, const std::string& name) override;

private:
    std::string Full(const std::string& key) const { return JoinKey(root_, key); }
    std::string root_;
};

} // namespace qm
