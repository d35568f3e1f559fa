#include "platform/ErrorReport.h"

#include <cstdio>
#include <filesystem>

#ifdef _WIN32
#include "platform/WinText.h"
#endif

namespace qm {

bool AppendErrorReport(const std::string& folder, const DateTime& at, std::string_view text) {
    char stamp[32];
    std::snprintf(stamp, sizeof stamp, "%04d-%02d-%02d %02d:%02d:%02d ", at.year, at.month, at.day, at.hour,
                  at.minute, at.second);
    std::string line = stamp;
    line.append(text);
    // A Windows program has no standard error: there the write goes nowhere.
    std::fprintf(stderr, "%s\n", line.c_str());
    std::fflush(stderr);
    line += "\r\n";
    std::error_code ec;
#ifdef _WIN32
    // Through the wide API: the folder's name is in the ANSI code page.
    const std::filesystem::path dir(AnsiToWide(folder));
    std::filesystem::create_directories(dir, ec);
    std::FILE* out = _wfopen((dir / kErrorReportFile).wstring().c_str(), L"ab");
#else
    const std::filesystem::path dir(folder);
    std::filesystem::create_directories(dir, ec);
    std::FILE* out = std::fopen((dir / kErrorReportFile).string().c_str(), "ab");
#endif
    if (!out) return false;
    const bool written = std::fwrite(line.data(), 1, line.size(), out) == line.size();
    return std::fclose(out) == 0 && written;
}

} // namespace qm
