#include "settings/Options.h"

#include "settings/unitAdd_Ins.h"

namespace qm {

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
