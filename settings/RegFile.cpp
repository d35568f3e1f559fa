#include "settings/RegFile.h"

#include "settings/unitAdd_Ins.h"

#include <algorithm>
#include <cstdio>
#include <optional>

namespace qm {

namespace {

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
    if (text.size() < prefix.size()) return false;
    return FoldCase(std::string(text.substr(0, prefix.size()))) == FoldCase(std::string(prefix));
}

std::string_view TrimSpaces(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t'))
        s.remove_suffix(1);
    return s;
}

// "HKEY_CURRENT_USER\a\b" or "HKCU\a\b" gives "a\b"; other hives give nothing.
std::optional<std::string> UserKeyPath(std::string_view path) {
    for (std::string_view hive : {std::string_view("HKEY_CURRENT_USER"), std::string_view("HKCU")}) {
        if (!StartsWithNoCase(path, hive)) continue;
        std::string_view rest = path.substr(hive.size());
        if (rest.empty()) return std::string();
        if (rest.front() != '\\') continue;
        rest.remove_prefix(1);
        while (!rest.empty() && rest.back() == '\\')
            rest.remove_suffix(1);
        return std::string(rest);
    }
    return std::nullopt;
}

// Reads a double-quoted text with \\ and \" escapes from the front of s.
std::optional<std::string> ReadQuoted(std::string_view& s) {
    if (s.empty() || s.front() != '"') return std::nullopt;
    std::string out;
    std::size_t i = 1;
    for (; i < s.size(); ++i) {
        const char c = s[i];
        if (c == '\\' && i + 1 < s.size()) {
            out.push_back(s[++i]);
        } else if (c == '"') {
            s.remove_prefix(i + 1);
            return out;
        } else {
            out.push_back(c);
        }
    }
    return std::nullopt;
}

// What the system registry would refuse in a key path below the hive: more
// than 512 levels, or a key name longer than 255 characters.
std::string KeyPathRefusal(std::string_view key) {
    std::size_t levels = 0;
    std::size_t start = 0;
    while (start <= key.size()) {
        const std::size_t cut = std::min(key.find('\\', start), key.size());
        if (cut - start > kMaxKeyNameLength)
            return "a key name is longer than " + std::to_string(kMaxKeyNameLength) + " characters";
        ++levels;
        start = cut + 1;
    }
    if (levels > kMaxKeyDepth) return "keys nest at most " + std::to_string(kMaxKeyDepth) + " levels deep";
    return {};
}

std::optional<std::uint32_t> ParseHex32(std::string_view s) {
    if (s.empty() || s.size() > 8) return std::nullopt;
    std::uint32_t value = 0;
    for (char c : s) {
        int digit;
        if (c >= '0' && c <= '9')
            digit = c - '0';
        else if (c >= 'a' && c <= 'f')
            digit = c - 'a' + 10;
        else if (c >= 'A' && c <= 'F')
            digit = c - 'A' + 10;
        else
            return std::nullopt;
        value = value << 4 | static_cast<std::uint32_t>(digit);
    }
    return value;
}

std::string HexDword(std::uint32_t value) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%08x", value);
    return buf;
}

void ExportTree(KeyStore& store, const std::string& key, std::string& out) {
    out += "[HKEY_CURRENT_USER\\" + key + "]\r\n";
    for (const std::string& name : store.ValueNames(key)) {
        const std::optional<RegValue> value = store.ReadValue(key, name);
        if (!value) continue;
        out += name.empty() ? std::string("@") : "\"" + EscapeRegText(name) + "\"";
        out += '=';
        if (value->type == ValueType::Dword) {
            out += "dword:" + HexDword(value->number);
        } else if (value->type == ValueType::Text) {
            out += "\"" + EscapeRegText(value->text) + "\"";
        } else {
            out += "hex:";
            for (std::size_t i = 0; i < value->text.size(); ++i) {
                char buf[4];
                std::snprintf(buf, sizeof buf, "%02x", static_cast<unsigned char>(value->text[i]));
                if (i) out += ',';
                out += buf;
            }
        }
        out += "\r\n";
    }
    out += "\r\n";
    for (const std::string& sub : store.SubKeys(key))
        ExportTree(store, key + "\\" + sub, out);
}

} // namespace

std::string EscapeRegText(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        if (c == '\\' || c == '"') out.push_back('\\');
        out.push_back(c);
    }
    return out;
}

