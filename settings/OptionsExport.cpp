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
    for (const GeneralField* f : lines) {
        if (f->flag) Bool(out, f->name, g.*f->flag);
        if (f->number) Value(out, f->name, std::to_string(g.*f->number));
        if (f->text) Value(out, f->name, g.*f->text);
    }
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
    // The listeners beyond the defined ones, in a section of their own after
    // them, and only what differs from the defaults: an operator who never
    // touched them exports what the defined format holds, byte for byte.
    const NetworkOptions defaults;
    if (o.Network != defaults) {
        Separator(out);
        Line(out, std::string(kRoot) + "\\Network]");
        Separator(out);
        if (o.Network.TcpPort != defaults.TcpPort) Value(out, "TcpPort", std::to_string(o.Network.TcpPort));
        if (o.Network.IPv6 != defaults.IPv6) Bool(out, "IPv6", o.Network.IPv6);
    }
    return out;
}

} // namespace qm
