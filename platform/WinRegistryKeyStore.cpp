// The key store over the real Windows registry (HKEY_CURRENT_USER).
// Each call takes effect at once; the registry has no transactions here.
#ifdef _WIN32

#include "platform/WinRegistryKeyStore.h"

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
    HKEY* out() { return &h_; }
    HKEY get() const { return h_; }

private:
    HKEY h_ = nullptr;
};

[[noreturn]] void fail(const std::string& key, const char* what, LONG code) {
    char text[256] = {};
    FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                   static_cast<DWORD>(code), 0, text, sizeof text - 1, nullptr);
    throw KeyStoreError("The registry key HKEY_CURRENT_USER\\" + key + " cannot be " + what + ": " + text);
}

bool openKey(const std::string& key, REGSAM access, Key& out) {
    return RegOpenKeyExA(HKEY_CURRENT_USER, key.c_str(), 0, access, out.out()) == ERROR_SUCCESS;
}

void createKeyHandle(const std::string& key, Key& out) {
    const LONG rc = RegCreateKeyExA(HKEY_CURRENT_USER, key.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                    KEY_ALL_ACCESS, nullptr, out.out(), nullptr);
    if (rc != ERROR_SUCCESS) fail(key, "created", rc);
}

std::vector<std::string> enumSubKeys(HKEY h) {
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
LONG deleteTreeUnder(HKEY parent, const std::string& name) {
    {
        Key child;
        const LONG rc = RegOpenKeyExA(parent, name.c_str(), 0, KEY_READ | KEY_WRITE, child.out());
        if (rc == ERROR_FILE_NOT_FOUND) return ERROR_SUCCESS;
        if (rc != ERROR_SUCCESS) return rc;
        for (const std::string& sub : enumSubKeys(child.get())) {
            const LONG subRc = deleteTreeUnder(child.get(), sub);
            if (subRc != ERROR_SUCCESS) return subRc;
        }
    }
    const LONG rc = RegDeleteKeyA(parent, name.c_str());
    return rc == ERROR_FILE_NOT_FOUND ? ERROR_SUCCESS : rc;
}

} // namespace

WinRegistryKeyStore::WinRegistryKeyStore(std::string root) : root_(std::move(root)) {}

bool WinRegistryKeyStore::keyExists(const std::string& relative) {
    const std::string key = Full(relative);
    Key h;
    return openKey(key, KEY_READ, h);
}

void WinRegistryKeyStore::createKey(const std::string& relative) {
    const std::string key = Full(relative);
    Key h;
    createKeyHandle(key, h);
}

void WinRegistryKeyStore::deleteTree(const std::string& relative) {
    const std::string key = Full(relative);
    if (key.empty()) return; // never the hive itself
    const std::size_t cut = key.rfind('\\');
    const std::string parentPath = cut == std::string::npos ? std::string() : key.substr(0, cut);
    const std::string name = cut == std::string::npos ? key : key.substr(cut + 1);
    Key parent;
    if (parentPath.empty()) {
        const LONG rc = deleteTreeUnder(HKEY_CURRENT_USER, name);
        if (rc != ERROR_SUCCESS) fail(key, "deleted", rc);
        return;
    }
    if (!openKey(parentPath, KEY_READ | KEY_WRITE, parent)) return;
    const LONG rc = deleteTreeUnder(parent.get(), name);
    if (rc != ERROR_SUCCESS) fail(key, "deleted", rc);
}

std::vector<std::string> WinRegistryKeyStore::subKeys(const std::string& relative) {
    const std::string key = Full(relative);
    Key h;
    if (!openKey(key, KEY_READ, h)) return {};
    return enumSubKeys(h.get());
}

std::vector<std::string> WinRegistryKeyStore::valueNames(const std::string& relative) {
    const std::string key = Full(relative);
    Key h;
    if (!openKey(key, KEY_READ, h)) return {};
    std::vector<std::string> names;
    std::string name(16384, '\0');
    for (DWORD i = 0;; ++i) {
        DWORD len = static_cast<DWORD>(name.size());
        const LONG rc = RegEnumValueA(h.get(), i, name.data(), &len, nullptr, nullptr, nullptr, nullptr);
        if (rc != ERROR_SUCCESS) break;
        names.emplace_back(name.data(), len);
    }
    return names;
}

std::optional<RegValue> WinRegistryKeyStore::readValue(const std::string& relative, const std::string& name) {
    const std::string key = Full(relative);
    Key h;
    if (!openKey(key, KEY_READ, h)) return std::nullopt;
    DWORD type = 0;
    DWORD size = 0;
    LONG rc = RegQueryValueExA(h.get(), name.c_str(), nullptr, &type, nullptr, &size);
    if (rc != ERROR_SUCCESS) return std::nullopt;
    std::string data(size, '\0');
    rc = RegQueryValueExA(h.get(), name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(data.data()),
                          &size);
    if (rc != ERROR_SUCCESS) return std::nullopt; // vanished or grew in between
    data.resize(size);
    RegValue value;
    value.name = name;
    if (type == REG_SZ || type == REG_EXPAND_SZ) {
        // The stored size usually counts the terminating NUL.
        while (!data.empty() && data.back() == '\0')
            data.pop_back();
        value.type = ValueType::Text;
        value.text = data;
    } else if (type == REG_DWORD && data.size() == 4) {
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

void WinRegistryKeyStore::writeText(const std::string& relative, const std::string& name, const std::string& text) {
    const std::string key = Full(relative);
    Key h;
    createKeyHandle(key, h);
    const LONG rc =
        RegSetValueExA(h.get(), name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                       static_cast<DWORD>(text.size() + 1));
    if (rc != ERROR_SUCCESS) fail(key, "written", rc);
}

void WinRegistryKeyStore::writeDword(const std::string& relative, const std::string& name, std::uint32_t number) {
    const std::string key = Full(relative);
    Key h;
    createKeyHandle(key, h);
    const DWORD data = number;
    const LONG rc = RegSetValueExA(h.get(), name.c_str(), 0, REG_DWORD,
                                   reinterpret_cast<const BYTE*>(&data), sizeof data);
    if (rc != ERROR_SUCCESS) fail(key, "written", rc);
}

void WinRegistryKeyStore::deleteValue(const std::string& relative, const std::string& name) {
    const std::string key = Full(relative);
    Key h;
    if (!openKey(key, KEY_SET_VALUE, h)) return;
    const LONG rc = RegDeleteValueA(h.get(), name.c_str());
    if (rc != ERROR_SUCCESS && rc != ERROR_FILE_NOT_FOUND) fail(key, "written", rc);
}

std::unique_ptr<KeyStore> openUserKeyStore() {
    return std::make_unique<WinRegistryKeyStore>();
}

} // namespace qm

#endif // _WIN32
