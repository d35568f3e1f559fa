// What the log writer asks of the file system for the day files, said once
// per system (DayFilesPosix.cpp, DayFilesWindows.cpp, chosen by the build).
// The log writer decides what goes where; this only carries it out. Paths
// are in the system's own 8-bit encoding (the ANSI code page on Windows,
// where every call goes through the wide API).
#pragma once

#include "platform/Result.h"

#include <cstddef>
#include <string>
#include <string_view>

namespace qm {

// The operator's text for a file error code: "File not found", "File access
// denied" or "I/O error %d".
std::string IoErrorText(int code);
// The code for "nothing there" (also given for what is not a plain file).
int FileNotFoundCode();

// A name that can be a file name in a folder here: no separator, nothing the
// system refuses in a name, not "." or "..".
bool IsPlainFileName(std::string_view name);

// An interface, so that tests can count the opens and cut a write short.
// One file is open at a time.
class DayFileSystem {
public:
    virtual ~DayFileSystem() = default;

    // The folder is there, or was made now (its last component only).
    virtual Result MakeFolder(const std::string& path) = 0;
    // Creates `path` empty when nothing is there; what is there stays
    // untouched. A failure is not the caller's to report.
    virtual void CreateIfMissing(const std::string& path) = 0;

    // Opens an existing plain file for appending. Never creates it, never
    // goes through a link, and refuses a folder, a FIFO, a device or a file
    // with a second hard link as if nothing were there: the lines are a
    // sender's text and must not reach anything else.
    virtual Result Open(const std::string& path) = 0;
    // Writes `bytes` at the end of the open file. `written` is what reached
    // it, also when the write stopped short (the Result then says why).
    virtual Result Write(std::string_view bytes, std::size_t& written) = 0;
    // Cuts `bytes` off the end of the open file (a partial line).
    virtual void CutBack(std::size_t bytes) = 0;
    virtual void Close() = 0;
};

// The system's own calls.
class SystemDayFiles : public DayFileSystem {
public:
    SystemDayFiles() = default;
    ~SystemDayFiles() override;
    SystemDayFiles(const SystemDayFiles&) = delete;
    SystemDayFiles& operator=(const SystemDayFiles&) = delete;

    Result MakeFolder(const std::string& path) override;
    void CreateIfMissing(const std::string& path) override;
    Result Open(const std::string& path) override;
    Result Write(std::string_view bytes, std::size_t& written) override;
    void CutBack(std::size_t bytes) override;
    void Close() override;

private:
    long long handle_ = -1;
};

} // namespace qm
