#include "reception/LogFileReader.h"

#include "reception/LogFiles.h"
#include "settings/unitAdd_Ins.h"

#include <fstream>
#include <tuple>

namespace qm {

std::pair<std::string_view, std::string_view> SplitLogField(std::string_view text, char separator) {
    const std::size_t at = text.find(separator);
    if (at == std::string_view::npos) return {Trim(text), {}};
    return {Trim(text.substr(0, at)), text.substr(at + 1)};
}

std::vector<std::string_view> SplitLogLines(std::string_view text) {
    if (const std::size_t nul = text.find('\0'); nul != std::string_view::npos) text = text.substr(0, nul);
    return SplitLines(text);
}

std::array<std::string_view, kViewerColumns> SplitLogLine(std::string_view line, char separator) {
    std::array<std::string_view, kViewerColumns> fields{};
    std::size_t separators = 0;
    for (char c : line)
        separators += c == separator;
    if (separators <= 8) {
        std::string_view rest = line;
        for (std::string_view& field : fields)
            std::tie(field, rest) = SplitLogField(rest, separator);
        return fields;
    }
    // Two fields from the left, six from the right, the message between.
    std::string_view rest = line;
    std::tie(fields[0], rest) = SplitLogField(rest, separator);
    std::tie(fields[1], rest) = SplitLogField(rest, separator);
    std::array<std::string_view, 6> right{};
    for (int i = 5; i >= 0; --i) {
        const std::size_t at = rest.rfind(separator);
        right[static_cast<std::size_t>(i)] = Trim(rest.substr(at + 1));
        rest = rest.substr(0, at);
    }
    fields[2] = Trim(rest);
    for (int i = 0; i < 4; ++i)
        fields[static_cast<std::size_t>(3 + i)] = right[static_cast<std::size_t>(i)];
    return fields;
}

bool LogFileContent::Load(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    in.seekg(0, std::ios::end);
    const std::streamoff size = in.tellg();
    if (size < 0 || size > 0xFFFFFFFFLL) return false;
    in.seekg(0);
    std::string bytes(static_cast<std::size_t>(size), '\0');
    if (size > 0 && !in.read(bytes.data(), size)) return false;
    Parse(std::move(bytes));
    return true;
}

void LogFileContent::Parse(std::string bytes) {
    bytes_ = std::move(bytes);
    rows_.clear();
    const std::vector<std::string_view> lines = SplitLogLines(bytes_);
    rows_.resize(lines.size());
    const char* base = bytes_.data();
    for (std::size_t n = 0; n < lines.size(); ++n) {
        const auto fields = SplitLogLine(lines[n], kLogFieldSeparator);
        for (std::size_t c = 0; c < fields.size(); ++c)
            rows_[n][c] = {static_cast<std::uint32_t>(fields[c].empty() ? 0 : fields[c].data() - base),
                           static_cast<std::uint32_t>(fields[c].size())};
    }
}

void LogFileContent::Clear() {
    bytes_.clear();
    bytes_.shrink_to_fit();
    rows_.clear();
    rows_.shrink_to_fit();
}

} // namespace qm
