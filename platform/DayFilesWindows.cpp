#include "platform/DayFiles.h"

#include "platform/WinText.h"

#include <windows.h>

#include <algorithm>

namespace qm {

std::string IoErrorText(int code) {
    if (code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND || code == ERROR_INVALID_NAME)
        return "File not found";
    if (code == ERROR_ACCESS_DENIED) return "File access denied";
    return "I/O error " + std::to_string(code);
}

int FileNotFoundCode() {
    return ERROR_FILE_NOT_FOUND;
}

bool IsPlainFileName(std::string_view name) {
    if (name == "." || name == "..") return false;
    // Besides the separators, what Windows refuses in a name, and ':' that
    // would name a stream of another file.
    constexpr std::string_view kRefused("/\\\0:*?\"<>|", 10);
    return name.find_first_of(kRefused) == std::string_view::npos;
}

namespace {

HANDLE AsHandle(long long handle) {
    return reinterpret_cast<HANDLE>(static_cast<intptr_t>(handle));
}

Result Failed(DWORD code) {
    return Result::Failed(IoErrorText(static_cast<int>(code)));
}

} // namespace

SystemDayFiles::~SystemDayFiles() {
    Close();
}

Result SystemDayFiles::MakeFolder(const std::string& path) {
    const std::wstring wide = AnsiToWide(path);
    const DWORD attributes = GetFileAttributesW(wide.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) return {};
    if (CreateDirectoryW(wide.c_str(), nullptr)) return {};
    const DWORD code = GetLastError();
    const DWORD now = GetFileAttributesW(wide.c_str());
    if (now != INVALID_FILE_ATTRIBUTES && (now & FILE_ATTRIBUTE_DIRECTORY)) return {};
    return Failed(code);
}

void SystemDayFiles::CreateIfMissing(const std::string& path) {
    HANDLE h = CreateFileW(AnsiToWide(path).c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
}

Result SystemDayFiles::Open(const std::string& path) {
    Close();
    // The reparse point itself, never its target: a link planted under a day
    // file's name must not carry a sender's text anywhere else.
    HANDLE h = CreateFileW(AnsiToWide(path).c_str(), FILE_WRITE_DATA | FILE_APPEND_DATA | FILE_READ_ATTRIBUTES,
                           FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (h == INVALID_HANDLE_VALUE) return Failed(GetLastError());
    BY_HANDLE_FILE_INFORMATION info{};
    // A second hard link could be a name outside the log folder.
    if (GetFileType(h) != FILE_TYPE_DISK || !GetFileInformationByHandle(h, &info) ||
        (info.dwFileAttributes & (FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY)) ||
        info.nNumberOfLinks > 1) {
        CloseHandle(h);
        return Failed(ERROR_FILE_NOT_FOUND);
    }
    // Writing data (not only appending) lets a partial line be cut back;
    // the writes start at the end.
    LARGE_INTEGER zero{};
    SetFilePointerEx(h, zero, nullptr, FILE_END);
    handle_ = static_cast<long long>(reinterpret_cast<intptr_t>(h));
    return {};
}

Result SystemDayFiles::Write(std::string_view bytes, std::size_t& written) {
    written = 0;
    if (handle_ == -1) return Failed(ERROR_INVALID_HANDLE);
    while (written < bytes.size()) {
        const std::size_t chunk = std::min<std::size_t>(bytes.size() - written, 1u << 30);
        DWORD n = 0;
        const BOOL ok = WriteFile(AsHandle(handle_), bytes.data() + written, static_cast<DWORD>(chunk), &n, nullptr);
        written += n;
        if (!ok) return Failed(GetLastError());
        if (n == 0) return Failed(ERROR_HANDLE_DISK_FULL);
    }
    return {};
}

void SystemDayFiles::CutBack(std::size_t bytes) {
    if (handle_ == -1 || bytes == 0) return;
    LARGE_INTEGER back;
    back.QuadPart = -static_cast<LONGLONG>(bytes);
    if (SetFilePointerEx(AsHandle(handle_), back, nullptr, FILE_END)) SetEndOfFile(AsHandle(handle_));
}

void SystemDayFiles::Close() {
    if (handle_ != -1) CloseHandle(AsHandle(handle_));
    handle_ = -1;
}

} // namespace qm
