// The import's command line on Windows: "regedit.exe " (its blank included)
// followed by the options file's short path.
#pragma once

#include <string>

namespace qm {

inline std::string RegeditCommandLine(const std::string& shortPath) {
    return "regedit.exe " + shortPath;
}

} // namespace qm
