#include "settings/Options.h"

#include "settings/unitAdd_Ins.h"

namespace qm {

const std::array<GeneralField, 14> kGeneralFields = {{
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

std::optional<std::int32_t> ParseColour(std::string_view text) {
    const std::optional<std::int32_t> value = ParseInt32(text);
    if (!value) return std::nullopt;
    return *value & 0xFFFFFF;
}

std::string DefaultLogDir(const std::string& programDir) {
    return programDir + kPathSeparator + "Log";
}

std::string DefaultLogDir(const Options& options) {
    return options.DefaultLogDir.empty() ? DefaultLogDir(options.ProgramDir) : options.DefaultLogDir;
}

} // namespace qm
