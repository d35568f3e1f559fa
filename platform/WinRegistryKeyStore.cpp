// The key store over the real Windows registry (HKEY_CURRENT_USER).
// Each call takes effect at once; the registry has no transactions here.
#ifdef _WIN32

#include "platform/WinRegistryKeyStore.h"

#include "platform/SystemError.h"

#include <windows.h>

namespace qm {

namespace {

class Key {
public:
    Key() = default;
    ~Key() {
        if (h_) RegCloseKey(h_);
    }
    Key(const Key&) = delete;
    Key& operator=(const Key&) = delete;
    HKEY* Out() { return &h_; }
    HKEY Get() const { return h_; }

private:
    HKEY h_ = nullptr;
};

[[noreturn]] void Fail(const std::string& key, const char* what, LONG code) {
    throw KeyStoreError("The registry key HKEY_CURRENT_USER\\" + key + " cannot be " + what + ": " +
                        SystemErrorText(static_cast<int>(code)) + ".");
}

bool OpenKey(const std::string& key, REGSAM access, Key& out) {
    return RegOpenKeyExA(HKEY_CURRENT_USER, key.c_str(), 0, access, out.Out()) == ERROR_SUCCESS;
}

void CreateKeyHandle(const std::string& key, Key& out) {
    const LONG rc = RegCreateKeyExA(HKEY_CURRENT_USER, key.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                    KEY_ALL_ACCESS, nullptr, out.Out(), nullptr);
    if (rc != ERROR_SUCCESS) Fail(key, "created", rc);
}

std::vector<std::string> EnumSubKeys(HKEY h) {
    std::vector<std::string> names;
    char name[256];
    for (DWORD i = 0;; ++i) {
        DWORD len = sizeof name;
        const LONG rc = RegEnumKeyExA(h, i, name, &len, nullptr, nullptr, nullptr, nullptr);
        if (rc != ERROR_SUCCESS) break;
        names.emplace_back(name, len);
    }
    return names;
}

// RegDeleteKeyA removes only keys without sub-keys, so children go first.
LONG DeleteTreeUnder(HKEY parent, const std::string& name) {
    {
        Key child;
        const LONG rc = RegOpenKeyExA(parent, name.c_str(), 0, KEY_READ | KEY_WRITE, child.Out());
        if (rc == ERROR_FILE_NOT_FOUND) return ERROR_SUCCESS;
        if (rc != ERROR_SUCCESS) return rc;
        for (const std::string& sub : EnumSubKeys(child.Get())) {
            const LONG subRc = DeleteTreeUnder(child.Get(), sub);
            if (subRc != ERROR_SUCCESS) return subRc;
        }
    }
    const LONG rc = RegDeleteKeyA(parent, name.c_str());
    return rc == ERROR_FILE_NOT_FOUND ? ERROR_SUCCESS : rc;
}

} // namespace

WinRegistryKeyStore::WinRegistryKeyStore(std::string root) : root_(std::move(root)) {}

bool WinRegistryKeyStore::KeyExists(const std::string& relative) {
    const std::string key = Full(relative);
    Key h;
    return OpenKey(key, KEY_READ, h);
}

void WinRegistryKeyStore::CreateKey(const std::string& relative) {
    const std::string key = Full(relative);
    Key h;
    CreateKeyHandle(key, h);
}

void WinRegistryKeyStore::DeleteTree(const std::string& relative) {
    const std::string key = Full(relative);
    if (key.empty()) return; // never the hive itself
    const std::size_t cut = key.rfind('\\');
    const std::string parentPath = cut == std::string::npos ? std::string() : key.substr(0, cut);
    const std::string name = cut == std::string::npos ? key : key.substr(cut + 1);
    Key parent;
    if (parentPath.empty()) {
        const LONG rc = DeleteTreeUnder(HKEY_CURRENT_USER, name);
        if (rc != ERROR_SUCCESS) Fail(key, "deleted", rc);
        return;
    }
    if (!OpenKey(parentPath, KEY_READ | KEY_WRITE, parent)) return;
    const LONG rc = DeleteTreeUnder(parent.Get(), name);
    if (rc != ERROR_SUCCESS) Fail(key, "deleted", rc);
}

std::vector<std::string> WinRegistryKeyStore::SubKeys(const std::string& relative) {
    const std::string key = Full(relative);
    Key h;
    if (!OpenKey(key, KEY_READ, h)) return {};
    return EnumSubKeys(h.Get());
}

std::vector<std::string> WinRegistryKeyStore::ValueNames(const std::string& relative) {
    const std::string key = Full(relative);
    Key h;
    if (!OpenKey(key, KEY_READ, h)) return {};
    std::vector<std::string> names;
    std::string name(16384, '\0');
    for (DWORD i = 0;; ++i) {
        DWORD len = static_cast<DWORD>(name.size());
        const LONG rc = RegEnumValueA(h.Get(), i, name.data(), &len, nullptr, nullptr, nullptr, nullptr);
        if (rc != ERROR_SUCCESS) break;
        names.emplace_back(name.data(), len);
    }
    return names;
}

std::optional<RegValue> WinRegistryKeyStore::ReadValue(const std::string& relative, const std::string& name) {
    const std::string key = Full(relative);
    Key h;
    if (!OpenKey(key, KEY_READ, h)) return std::nullopt;
    DWORD type = 0;
    DWORD size = 0;
    LONG rc = RegQueryValueExA(h.Get(), name.c_str(), nullptr, &type, nullptr, &size);
    if (rc != ERROR_SUCCESS) return std::nullopt;
    std::string data(size, '\0');
    rc = RegQueryValueExA(h.Get(), name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(data.data()),
                          &size);
    if (rc != ERROR_SUCCESS) return std::nullopt; // vanished or grew in between
    data.resize(size);
    const bool text = type == REG_SZ || type == REG_EXPAND_SZ;
    // The stored size of a text usually counts the terminating NUL.
    while (text && !data.empty() && data.back() == '\0')
        data.pop_back();
    return DecodeValue(name, text ? ValueType::Text : type == REG_DWORD ? ValueType::Dword : ValueType::Other,
                       std::move(data));
}

void WinRegistryKeyStore::WriteText(const std::string& relative, const std::string& name, const std::string& text) {
    const std::string key = Full(relative);
    Key h;
    CreateKeyHandle(key, h);
    const LONG rc =
        RegSetValueExA(h.Get(), name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                       static_cast<DWORD>(text.size() + 1));
    if (rc != ERROR_SUCCESS) Fail(key, "written", rc);
}

void WinRegistryKeyStore::WriteDword(const std::string& relative, const std::string& name, std::uint32_t number) {
    const std::string key = Full(relative);
    Key h;
    CreateKeyHandle(key, h);
    const DWORD data = number;
    const LONG rc = RegSetValueExA(h.Get(), name.c_str(), 0, REG_DWORD,
                                   reinterpret_cast<const BYTE*>(&data), sizeof data);
    if (rc != ERROR_SUCCESS) Fail(key, "written", rc);
}

void WinRegistryKeyStore::DeleteValue(const std::string& relative, const std::string& name) {
    const std::string key = Full(relative);
    Key h;
    if (!OpenKey(key, KEY_SET_VALUE, h)) return;
    const LONG rc = RegDeleteValueA(h.Get(), name.c_str());
    if (rc != ERROR_SUCCESS && rc != ERROR_FILE_NOT_FOUND) Fail(key, "written", rc);
}

std::unique_ptr<KeyStore> OpenUserKeyStore() {
    return std::make_unique<WinRegistryKeyStore>();
}

} // namespace qm

#endif // _WIN32
