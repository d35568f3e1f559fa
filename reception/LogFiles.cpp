#include "reception/LogFiles.h"

#include <cerrno>
#include <charconv>
#include <filesystem>

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace qm {

namespace {
#ifdef _WIN32
constexpr int kNotFound = ERROR_FILE_NOT_FOUND;
#else
constexpr int kNotFound = ENOENT;
#endif
} // namespace

std::string IoErrorText(int code) {
#ifdef _WIN32
    if (code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND || code == ERROR_INVALID_NAME)
        return "File not found";
    if (code == ERROR_ACCESS_DENIED) return "File access denied";
#else
    // ELOOP: a symbolic link where the day's file belongs, never followed;
    // ENXIO: a FIFO there, with nobody reading it.
    if (code == ENOENT || code == ENOTDIR || code == ENAMETOOLONG || code == ELOOP || code == ENXIO)
        return "File not found";
    if (code == EACCES || code == EPERM || code == EROFS) return "File access denied";
#endif
    return "I/O error " + std::to_string(code);
}

Result AppendLogLine(const std::string& path, std::string_view line) {
    const auto failed = [](int code) { return Result::Failed(IoErrorText(code)); };
#ifdef _WIN32
    // The reparse point itself, never its target: a link planted under a day
    // file's name must not carry a sender's text anywhere else.
    HANDLE h =
        CreateFileA(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (h == INVALID_HANDLE_VALUE) return failed(static_cast<int>(GetLastError()));
    BY_HANDLE_FILE_INFORMATION info{};
    if (GetFileType(h) != FILE_TYPE_DISK || !GetFileInformationByHandle(h, &info) ||
        (info.dwFileAttributes & (FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY))) {
        CloseHandle(h);
        return failed(kNotFound);
    }
    DWORD written = 0;
    const BOOL ok = WriteFile(h, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
    const int code = ok ? 0 : static_cast<int>(GetLastError());
    if (!ok || written != line.size()) {
        if (written > 0) {
            LARGE_INTEGER back;
            back.QuadPart = -static_cast<LONGLONG>(written);
            SetFilePointerEx(h, back, nullptr, FILE_END);
            SetEndOfFile(h);
        }
        CloseHandle(h);
        return failed(code ? code : ERROR_HANDLE_DISK_FULL);
    }
    if (!CloseHandle(h)) return failed(static_cast<int>(GetLastError()));
    return {};
#else
    // Never through a symbolic link, and never into anything but a regular
    // file: the line's text is the sender's. O_NONBLOCK keeps a FIFO planted
    // there from holding the program up.
    const int fd = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
    if (fd < 0) return failed(errno);
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        return failed(kNotFound);
    }
    std::size_t done = 0;
    while (done < line.size()) {
        const ssize_t n = ::write(fd, line.data() + done, line.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            const int code = n < 0 ? errno : ENOSPC;
            // Cut a partial line back off the end.
            if (done > 0) {
                const off_t end = ::lseek(fd, 0, SEEK_END);
                if (end >= static_cast<off_t>(done)) (void)::ftruncate(fd, end - static_cast<off_t>(done));
            }
            ::close(fd);
            return failed(code);
        }
        done += static_cast<std::size_t>(n);
    }
    if (::close(fd) != 0) return failed(errno);
    return {};
#endif
}

void BuildLogLine(const SyslogMessage& m, std::string& line) {
    line.clear();
    const auto field = [&](std::string_view text) {
        line.append(text);
        line.push_back(kLogFieldSeparator);
    };
    field(m.Stamp);
    field(m.SenderText);
    field(m.MessageText);
    field(m.IdName);
    field(m.Tag);
    field(m.SourceLevel);
    char port[16];
    const auto r = std::to_chars(port, port + sizeof port, m.SenderPort);
    field(std::string_view(port, static_cast<std::size_t>(r.ptr - port)));
    field(m.IdColour);
    line.append(m.TokenColour);
    line.append("\r\n");
}

bool IsValidLogName(std::string_view name) {
    if (name == "." || name == "..") return false;
#ifdef _WIN32
    // Besides the separators, what Windows refuses in a name, and ':' that
    // would name a stream of another file.
    constexpr std::string_view kRefused("/\\\0:*?\"<>|", 10);
#else
    constexpr std::string_view kRefused("/\\\0", 3);
#endif
    for (char c : name)
        if (kRefused.find(c) != std::string_view::npos) return false;
    return true;
}

LogWriter::LogWriter(const Options& options, const Clock& clock) : options_(options), clock_(clock) {
    FormatLogDay(clock_.Now(), lastLogDay_);
}

std::string LogWriter::LogFilePath(std::string_view day, std::string_view idName) const {
    std::string path = options_.General.LogDir;
    path.push_back(kPathSeparator);
    path.append(day);
    path.push_back('-');
    path.append(idName);
    path.append(".log");
    return path;
}

void LogWriter::CreateEmpty(std::string_view day, std::string_view name) {
    if (!IsValidLogName(name)) return;
    const std::string path = LogFilePath(day, name);
#ifdef _WIN32
    HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
#else
    // O_EXCL leaves an existing file untouched; a failure is not reported here.
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd >= 0) ::close(fd);
#endif
}

void LogWriter::CreateDayFiles(const std::string& day) {
    for (const IdEntry& id : options_.IdList)
        CreateEmpty(day, id.Name);
    if (options_.General.WriteToLogUnknownID) CreateEmpty(day, kUnknownId);
}

LogWriter::Prepared LogWriter::PrepareDayFiles(bool forced) {
    if (dirUnavailable_) return Prepared::LogDirUnavailable;
    if (forced || !dirChecked_) {
        std::error_code ec;
        const std::filesystem::path dir(options_.General.LogDir);
        if (!std::filesystem::is_directory(dir, ec)) {
            std::filesystem::create_directory(dir, ec);
            if (!std::filesystem::is_directory(dir, ec)) {
                dirUnavailable_ = true;
                return Prepared::LogDirUnavailable;
            }
        }
        dirChecked_ = true;
    }

    FormatLogDay(clock_.Now(), today_);
    bool create = forced || recreate_;
    if (!forced && !options_.UseUserDate) {
        if (today_ != lastLogDay_) create = true;
        lastLogDay_ = today_;
    }
    if (create) {
        if (options_.UseUserDate) {
            std::string userDay;
            FormatLogDay(options_.UserDate, userDay);
            CreateDayFiles(userDay);
        } else {
            CreateDayFiles(today_);
        }
        recreate_ = false;
    }
    return Prepared::Ok;
}

MessageLog::Appended LogWriter::AppendMessage(const SyslogMessage& message, std::string& failure) {
    if (PrepareDayFiles(false) == Prepared::LogDirUnavailable) return Appended::LogDirUnavailable;
    if (message.IdName == kUnknownId && !options_.General.WriteToLogUnknownID) return Appended::Skipped;

    path_ = options_.General.LogDir;
    path_.push_back(kPathSeparator);
    path_.append(message.LogDay);
    path_.push_back('-');
    path_.append(message.IdName);
    path_.append(".log");
    // A name that cannot be a file name here never got a file, and must not
    // reach outside the log folder.
    if (!IsValidLogName(message.IdName)) {
        failure = IoErrorText(kNotFound);
        return Appended::Failed;
    }
    BuildLogLine(message, line_);
    const Result r = AppendLogLine(path_, line_);
    if (!r.ok) {
        failure = r.error;
        dirChecked_ = false;
        recreate_ = true;
        return Appended::Failed;
    }
    return Appended::Written;
}

} // namespace qm
