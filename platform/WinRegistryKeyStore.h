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
    void begin() override {}
    void commit() override {}
    void rollback() override {}

    bool keyExists(const std::string& key) override;
    void createKey(const std::string& key) override;
    void deleteTree(const std::string& key) override;
    std::vector<std::string> subKeys(const std::string& key) override;
    std::vector<std::string> valueNames(const std::string& key) override;
    std::optional<RegValue> readValue(const std::string& key, const std::string& name) override;
    void writeText(const std::string& key, const std::string& name, const std::string& text) override;
    void writeDword(const std::string& key, const std::string& name, std::uint32_t number) override;
    void deleteValue(const std::string& key, const std::string& name) override;

private:
    std::string Full(const std::string& key) const { return joinKey(root_, key); }
    std::string root_;
};

} // namespace qm
