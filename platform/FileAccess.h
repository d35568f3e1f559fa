// Whole files read and written safely: a read refuses anything that is not a
// regular file (a folder, a FIFO that would block, a device), a write never
// leaves a half-written or emptied file where a good one stood.
#pragma once

#include "platform/Result.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace qm {

// A regular file open for reading, of any size. Opening refuses a folder, a
// FIFO or a device (which could block or never end) with the reason.
class ReadableFile {
public:
    ReadableFile() = default;
    ~ReadableFile();
    ReadableFile(const ReadableFile&) = delete;
    ReadableFile& operator=(const ReadableFile&) = delete;

    // `path` in UTF-8 on Windows (opened through the wide API as given), in
    // the system's bytes elsewhere.
    Result Open(const std::string& path);
    // The size when it was opened.
    std::uint64_t Size() const { return size_; }
    // After a failed Open: whether the path names something that is not a
    // file (rather than nothing, or nothing readable).
    bool NotAFile() const { return notAFile_; }
    // Reads up to `length` bytes; `got` is 0 at the end of the file.
    Result Read(char* into, std::size_t length, std::size_t& got);
    void Close();

private:
#ifdef _WIN32
    void* handle_ = nullptr;
#else
    int fd_ = -1;
#endif
    std::uint64_t size_ = 0;
    bool notAFile_ = false;
};

// Reads all of `path` (UTF-8 on Windows, as for ReadableFile) into `bytes`. Fails with
// the reason ("it is a folder", "it is larger than 64 MB", the system's text)
// and leaves `bytes` empty.
Result ReadWholeFile(const std::string& path, std::string& bytes, std::uint64_t maxBytes);

// Writes `bytes` to a new file beside `path` and puts it in place of `path`
// in one rename once all of it is on disk. On failure `path` is untouched and
// nothing is left behind.
Result WriteWholeFile(const std::string& path, std::string_view bytes);

} // namespace qm
