#include "settings/OptionsExport.h"

#include "settings/ListRow.h"
#include "settings/RegFile.h"

namespace qm {

namespace {

constexpr const char* kRoot = "[HKEY_CURRENT_USER\\Software\\tovrel\\Ferrowick";

void Line(std::string& out, const std::string& text) {
    out += text;
    out += "\r\n";
}

void Separator(std::string& out) {
    Line(out, "\r");
}

void Bool(std::string& out, const char* name, bool value) {
    Line(out, std::string("\"") + name + "\"=" + (value ? "\"1\"" : "\"0\""));
}

void Value(std::string& out, const std::string& name, const std::string& data) {
    Line(out, "\"" + EscapeRegText(name) + "\"=\"" + EscapeRegText(data) + "\"");
}

template <typename Group> void Field(std::string& out, const OptionField<Group>& f, const Group& group) {
    if (f.flag) Bool(out, f.name, group.*f.flag);
    if (f.number) Value(out, f.name, std::to_string(group.*f.number));
    if (f.text) Value(out, f.name, group.*f.text);
}

template <typename Group> bool Differs(const OptionField<Group>& f, const Group& group) {
    const Group defaults;
    return (f.flag && group.*f.flag != defaults.*f.flag) || (f.number && group.*f.number != defaults.*f.number) ||
           (f.text && group.*f.text != defaults.*f.text);
}

// A sub-key the defined format does not hold: a section of its own after the
// defined ones, with the values that differ from their defaults, in export
// order; nothing at all for an operator who never touched them.
template <typename Group, std::size_t N>
void ExtraSection(std::string& out, const char* subKey, const std::array<OptionField<Group>, N>& fields,
                  const Group& group) {
    std::array<const OptionField<Group>*, N> inOrder{};
    for (const OptionField<Group>& f : fields)
        inOrder[static_cast<std::size_t>(f.exportLine)] = &f;
    bool opened = false;
    for (const OptionField<Group>* f : inOrder) {
        if (!Differs(*f, group)) continue;
        if (!opened) {
            Separator(out);
            Line(out, std::string(kRoot) + "\\" + subKey + "]");
            Separator(out);
            opened = true;
        }
        Field(out, *f, group);
    }
}

} // namespace

std::string BuildExportFile(const Options& o) {
    std::string out;
    Line(out, "Windows Registry Editor Version 5.00");
    Separator(out);
    Line(out, "[HKEY_CURRENT_USER\\Software\\tovrel]");
    Separator(out);
    Line(out, std::string(kRoot) + "]");
    Separator(out);
    Line(out, std::string(kRoot) + "\\General]");
    Separator(out);
    const GeneralOptions& g = o.General;
    std::array<const GeneralField*, kExportedGeneralFields> lines{};
    for (const GeneralField& f : kGeneralFields)
        if (f.exportLine >= 0) lines[static_cast<std::size_t>(f.exportLine)] = &f;
    for (const GeneralField* f : lines)
        Field(out, *f, g);
    Separator(out);
    Line(out, std::string(kRoot) + "\\ID]");
    Separator(out);
    for (const IdEntry& e : o.IdList)
        Value(out, e.IdNumber, IdListRow(e));
    Separator(out);
    Line(out, std::string(kRoot) + "\\IP]");
    Separator(out);
    for (const IpEntry& e : o.IpList)
        Value(out, e.Address, IpListRow(e));
    Separator(out);
    Line(out, std::string(kRoot) + "\\Token]");
    Separator(out);
    for (const TokenEntry& e : o.TokenList)
        Value(out, e.Token, TokenListRow(e));
    // The options beyond the defined ones: an operator who never touched
    // them exports what the defined format holds, byte for byte.
    ExtraSection(out, "Network", kNetworkFields, o.Network);
    return out;
}

} // namespace qm