Result ParseRegFile(std::string_view bytes, std::vector<RegChange>& changes) {
    changes.clear();
    std::vector<RegChange> found;
    if (bytes.substr(0, 3) == "\xEF\xBB\xBF") bytes.remove_prefix(3);
    if (bytes.find('\0') != std::string_view::npos) {
        return Result::Failed("the file holds NUL bytes (a UTF-16 file?); only 8-bit text files can be read");
    }
    const std::vector<std::string_view> lines = SplitLines(bytes);

    bool headerSeen = false;
    std::optional<std::string> currentKey; // set inside a [key] section
    auto fail = [&](std::size_t index, const std::string& why) {
        return Result::Failed("line " + std::to_string(index + 1) + ": " + why);
    };

    for (std::size_t i = 0; i < lines.size(); ++i) {
        const std::string_view line = TrimSpaces(lines[i]);
        if (line.empty() || line.front() == ';') continue;
        if (!headerSeen) {
            if (line != "Windows Registry Editor Version 5.00" && line != "REGEDIT4")
                return fail(i, "the file does not begin with \"Windows Registry Editor Version 5.00\"");
            headerSeen = true;
            continue;
        }
        if (line.front() == '[') {
            if (line.back() != ']') return fail(i, "a key line must end with ']'");
            std::string_view path = line.substr(1, line.size() - 2);
            const bool remove = !path.empty() && path.front() == '-';
            if (remove) path.remove_prefix(1);
            const std::optional<std::string> key = UserKeyPath(TrimSpaces(path));
            if (!key) return fail(i, "only keys under HKEY_CURRENT_USER can be written");
            if (const std::string why = KeyPathRefusal(*key); !why.empty()) return fail(i, why);
            if (remove) {
                if (key->empty()) return fail(i, "HKEY_CURRENT_USER itself cannot be deleted");
                found.push_back({RegChange::Kind::DeleteKey, *key, {}, {}, 0});
                currentKey.reset();
            } else {
                if (!key->empty()) found.push_back({RegChange::Kind::CreateKey, *key, {}, {}, 0});
                currentKey = *key;
            }
            continue;
        }
        if (line.front() != '"' && line.front() != '@') return fail(i, "not a key, a value or a comment");
        if (!currentKey) return fail(i, "a value must follow a key line");
        if (currentKey->empty()) return fail(i, "values cannot be written to HKEY_CURRENT_USER itself");

        std::string_view rest = line;
        std::string name;
        if (rest.front() == '@') {
            rest.remove_prefix(1);
        } else {
            std::optional<std::string> quoted = ReadQuoted(rest);
            if (!quoted) return fail(i, "the value name has no closing double quote");
            name = std::move(*quoted);
        }
        rest = TrimSpaces(rest);
        if (rest.empty() || rest.front() != '=') return fail(i, "'=' expected after the value name");
        rest = TrimSpaces(rest.substr(1));

        RegChange change;
        change.key = *currentKey;
        change.name = name;
        if (rest == "-") {
            change.kind = RegChange::Kind::DeleteValue;
        } else if (!rest.empty() && rest.front() == '"') {
            std::optional<std::string> text = ReadQuoted(rest);
            if (!text) return fail(i, "the text has no closing double quote");
            if (!TrimSpaces(rest).empty()) return fail(i, "unexpected text after the closing double quote");
            change.kind = RegChange::Kind::SetText;
            change.text = std::move(*text);
        } else if (StartsWithNoCase(rest, "dword:")) {
            const std::optional<std::uint32_t> number = ParseHex32(TrimSpaces(rest.substr(6)));
            if (!number) return fail(i, "dword: needs one to eight hexadecimal digits");
            change.kind = RegChange::Kind::SetDword;
            change.number = *number;
        } else {
            return fail(i, "only text (\"...\") and dword: values are supported");
        }
        found.push_back(std::move(change));
    }
    if (!headerSeen) return fail(0, "the file is empty");
    changes = std::move(found);
    return {};
}

void ApplyRegChanges(KeyStore& store, const std::vector<RegChange>& changes) {
    for (const RegChange& c : changes) {
        switch (c.kind) {
        case RegChange::Kind::CreateKey:
            store.CreateKey(c.key);
            break;
        case RegChange::Kind::DeleteKey:
            store.DeleteTree(c.key);
            break;
        case RegChange::Kind::SetText:
            store.WriteText(c.key, c.name, c.text);
            break;
        case RegChange::Kind::SetDword:
            store.WriteDword(c.key, c.name, c.number);
            break;
        case RegChange::Kind::DeleteValue:
            store.DeleteValue(c.key, c.name);
            break;
        }
    }
}

std::string ExportRegKey(KeyStore& store, const std::string& key) {
    if (!store.KeyExists(key)) throw KeyStoreError("The key HKEY_CURRENT_USER\\" + key + " does not exist.");
    std::string out = "Windows Registry Editor Version 5.00\r\n\r\n";
    ExportTree(store, key, out);
    return out;
}

} // namespace qm
