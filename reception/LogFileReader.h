// Reading a day's log file back: cutting it into lines and the lines into
// the seven fields the viewer shows. The file stays one block of bytes with
// one compact entry per line; a line's fields are split when it is shown.
#pragma once

#include "reception/Columns.h"

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace qm {


// The most lines the viewer takes: the table's total height overflows not far
// beyond, and the view itself costs memory for every row.
inline constexpr std::uint64_t kMaxViewerLines = 20'000'000;

// The first field of `text` up to the first separator, trimmed of bytes of
// code 0..32, and the rest after that separator (untrimmed).
std::pair<std::string_view, std::string_view> SplitLogField(std::string_view text, char separator);

// The seven shown fields of one line. A line the program wrote has exactly
// eight separators. With more, the separator bytes inside valid UTF-8
// characters (ö is C3 B6) are left out when eight or more others remain;
// with more than eight left, two fields are taken from the left and six from
// the right, and everything between goes to the message.
std::array<std::string_view, kViewerColumns> SplitLogLine(std::string_view line, char separator);

class LogFileContent {
public:
    enum class End {
        Loaded,
        Cancelled,    // the progress callback said stop
        CannotOpen,   // missing, unreadable, or failed while reading
        NotAFile,     // a folder, a FIFO, a device
        TooManyLines, // more than kMaxViewerLines; LinesFound() says how many
        TooLarge,     // more than memory holds
    };
    // Called now and then from the loading thread with the work done of the
    // whole; returning false stops the load.
    using Progress = std::function<bool(std::uint64_t done, std::uint64_t total)>;

    // Reads the whole file: a snapshot of the bytes there when it was opened.
    // Anything but Loaded leaves the content empty.
    End Load(const std::string& path, const Progress& progress = {});
    // The same from bytes in memory.
    End Parse(std::string_view bytes, const Progress& progress = {});

    // Lines end at CR LF, a lone CR or a lone LF; a final break starts no
    // further line. Every other byte, NUL included, belongs to its line.
    int RowCount() const { return static_cast<int>(rows_); }
    std::string_view Line(int row) const;
    std::array<std::string_view, kViewerColumns> Fields(int row) const;
    std::string_view Cell(int row, int column) const { return Fields(row)[static_cast<std::size_t>(column)]; }
    std::uint64_t LinesFound() const { return linesFound_; }
    // Gives all the memory back.
    void Clear();

private:
    End Index(const Progress& progress, std::uint64_t done, std::uint64_t total);

    std::uint64_t Start(std::size_t row) const { return narrow_.empty() ? wide_[row] : narrow_[row]; }

    std::unique_ptr<char[]> bytes_;
    std::uint64_t size_ = 0;
    std::size_t rows_ = 0;
    // Where each line begins, and after them the end of the text: in four
    // bytes a line for any file under 4 GiB, in eight beyond.
    std::vector<std::uint32_t> narrow_;
    std::vector<std::uint64_t> wide_;
    std::uint64_t linesFound_ = 0;
};

} // namespace qm
