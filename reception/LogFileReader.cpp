#include "reception/LogFileReader.h"

#include "platform/FileAccess.h"
#include "reception/LogFiles.h"
#include "settings/unitAdd_Ins.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <new>

namespace qm {

namespace {

bool IsContinuation(char c) {
    return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

// Whether the continuation byte at `at` belongs to a well-formed UTF-8
// character: a lead byte at most three bytes before it, with the right
// number of continuation bytes and no overlong or surrogate form.
bool InsideUtf8Character(std::string_view s, std::size_t at) {
    std::size_t start = at;
    while (start > 0 && at - start < 3 && IsContinuation(s[start - 1]))
        --start;
    if (start == 0) return false;
    --start;
    const auto lead = static_cast<unsigned char>(s[start]);
    std::size_t length = 0;
    if (lead >= 0xC2 && lead <= 0xDF)
        length = 2;
    else if (lead >= 0xE0 && lead <= 0xEF)
        length = 3;
    else if (lead >= 0xF0 && lead <= 0xF4)
        length = 4;
    if (length == 0 || at - start >= length || start + length > s.size()) return false;
    for (std::size_t i = at + 1; i < start + length; ++i)
        if (!IsContinuation(s[i])) return false;
    const auto second = static_cast<unsigned char>(s[start + 1]);
    if (lead == 0xE0 && second < 0xA0) return false;
    if (lead == 0xED && second > 0x9F) return false;
    if (lead == 0xF0 && second < 0x90) return false;
    if (lead == 0xF4 && second > 0x8F) return false;
    return true;
}

// Splits on the separators `isCut` accepts, `cuts` of them.
template <typename IsCut>
std::array<std::string_view, kViewerColumns> SplitAt(std::string_view line, char separator, std::size_t cuts,
                                                     IsCut isCut) {
    std::array<std::string_view, kViewerColumns> fields{};
    const auto between = [&](std::size_t from, std::size_t to) { return Trim(line.substr(from, to - from)); };
    const auto next = [&](std::size_t from) {
        std::size_t at = line.find(separator, from);
        while (at != std::string_view::npos && !isCut(at))
            at = line.find(separator, at + 1);
        return at;
    };
    if (cuts <= 8) {
        std::size_t start = 0;
        for (std::string_view& field : fields) {
            const std::size_t at = next(start);
            if (at == std::string_view::npos) {
                field = between(start, line.size());
                break;
            }
            field = between(start, at);
            start = at + 1;
        }
        return fields;
    }
    // Two fields from the left, six from the right, the message between.
    const std::size_t first = next(0);
    const std::size_t second = next(first + 1);
    std::array<std::size_t, 6> right{};
    for (std::size_t i = line.size(), found = 0; found < 6;)
        if (line[--i] == separator && isCut(i)) right[5 - found++] = i;
    fields[0] = between(0, first);
    fields[1] = between(first + 1, second);
    fields[2] = between(second + 1, right[0]);
    for (std::size_t i = 0; i < 4; ++i)
        fields[3 + i] = between(right[i] + 1, right[i + 1]);
    return fields;
}

constexpr std::size_t kChunk = 8u << 20; // between progress reports

} // namespace

std::pair<std::string_view, std::string_view> SplitLogField(std::string_view text, char separator) {
    const std::size_t at = text.find(separator);
    if (at == std::string_view::npos) return {Trim(text), {}};
    return {Trim(text.substr(0, at)), text.substr(at + 1)};
}

std::array<std::string_view, kViewerColumns> SplitLogLine(std::string_view line, char separator) {
    const auto all = [](std::size_t) { return true; };
    const auto total = static_cast<std::size_t>(std::count(line.begin(), line.end(), separator));
    if (total > 8 && IsContinuation(separator)) {
        // Letters whose UTF-8 bytes hold the separator byte are not separators
        // as long as the line still has the eight the program wrote.
        const auto structural = [&](std::size_t at) { return !InsideUtf8Character(line, at); };
        std::size_t cuts = 0;
        for (std::size_t i = 0; i < line.size(); ++i)
            cuts += line[i] == separator && structural(i);
        if (cuts >= 8) return SplitAt(line, separator, cuts, structural);
    }
    return SplitAt(line, separator, total, all);
}

LogFileContent::End LogFileContent::Load(const std::string& path, const Progress& progress) {
    Clear();
    ReadableFile file;
    if (!file.Open(path)) return file.NotAFile() ? End::NotAFile : End::CannotOpen;
    const std::uint64_t size = file.Size();
    if (size >= std::numeric_limits<std::size_t>::max() / 2) return End::TooLarge;
    try {
        bytes_.reset(new char[static_cast<std::size_t>(size) + 1]);
    } catch (const std::bad_alloc&) {
        return End::TooLarge;
    }
    // What the file holds now; lines appended meanwhile wait for the next load.
    std::uint64_t done = 0;
    while (done < size) {
        std::size_t got = 0;
        const auto want = static_cast<std::size_t>(std::min<std::uint64_t>(size - done, kChunk));
        if (!file.Read(bytes_.get() + done, want, got)) {
            Clear();
            return End::CannotOpen;
        }
        if (got == 0) break; // cut short meanwhile
        done += got;
        if (progress && !progress(done, 2 * size)) {
            Clear();
            return End::Cancelled;
        }
    }
    size_ = done;
    return Index(progress, size, 2 * size);
}

LogFileContent::End LogFileContent::Parse(std::string_view bytes, const Progress& progress) {
    Clear();
    try {
        bytes_.reset(new char[bytes.size() + 1]);
    } catch (const std::bad_alloc&) {
        return End::TooLarge;
    }
    std::memcpy(bytes_.get(), bytes.data(), bytes.size());
    size_ = bytes.size();
    return Index(progress, 0, size_);
}

LogFileContent::End LogFileContent::Index(const Progress& progress, std::uint64_t done, std::uint64_t total) {
    const char* p = bytes_.get();
    const std::size_t n = static_cast<std::size_t>(size_);
    const auto stop = [&](End end) {
        Clear();
        return end;
    };
    // Calls `found(where the next line begins)` for each line break, with
    // memchr's speed over long lines; false when the progress said stop.
    const auto eachBreak = [&](std::uint64_t before, auto found) {
        const char* end = p + n;
        const auto next = [end](const char* from, char c) {
            const void* at = std::memchr(from, c, static_cast<std::size_t>(end - from));
            return at ? static_cast<const char*>(at) : end;
        };
        const char* lf = next(p, '\n');
        const char* cr = next(p, '\r');
        std::size_t reported = 0;
        while (lf != end || cr != end) {
            const char* at = std::min(lf, cr);
            if (at == cr) {
                if (lf != end && cr + 1 == lf) {
                    at = lf; // CR LF is one break
                    lf = next(lf + 1, '\n');
                }
                cr = next(cr + 1, '\r');
            } else {
                lf = next(lf + 1, '\n');
            }
            const auto after = static_cast<std::size_t>(at + 1 - p);
            found(after);
            if (after - reported >= kChunk) {
                reported = after;
                if (progress && !progress(before + after / 2, total)) return false;
            }
        }
        return true;
    };
    // Counted first, so that a file of too many lines is refused before its
    // index is built, and the index is allocated once at its size.
    std::uint64_t lines = 0;
    if (!eachBreak(done, [&](std::size_t) { ++lines; })) return stop(End::Cancelled);
    if (n > 0 && p[n - 1] != '\n' && p[n - 1] != '\r') ++lines; // the last line has no break
    if (lines > kMaxViewerLines) {
        Clear();
        linesFound_ = lines;
        return End::TooManyLines;
    }
    const bool narrow = n <= std::numeric_limits<std::uint32_t>::max();
    try {
        if (narrow)
            narrow_.reserve(static_cast<std::size_t>(lines) + 1);
        else
            wide_.reserve(static_cast<std::size_t>(lines) + 1);
    } catch (const std::bad_alloc&) {
        return stop(End::TooLarge);
    }
    const auto add = [&](std::size_t start) {
        if (narrow)
            narrow_.push_back(static_cast<std::uint32_t>(start));
        else
            wide_.push_back(start);
    };
    add(0);
    std::size_t last = 0;
    if (!eachBreak(done + n / 2, [&](std::size_t start) { add(last = start); })) return stop(End::Cancelled);
    if (last != n) add(n);
    rows_ = static_cast<std::size_t>(lines);
    linesFound_ = lines;
    return End::Loaded;
}

std::string_view LogFileContent::Line(int row) const {
    const auto r = static_cast<std::size_t>(row);
    const char* p = bytes_.get();
    const auto begin = static_cast<std::size_t>(Start(r));
    auto end = static_cast<std::size_t>(Start(r + 1));
    if (end > begin && p[end - 1] == '\n') --end;
    if (end > begin && p[end - 1] == '\r') --end;
    return std::string_view(p + begin, end - begin);
}

std::array<std::string_view, kViewerColumns> LogFileContent::Fields(int row) const {
    return SplitLogLine(Line(row), kLogFieldSeparator);
}

void LogFileContent::Clear() {
    bytes_.reset();
    size_ = 0;
    rows_ = 0;
    std::vector<std::uint32_t>().swap(narrow_);
    std::vector<std::uint64_t>().swap(wide_);
    linesFound_ = 0;
}

} // namespace qm
