#include "platform/RegeditProcess.h"

#include "platform/RegeditCommand.h"

#include <windows.h>

namespace qm {

std::string ShortPath(const std::string& path) {
    char buffer[MAX_PATH] = {};
    const DWORD n = GetShortPathNameA(path.c_str(), buffer, sizeof buffer);
    if (n == 0 || n >= sizeof buffer) return path;
    return std::string(buffer, n);
}

ProgramRun RunRegedit(const std::string& file, const std::function<void()>& wait,
                      const std::string& program) {
    ProgramRun run;
    run.commandLine =
        program == "regedit.exe" ? RegeditCommandLine(ShortPath(file)) : program + " " + ShortPath(file);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup; // 68 bytes in a 32-bit program
    PROCESS_INFORMATION process{};
    std::string commandLine = run.commandLine; // CreateProcessA may write into it
    if (!CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &process))
        return run;
    run.started = true;
    CloseHandle(process.hThread);
    while (WaitForSingleObject(process.hProcess, 20) == WAIT_TIMEOUT)
        if (wait) wait();
    DWORD code = 1;
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hProcess);
    run.exitCode = static_cast<int>(code);
    return run;
}

} // namespace qm
