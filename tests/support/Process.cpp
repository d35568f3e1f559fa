#include "support/Process.h"

#include <chrono>
#include <cstring>
#include <cstdlib>
#include <stdexcept>
#include <thread>

#ifdef _WIN32
#include <windows.h>
#else
#include <csignal>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace qmtest {

void SleepMs(int ms) {
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

#ifdef _WIN32

namespace {

std::string Quote(const std::string& arg) {
    if (!arg.empty() && arg.find_first_of(" \t\"") == std::string::npos) return arg;
    std::string out = "\"";
    for (char c : arg) {
        if (c == '"') out += '\\';
        out += c;
    }
    return out + "\"";
}

// The parent's environment with `env` laid over it, as CreateProcessA wants it.
std::string EnvironmentBlock(const std::map<std::string, std::string>& env) {
    std::map<std::string, std::string> all;
    if (char* block = GetEnvironmentStringsA()) {
        for (const char* p = block; *p; p += std::strlen(p) + 1) {
            const std::string entry = p;
            const std::size_t eq = entry.find('=', 1);
            if (eq != std::string::npos) all[entry.substr(0, eq)] = entry.substr(eq + 1);
        }
        FreeEnvironmentStringsA(block);
    }
    for (const auto& [name, value] : env)
        all[name] = value;
    std::string out;
    for (const auto& [name, value] : all)
        out += name + "=" + value + '\0';
    return out + '\0';
}

std::map<int, HANDLE>& Started() {
    static std::map<int, HANDLE> handles;
    return handles;
}

PROCESS_INFORMATION Create(const std::vector<std::string>& argv, const std::map<std::string, std::string>& env,
                           HANDLE output) {
    std::string commandLine;
    for (const std::string& a : argv)
        commandLine += (commandLine.empty() ? "" : " ") + Quote(a);
    std::string block = EnvironmentBlock(env);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    if (output) {
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdOutput = output;
        startup.hStdError = output;
        startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    }
    PROCESS_INFORMATION process{};
    if (!CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, output != nullptr, 0, block.data(),
                        nullptr, &startup, &process))
        throw std::runtime_error("cannot start " + argv.front());
    CloseHandle(process.hThread);
    return process;
}

} // namespace

ProcessResult RunProcess(const std::vector<std::string>& argv, const std::map<std::string, std::string>& env) {
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE readEnd = nullptr, writeEnd = nullptr;
    if (!CreatePipe(&readEnd, &writeEnd, &inherit, 0)) throw std::runtime_error("pipe failed");
    SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    ProcessResult result;
    PROCESS_INFORMATION process{};
    try {
        process = Create(argv, env, writeEnd);
    } catch (...) {
        CloseHandle(readEnd);
        CloseHandle(writeEnd);
        throw;
    }
    CloseHandle(writeEnd);
    char buf[4096];
    DWORD n = 0;
    while (ReadFile(readEnd, buf, sizeof buf, &n, nullptr) && n > 0)
        result.output.append(buf, n);
    CloseHandle(readEnd);
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD code = 0;
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hProcess);
    result.exitCode = static_cast<int>(code);
    return result;
}

int StartProcess(const std::vector<std::string>& argv, const std::map<std::string, std::string>& env) {
    const PROCESS_INFORMATION process = Create(argv, env, nullptr);
    Started()[static_cast<int>(process.dwProcessId)] = process.hProcess;
    return static_cast<int>(process.dwProcessId);
}

int WaitProcess(int pid, int ms) {
    const auto it = Started().find(pid);
    if (it == Started().end()) return -1;
    HANDLE h = it->second;
    Started().erase(it);
    int code = -1;
    if (WaitForSingleObject(h, static_cast<DWORD>(ms)) == WAIT_OBJECT_0) {
        DWORD exit = 0;
        GetExitCodeProcess(h, &exit);
        code = static_cast<int>(exit);
    } else {
        TerminateProcess(h, 1);
        WaitForSingleObject(h, INFINITE);
    }
    CloseHandle(h);
    return code;
}

