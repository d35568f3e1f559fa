#include "platform/FileAccess.h"

#include "platform/SystemError.h"

#include <algorithm>
#include <atomic>
#include <cerrno>

#ifdef _WIN32
#include "platform/WinText.h"

#include <windows.h>
#else
#include <climits>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace qm {

namespace {

std::string TooLarge(std::uint64_t maxBytes) {
    return "it is larger than " + std::to_string(maxBytes / (1024 * 1024)) + " MB";
}

// Names for the new file beside the target that no other writer picks.
std::string TemporaryName(const std::string& path) {
    static std::atomic<unsigned> counter{0};
#ifdef _WIN32
    const unsigned long pid = GetCurrentProcessId();
#else
    const unsigned long pid = static_cast<unsigned long>(getpid());
#endif
    return path + ".part-" + std::to_string(pid) + "-" + std::to_string(counter++);
}

} // namespace

Result ReadWholeFile(const std::string& path, std::string& bytes, std::uint64_t maxBytes) {
    bytes.clear();
    ReadableFile file;
    if (Result opened = file.Open(path); !opened) return opened;
    if (file.Size() > maxBytes) return Result::Failed(TooLarge(maxBytes));
    // Read to the end, whatever the size said: the file may grow meanwhile.
    bytes.resize(static_cast<std::size_t>(file.Size()) + 1);
    std::size_t done = 0;
    for (;;) {
        if (done == bytes.size()) {
            if (bytes.size() > maxBytes) {
                bytes.clear();
                return Result::Failed(TooLarge(maxBytes));
            }
            bytes.resize(static_cast<std::size_t>(std::min<std::uint64_t>(bytes.size() * 2, maxBytes + 1)));
        }
        std::size_t got = 0;
        if (Result read = file.Read(bytes.data() + done, bytes.size() - done, got); !read) {
            bytes.clear();
            return read;
        }
        if (got == 0) break;
        done += got;
    }
    bytes.resize(done);
    return {};
}

#ifdef _WIN32

ReadableFile::~ReadableFile() {
    Close();
}

void ReadableFile::Close() {
    if (handle_) CloseHandle(handle_);
    handle_ = nullptr;
    size_ = 0;
}

Result ReadableFile::Open(const std::string& path) {
    Close();
    notAFile_ = false;
    const std::wstring wide = Utf8ToWide(path);
    const DWORD attributes = GetFileAttributesW(wide.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return Result::Failed(SystemErrorText(static_cast<int>(GetLastError())));
    notAFile_ = true;
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) return Result::Failed("it is a folder");
    notAFile_ = false;
    HANDLE h = CreateFileW(wide.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                           nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return Result::Failed(SystemErrorText(static_cast<int>(GetLastError())));
    LARGE_INTEGER size{};
    Result result;
    notAFile_ = GetFileType(h) != FILE_TYPE_DISK;
    if (notAFile_)
        result = Result::Failed("it is not a regular file");
    else if (!GetFileSizeEx(h, &size))
        result = Result::Failed(SystemErrorText(static_cast<int>(GetLastError())));
    if (!result) {
        CloseHandle(h);
        return result;
    }
    handle_ = h;
    size_ = static_cast<std::uint64_t>(size.QuadPart);
    return {};
}

Result ReadableFile::Read(char* into, std::size_t length, std::size_t& got) {
    DWORD n = 0;
    got = 0;
    if (!ReadFile(handle_, into, static_cast<DWORD>(std::min<std::size_t>(length, 1u << 30)), &n, nullptr))
        return Result::Failed(SystemErrorText(static_cast<int>(GetLastError())));
    got = n;
    return {};
}

Result WriteWholeFile(const std::string& path, std::string_view bytes) {
    const std::wstring part = Utf8ToWide(TemporaryName(path));
    HANDLE h = CreateFileW(part.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return Result::Failed(SystemErrorText(static_cast<int>(GetLastError())));
    std::size_t done = 0;
    DWORD code = 0;
    while (done < bytes.size() && code == 0) {
        DWORD put = 0;
        const DWORD want = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1u << 30));
        if (!WriteFile(h, bytes.data() + done, want, &put, nullptr))
            code = GetLastError();
        else
            done += put;
    }
    if (code == 0 && !FlushFileBuffers(h)) code = GetLastError();
    if (!CloseHandle(h) && code == 0) code = GetLastError();
    if (code == 0 && !MoveFileExW(part.c_str(), Utf8ToWide(path).c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        code = GetLastError();
    if (code == 0) return {};
    DeleteFileW(part.c_str());
    return Result::Failed(SystemErrorText(static_cast<int>(code)));
}

#else

ReadableFile::~ReadableFile() {
    Close();
}

void ReadableFile::Close() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
    size_ = 0;
}

Result ReadableFile::Open(const std::string& path) {
    Close();
    // O_NONBLOCK: opening a FIFO must not wait for a writer.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return Result::Failed(SystemErrorText(errno));
    struct stat info {};
    Result result;
    notAFile_ = false;
    if (::fstat(fd, &info) != 0) {
        result = Result::Failed(SystemErrorText(errno));
    } else if (!S_ISREG(info.st_mode)) {
        notAFile_ = true;
        result = Result::Failed(S_ISDIR(info.st_mode) ? "it is a folder" : "it is not a regular file");
    }
    if (!result) {
        ::close(fd);
        return result;
    }
    fd_ = fd;
    size_ = static_cast<std::uint64_t>(info.st_size);
    return {};
}

Result ReadableFile::Read(char* into, std::size_t length, std::size_t& got) {
    got = 0;
    for (;;) {
        const ssize_t n = ::read(fd_, into, length);
        if (n >= 0) {
            got = static_cast<std::size_t>(n);
            return {};
        }
        if (errno != EINTR) return Result::Failed(SystemErrorText(errno));
    }
}

Result WriteWholeFile(const std::string& path, std::string_view bytes) {
    // A link is replaced in what it points to, not by a file of its own.
    std::string target = path;
    struct stat link {};
    if (::lstat(path.c_str(), &link) == 0 && S_ISLNK(link.st_mode)) {
        if (char* real = ::realpath(path.c_str(), nullptr)) {
            target = real;
            std::free(real);
        }
    }
    const std::string part = TemporaryName(target);
    const int fd = ::open(part.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) return Result::Failed(SystemErrorText(errno));
    int code = 0;
    struct stat old {};
    // A file replaced keeps who may read it.
    if (::stat(target.c_str(), &old) == 0 && S_ISREG(old.st_mode)) (void)::fchmod(fd, old.st_mode & 07777);
    std::size_t done = 0;
    while (done < bytes.size() && code == 0) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0)
            code = errno;
        else
            done += static_cast<std::size_t>(n);
    }
    if (code == 0 && ::fsync(fd) != 0) code = errno;
    if (::close(fd) != 0 && code == 0) code = errno;
    if (code == 0 && ::rename(part.c_str(), target.c_str()) != 0) code = errno;
    if (code == 0) return {};
    ::unlink(part.c_str());
    return Result::Failed(SystemErrorText(code));
}

#endif

} // namespace qm
