// A key store that stands for one the program cannot write (locked by another
// process, on a read-only disk): reads go through, writes fail once armed.
#pragma once

#include "platform/KeyStore.h"

namespace qmtest {

class FailingStore : public qm::KeyStore {
public:
    explicit FailingStore(qm::KeyStore& inner) : inner_(inner) {}
    bool failWrites = false;

    void Begin(Access access) override { inner_.Begin(access); }
    void Commit() override {
        Refuse();
        inner_.Commit();
    }
    void Rollback() override { inner_.Rollback(); }
    bool KeyExists(const std::string& key) override { return inner_.KeyExists(key); }
    void CreateKey(const std::string& key) override {
        Refuse();
        inner_.CreateKey(key);
    }
    void DeleteTree(const std::string& key) override {
        Refuse();
        inner_.DeleteTree(key);
    }
    std::vector<std::string> SubKeys(const std::string& key) override { return inner_.SubKeys(key); }
    std::vector<std::string> ValueNames(const std::string& key) override { return inner_.ValueNames(key); }
    std::optional<qm::RegValue> ReadValue(const std::string& key, const std::string& name) override {
        return inner_.ReadValue(key, name);
    }
    void WriteText(const std::string& key, const std::string& name, const std::string& text) override {
        Refuse();
        inner_.WriteText(key, name, text);
    }
    void WriteDword(const std::string& key, const std::string& name, std::uint32_t number) override {
        Refuse();
        inner_.WriteDword(key, name, number);
    }
    void DeleteValue(const std::string& key, const std::string& name) override {
        Refuse();
        inner_.DeleteValue(key, name);
    }

private:
    void Refuse() const {
        if (failWrites) throw qm::KeyStoreError("The settings store cannot be written: database is locked.");
    }
    qm::KeyStore& inner_;
};

} // namespace qmtest
