// A tree of keys holding typed values, the shape of the user's registry hive.
// Key paths are relative to HKEY_CURRENT_USER and use '\' between components.
// Names of keys and values compare without regard to (ASCII) letter case;
// values enumerate in the order they were created, and an overwritten value
// keeps its place.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace qm {

// Registry value types that this program reads or writes; anything else is Other.
enum class ValueType { Text, Dword, Other };

struct RegValue {
    std::string name;
    ValueType type = ValueType::Text;
    std::string text;         // ValueType::Text
    std::uint32_t number = 0; // ValueType::Dword
};

// Raised when the store cannot be opened, read or written. The message is
// meant for the operator.
class KeyStoreError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class KeyStore {
public:
    virtual ~KeyStore() = default;

    // A transaction that only reads works where writing cannot (a read-only
    // disk, another process's write lock).
    enum class Access { Read, Write };

    // Groups the following operations into one atomic unit where the backend
    // can (SQLite); the Windows registry applies each operation at once.
    virtual void Begin(Access access = Access::Write) = 0;
    virtual void Commit() = 0;
    virtual void Rollback() = 0;

    virtual bool KeyExists(const std::string& key) = 0;
    // Creates the key and every missing parent.
    virtual void CreateKey(const std::string& key) = 0;
    // Deletes the key with everything under it; a missing key is passed over.
    virtual void DeleteTree(const std::string& key) = 0;
    // Names of the direct sub-keys, in creation order, in the case they were created with.
    virtual std::vector<std::string> SubKeys(const std::string& key) = 0;
    // Names of the key's values in creation order (empty when the key is missing).
    virtual std::vector<std::string> ValueNames(const std::string& key) = 0;
    virtual std::optional<RegValue> ReadValue(const std::string& key, const std::string& name) = 0;
    // Writers create the key when it is missing.
    virtual void WriteText(const std::string& key, const std::string& name, const std::string& text) = 0;
    virtual void WriteDword(const std::string& key, const std::string& name, std::uint32_t number) = 0;
    virtual void DeleteValue(const std::string& key, const std::string& name) = 0;

    // A text for the operator about something the store had to mend on the
    // way (a corrupt file kept aside); empty when there is none. Read once.
    virtual std::string TakeNotice() { return {}; }
};

// Runs begin() now and rollback() on scope exit unless commit() was called.
class KeyStoreTransaction {
public:
    explicit KeyStoreTransaction(KeyStore& store, KeyStore::Access access = KeyStore::Access::Write)
        : store_(store) {
        store_.Begin(access);
    }
    ~KeyStoreTransaction() {
        if (!done_) {
            try {
                store_.Rollback();
            } catch (...) {
            }
        }
    }
    KeyStoreTransaction(const KeyStoreTransaction&) = delete;
    KeyStoreTransaction& operator=(const KeyStoreTransaction&) = delete;
    void Commit() {
        store_.Commit();
        done_ = true;
    }

private:
    KeyStore& store_;
    bool done_ = false;
};

// A value as a backend holds it (its kind and its raw bytes) as the program
// reads it: a number from exactly four bytes, least significant first;
// anything else of another kind, or a number of another length, is Other.
RegValue DecodeValue(std::string name, ValueType kind, std::string data);

// Lower-cases ASCII letters only, as key and value names compare.
std::string FoldCase(std::string text);

// Joins key path components with '\'.
std::string JoinKey(const std::string& parent, const std::string& child);

// The user's store: the SQLite file on Linux, the registry on Windows.
std::unique_ptr<KeyStore> OpenUserKeyStore();

} // namespace qm
