#include "platform/KeyStore.h"

namespace qm {

std::string FoldCase(std::string text) {
    for (char& c : text)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return text;
}

RegValue DecodeValue(std::string name, ValueType kind, std::string data) {
    RegValue value;
    value.name = std::move(name);
    if (kind == ValueType::Dword && data.size() == 4) {
        value.type = ValueType::Dword;
        for (int i = 3; i >= 0; --i)
            value.number = value.number << 8 | static_cast<unsigned char>(data[static_cast<std::size_t>(i)]);
        return value;
    }
    value.type = kind == ValueType::Text ? ValueType::Text : ValueType::Other;
    value.text = std::move(data);
    return value;
}

std::string JoinKey(const std::string& parent, const std::string& child) {
    if (parent.empty()) return child;
    if (child.empty()) return parent;
    return parent + "\\" + child;
}

} // namespace qm