void EndSession(int pid) {
    struct Search {
        DWORD pid;
        std::vector<HWND> windows;
    } search{static_cast<DWORD>(pid), {}};
    EnumWindows(
        [](HWND window, LPARAM data) -> BOOL {
            auto* s = reinterpret_cast<Search*>(data);
            DWORD owner = 0;
            GetWindowThreadProcessId(window, &owner);
            if (owner == s->pid) s->windows.push_back(window);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    // As the system does: every window is asked first, then told.
    DWORD_PTR answer = 0;
    for (HWND w : search.windows)
        SendMessageTimeoutA(w, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF, SMTO_NORMAL, 10000, &answer);
    for (HWND w : search.windows)
        SendMessageTimeoutA(w, WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF, SMTO_NORMAL, 10000, &answer);
}

bool WaitForWindows(int pid, int count, int ms) {
    return PollUntil(
        [&] {
            struct Search {
                DWORD pid;
                int visible = 0;
            } search{static_cast<DWORD>(pid)};
            EnumWindows(
                [](HWND window, LPARAM data) -> BOOL {
                    auto* s = reinterpret_cast<Search*>(data);
                    DWORD owner = 0;
                    GetWindowThreadProcessId(window, &owner);
                    if (owner == s->pid && IsWindowVisible(window)) ++s->visible;
                    return TRUE;
                },
                reinterpret_cast<LPARAM>(&search));
            return search.visible >= count;
        },
        ms);
}

std::string BinPath(const std::string& name) {
    // The tests live in the bin folder too.
    char self[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, self, sizeof self);
    std::string dir = self;
    dir = dir.substr(0, dir.find_last_of("\\/"));
    return dir + "\\" + name + ".exe";
}

void SetEnv(const std::string& name, const std::string& value) {
    _putenv_s(name.c_str(), value.c_str());
}

void UnsetEnv(const std::string& name) {
    _putenv_s(name.c_str(), "");
}

#else

std::string BinPath(const std::string& name) {
    return std::string(QM_BIN_DIR) + "/" + name;
}

void SetEnv(const std::string& name, const std::string& value) {
    setenv(name.c_str(), value.c_str(), 1);
}

void UnsetEnv(const std::string& name) {
    unsetenv(name.c_str());
}

namespace {
[[noreturn]] void ExecChild(const std::vector<std::string>& argv,
                            const std::map<std::string, std::string>& env) {
    for (const auto& [name, value] : env)
        setenv(name.c_str(), value.c_str(), 1);
    std::vector<char*> args;
    for (const std::string& a : argv)
        args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    execv(args[0], args.data());
    _exit(127);
}
} // namespace

int StartProcess(const std::vector<std::string>& argv, const std::map<std::string, std::string>& env) {
    const pid_t pid = fork();
    if (pid < 0) throw std::runtime_error("fork failed");
    if (pid == 0) ExecChild(argv, env);
    return pid;
}

int WaitProcess(int pid, int ms) {
    for (int waited = 0;; waited += 10) {
        int status = 0;
        const pid_t r = waitpid(pid, &status, WNOHANG);
        if (r == pid) return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        if (waited >= ms) {
            kill(pid, SIGKILL);
            waitpid(pid, &status, 0);
            return -1;
        }
        usleep(10000);
    }
}

void EndSession(int pid) {
    kill(pid, SIGTERM);
}

bool WaitForWindows(int, int, int) {
    return true;
}

ProcessResult RunProcess(const std::vector<std::string>& argv,
                         const std::map<std::string, std::string>& env) {
    int fds[2];
    if (pipe(fds) != 0) throw std::runtime_error("pipe failed");
    const pid_t pid = fork();
    if (pid < 0) throw std::runtime_error("fork failed");
    if (pid == 0) {
        dup2(fds[1], 1);
        dup2(fds[1], 2);
        close(fds[0]);
        close(fds[1]);
        ExecChild(argv, env);
    }
    close(fds[1]);
    ProcessResult result;
    char buf[4096];
    ssize_t n;
    while ((n = read(fds[0], buf, sizeof buf)) > 0)
        result.output.append(buf, static_cast<std::size_t>(n));
    close(fds[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    if (WIFEXITED(status)) result.exitCode = WEXITSTATUS(status);
    return result;
}

#endif

} // namespace qmtest
