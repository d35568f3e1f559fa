// The one record of everything the operator configures, and the run-time
// values that live beside it.
#pragma once

#include "platform/Clock.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qm {

struct GeneralOptions {
    bool StayOnTop = false;
    bool CloseToSysTray = true;
    bool AutoSizeGrid = false;
    bool WriteToLog = false;
    bool AutoListen = false;
    bool PopUpsProtocol = false;
    std::int32_t Port = 514;
    std::int32_t LimitRows = 1000;
    std::string LogDir;
    bool ListenUnregisteredID = true;
    bool ListenUnregisteredIP = true;
    bool FilterIpFirst = false;
    bool WriteToLogUnknownID = false;
    bool WriteToLogWithFilter = true;
};

// The general options by their stored names, in the order a save writes
// them (the registry keeps values in the order they were created). Exactly
// one of the three members is set. `exportLine`: the option's place among the
// export file's general lines, or -1 for the two it does not carry.
// Every scalar option is such a row of its sub-key's table: its stored name,
// its place in the export, and its member (a flag, stored as "0"/"1" text; a
// number, stored as a 32-bit value unless text holds it already, exported as
// text; or a text). A number outside [low, high] reads as the default.
template <typename Group> struct OptionField {
    const char* name;
    int exportLine;
    bool Group::*flag = nullptr;
    std::int32_t Group::*number = nullptr;
    std::string Group::*text = nullptr;
    std::int32_t low = INT32_MIN;
    std::int32_t high = INT32_MAX;
};
using GeneralField = OptionField<GeneralOptions>;
inline constexpr std::array<GeneralField, 14> kGeneralFields = {{
    {"StayOnTop", 0, &GeneralOptions::StayOnTop},
    {"WriteToLog", 1, &GeneralOptions::WriteToLog},
    {"CloseToSysTray", 2, &GeneralOptions::CloseToSysTray},
    {"AutoSizeGrid", 3, &GeneralOptions::AutoSizeGrid},
    {"AutoListen", 4, &GeneralOptions::AutoListen},
    {"PopUpsProtocol", 10, &GeneralOptions::PopUpsProtocol},
    {"Port", 5, nullptr, &GeneralOptions::Port},
    {"LimitRows", -1, nullptr, &GeneralOptions::LimitRows},
    {"LogDir", 6, nullptr, nullptr, &GeneralOptions::LogDir},
    {"ListenUnregisteredID", 7, &GeneralOptions::ListenUnregisteredID},
    {"ListenUnregisteredIP", 8, &GeneralOptions::ListenUnregisteredIP},
    {"FilterIpFirst", 9, &GeneralOptions::FilterIpFirst},
    {"WriteToLogUnknownID", 11, &GeneralOptions::WriteToLogUnknownID},
    {"WriteToLogWithFilter", -1, &GeneralOptions::WriteToLogWithFilter},
}};

// The export's general lines follow from the table: a new exported option
// only needs its row, and the compiler checks that every line has exactly
// one option and every option one kind of value.
constexpr int CountExportedGeneralFields() {
    int n = 0;
    for (const GeneralField& f : kGeneralFields)
        n += f.exportLine >= 0 ? 1 : 0;
    return n;
}
inline constexpr int kExportedGeneralFields = CountExportedGeneralFields();
constexpr bool GeneralFieldsAreWellFormed() {
    for (int line = 0; line < kExportedGeneralFields; ++line) {
        int holders = 0;
        for (const GeneralField& f : kGeneralFields)
            holders += f.exportLine == line ? 1 : 0;
        if (holders != 1) return false;
    }
    for (const GeneralField& f : kGeneralFields) {
        if (f.exportLine >= kExportedGeneralFields) return false;
        if ((f.flag != nullptr) + (f.number != nullptr) + (f.text != nullptr) != 1) return false;
    }
    return true;
}
static_assert(GeneralFieldsAreWellFormed(), "each export line holds one option; each option one kind of value");

// The listeners beyond the defined UDP port on IPv4, off unless the operator
// asks: kept in a sub-key of their own (Network), so that the defined General
// key and its export lines stay as they are.
struct NetworkOptions {
    std::int32_t TcpPort = 0; // 0: no TCP; else 1 to 65535
    bool IPv6 = false;         // UDP (and TCP) on IPv6 too
    bool operator==(const NetworkOptions&) const = default;
};
// Its table: saved in this order on every save; exported, in a section after
// the defined ones, only where a value differs from its default (exportLine
// is the order there). A stored TCP port out of range (an import can store
// anything) is no TCP.
inline constexpr std::array<OptionField<NetworkOptions>, 2> kNetworkFields = {{
    {"TcpPort", 0, nullptr, &NetworkOptions::TcpPort, nullptr, 1, 65535},
    {"IPv6", 1, &NetworkOptions::IPv6},
}};

// A sub-key beyond the defined ones: each option one kind of value and one
// place in its export section, the places 0 to N-1.
template <typename Group, std::size_t N> constexpr bool ExtraFieldsAreWellFormed(const std::array<OptionField<Group>, N>& fields) {
    for (std::size_t line = 0; line < N; ++line) {
        int holders = 0;
        for (const OptionField<Group>& f : fields)
            holders += f.exportLine == static_cast<int>(line) ? 1 : 0;
        if (holders != 1) return false;
    }
    for (const OptionField<Group>& f : fields)
        if ((f.flag != nullptr) + (f.number != nullptr) + (f.text != nullptr) != 1) return false;
    return true;
}
static_assert(ExtraFieldsAreWellFormed(kNetworkFields));

// List fields are text, exactly as the option grids show them.
struct IdEntry {
    std::string IdNumber;
    std::string Name;
    std::string Listen;
    std::string Token;
    std::string Color;
    std::string UseToken;
    std::string Popup;
};

struct IpEntry {
    std::string Address;
    std::string Name;
    std::string Listen;
};

struct TokenEntry {
    std::string Token;
    std::string UseToken;
    std::string Color;
    std::string Popup;
};

struct Options {
    GeneralOptions General;
    NetworkOptions Network;
    std::vector<IdEntry> IdList;
    std::vector<IpEntry> IpList;
    std::vector<TokenEntry> TokenList;

    // Run-time only, never stored.
    DateTime UserDate;
    bool UseUserDate = false;
    bool SaveBlocked = false;
    std::string ProgramDir;
    // The log folder when none is stored; empty: ProgramDir followed by "Log".
    std::string DefaultLogDir;

    // Set by a load that found a malformed row in that list: the list came up
    // empty, and its stored rows are left alone by saves while it stays empty.
    bool IdListUnreadable = false;
    bool IpListUnreadable = false;
    bool TokenListUnreadable = false;
};

inline constexpr const char* kYes = "Yes";
inline constexpr const char* kNo = "No";
inline constexpr const char* kWhite = "16777215";

// Only the exact text "Yes" sets a flag.
inline bool IsSet(const std::string& flag) {
    return flag == kYes;
}

#ifdef _WIN32
inline constexpr char kPathSeparator = '\\';
#else
inline constexpr char kPathSeparator = '/';
#endif

// A colour as the lists hold it: the decimal text of 0x00BBGGRR. Its value
// when the text is exactly a whole number (anything above 24 bits dropped),
// else nothing.
std::optional<std::int32_t> ParseColour(std::string_view text);

// ProgramDir followed by the separator and "Log".
std::string DefaultLogDir(const std::string& programDir);
// The log folder of `options` when none is stored.
std::string DefaultLogDir(const Options& options);

} // namespace qm
