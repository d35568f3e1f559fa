#include "settings/Options.h"

namespace qm {

std::string DefaultLogDir(const std::string& programDir) {
    return programDir + kPathSeparator + "Log";
}

} // namespace qm
