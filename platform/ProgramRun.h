// What became of a program the program started and waited for (the registry
// editor of the import).
#pragma once

#include <string>

namespace qm {

struct ProgramRun {
    bool started = false;
    int exitCode = -1; // 0 when it did what it was asked
    std::string commandLine;
};

} // namespace qm
