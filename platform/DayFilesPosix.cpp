#include "platform/DayFiles.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace qm {

std::string IoErrorText(int code) {
    // ELOOP: a symbolic link where the day's file belongs, never followed;
    // ENXIO: a FIFO there, with nobody reading it.
    if (code == ENOENT || code == ENOTDIR || code == ENAMETOOLONG || code == ELOOP || code == ENXIO)
        return "File not found";
    if (code == EACCES || code == EPERM || code == EROFS) return "File access denied";
    return "I/O error " + std::to_string(code);
}

int FileNotFoundCode() {
    return ENOENT;
}

bool IsPlainFileName(std::string_view name) {
    if (name == "." || name == "..") return false;
    // A backslash too: names are the same on every system the program runs on.
    constexpr std::string_view kRefused("/\\\0", 3);
    return name.find_first_of(kRefused) == std::string_view::npos;
}

SystemDayFiles::~SystemDayFiles() {
    Close();
}

Result SystemDayFiles::MakeFolder(const std::string& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode)) return {};
    if (::mkdir(path.c_str(), 0755) == 0) return {};
    const int code = errno;
    if (::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode)) return {}; // made meanwhile
    return Result::Failed(IoErrorText(code));
}

void SystemDayFiles::CreateIfMissing(const std::string& path) {
    // O_EXCL leaves an existing file, and anything a link points at, untouched.
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd >= 0) ::close(fd);
}

Result SystemDayFiles::Open(const std::string& path) {
    Close();
    // O_NONBLOCK keeps a FIFO planted there from holding the program up.
    const int fd = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
    if (fd < 0) return Result::Failed(IoErrorText(errno));
    struct stat info {};
    // A second hard link could be a name outside the log folder.
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || info.st_nlink > 1) {
        ::close(fd);
        return Result::Failed(IoErrorText(ENOENT));
    }
    handle_ = fd;
    return {};
}

Result SystemDayFiles::Write(std::string_view bytes, std::size_t& written) {
    written = 0;
    if (handle_ < 0) return Result::Failed(IoErrorText(EBADF));
    const int fd = static_cast<int>(handle_);
    while (written < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + written, bytes.size() - written);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return Result::Failed(IoErrorText(n < 0 ? errno : ENOSPC));
        written += static_cast<std::size_t>(n);
    }
    return {};
}

void SystemDayFiles::CutBack(std::size_t bytes) {
    if (handle_ < 0 || bytes == 0) return;
    const int fd = static_cast<int>(handle_);
    const off_t end = ::lseek(fd, 0, SEEK_END);
    if (end >= static_cast<off_t>(bytes)) (void)!::ftruncate(fd, end - static_cast<off_t>(bytes));
}

void SystemDayFiles::Close() {
    if (handle_ >= 0) ::close(static_cast<int>(handle_));
    handle_ = -1;
}

} // namespace qm
