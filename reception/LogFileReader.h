// Reading a day's log file back: cutting it into lines and the lines into
// the seven fields the viewer shows. The file stays one block of bytes;
// rows hold where their fields lie in it.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace qm {

inline constexpr int kViewerColumns = 7; // Date .. Port; the colour fields are not shown

// The first field of `text` up to the first separator, trimmed of bytes of
// code 0..32, and the rest after that separator (untrimmed).
std::pair<std::string_view, std::string_view> SplitLogField(std::string_view text, char separator);

// Lines end at CR LF, a lone CR or a lone LF; a final break starts no further
// line; a NUL byte ends the text.
std::vector<std::string_view> SplitLogLines(std::string_view text);

// The seven shown fields of one line. A line the program wrote has exactly
// eight separators; one with more (a message holding the separator byte, as
// UTF-8 letters do) keeps two fields from the left and six from the right,
// and everything between goes to the message.
std::array<std::string_view, kViewerColumns> SplitLogLine(std::string_view line, char separator);

class LogFileContent {
public:
    struct Span {
        std::uint32_t offset = 0;
        std::uint32_t length = 0;
    };

    // Reads the whole file. Returns false when it cannot be read.
    bool Load(const std::string& path);
    // The same from bytes in memory.
    void Parse(std::string bytes);

    int RowCount() const { return static_cast<int>(rows_.size()); }
    std::string_view Cell(int row, int column) const {
        const Span s = rows_[static_cast<std::size_t>(row)][static_cast<std::size_t>(column)];
        return std::string_view(bytes_).substr(s.offset, s.length);
    }
    void Clear();

private:
    std::string bytes_;
    std::vector<std::array<Span, kViewerColumns>> rows_;
};

} // namespace qm
