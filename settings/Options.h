// The one record of everything the operator configures, and the run-time
// values that live beside it.
#pragma once

#include "platform/Clock.h"

#include <cstdint>
#include <string>
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
    std::vector<IdEntry> IdList;
    std::vector<IpEntry> IpList;
    std::vector<TokenEntry> TokenList;

    // Run-time only, never stored.
    DateTime UserDate;
    bool UseUserDate = false;
    bool SaveBlocked = false;
    std::string ProgramDir;

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

// ProgramDir followed by the separator and "Log".
std::string DefaultLogDir(const std::string& programDir);

} // namespace qm
