// The import's start of the system registry editor on Windows:
// "regedit.exe " and the file's short path, through CreateProcessW. Paths
// and the command line are UTF-8.
#pragma once

#include "platform/ProgramRun.h"

#include <functional>
#include <string>

namespace qm {


// The short form of `path` (GetShortPathNameW), or the path as it is when it
// has none.
std::string ShortPath(const std::string& path);

// Starts `program` (normally "regedit.exe") with the file's short path as its
// one argument and waits for it to end, calling `wait` between checks so the
// caller's event loop runs on.
ProgramRun RunRegedit(const std::string& file, const std::function<void()>& wait,
                      const std::string& program = "regedit.exe");

} // namespace qm
