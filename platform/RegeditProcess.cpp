#include "platform/RegeditProcess.h"

#include "platform/RegeditCommand.h"
#include "platform/WinText.h"

#include <windows.h>

namespace qm {

std::string ShortPath(const std::string& path) {
    wchar_t buffer[MAX_PATH] = {};
    const DWORD n = GetShortPathNameW(Utf8ToWide(path).c_str(), buffer, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return path;
    return WideToUtf8(std::wstring_view(buffer, n));
}

ProgramRun RunRegedit(const std::string& file, const std::function<void()>& wait,
                      const std::string& program) {
    ProgramRun run;
    run.commandLine =
        program == "regedit.exe" ? RegeditCommandLine(ShortPath(file)) : program + " " + ShortPath(file);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    std::wstring commandLine = Utf8ToWide(run.commandLine); // CreateProcessW may write into it
    if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
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
