// Other programs, started the way the tests need them, on Linux and Windows.
#pragma once

#include <map>
#include <string>
#include <vector>

namespace qmtest {

struct ProcessResult {
    int exitCode = -1;  // -1 when it did not exit normally
    std::string output; // stdout and stderr together
};

// Runs a program to its end with extra environment variables set.
ProcessResult RunProcess(const std::vector<std::string>& argv,
                         const std::map<std::string, std::string>& env = {});

// Starts a program and returns at once; the caller waits for it.
int StartProcess(const std::vector<std::string>& argv, const std::map<std::string, std::string>& env = {});
// Waits up to `ms` for it to end; its exit code, or -1 (killed when timed out).
int WaitProcess(int pid, int ms);
// What the end of the operator's session tells a program: SIGTERM on Linux;
// on Windows WM_QUERYENDSESSION and WM_ENDSESSION to its top-level windows.
void EndSession(int pid);

// A started program that a test leaving early does not leave behind.
class Running {
public:
    Running(const std::vector<std::string>& argv, const std::map<std::string, std::string>& env = {})
        : pid_(StartProcess(argv, env)) {}
    ~Running() {
        if (pid_ >= 0) WaitProcess(pid_, 0);
    }
    Running(const Running&) = delete;
    Running& operator=(const Running&) = delete;
    int Pid() const { return pid_; }
    // Its exit code, or -1 (killed after `ms`).
    int Wait(int ms) {
        const int code = WaitProcess(pid_, ms);
        pid_ = -1;
        return code;
    }

private:
    int pid_;
};

// A program built by this project, in the build's bin folder (".exe" added on Windows).
std::string BinPath(const std::string& name);

// Windows: until `pid` shows `count` top-level windows (the main window, a box
// over it). Elsewhere the program's windows cannot be seen from outside: true.
bool WaitForWindows(int pid, int count, int ms = 10000);

void SetEnv(const std::string& name, const std::string& value);
void UnsetEnv(const std::string& name);
void SleepMs(int ms);

// Checks `pred` every 10 ms for at most `ms`; whether it came to hold.
template <typename Pred> bool PollUntil(Pred pred, int ms = 5000) {
    for (int waited = 0; !pred(); waited += 10) {
        if (waited >= ms) return false;
        SleepMs(10);
    }
    return true;
}

} // namespace qmtest
