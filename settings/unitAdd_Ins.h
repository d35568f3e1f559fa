// Small text helpers shared by the settings, the dialog and reception.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qm {

// True for the bytes that trimming and splitting treat as blanks: codes 0..32.
inline bool IsBlankByte(char c) {
    return static_cast<unsigned char>(c) <= 32;
}

// Removes bytes of code 0..32 from both ends.
std::string_view Trim(std::string_view text);

// Removes every byte of code 0..32.
std::string StripBlanks(std::string_view text);

// True when the text holds a blank (code 0..32) or a comma.
bool HasBlankOrComma(std::string_view text);

// An optional sign and decimal digits within the signed 32-bit range; nothing
// else (no blanks, no hexadecimal).
std::optional<std::int32_t> ParseInt32(std::string_view text);

// Equal without regard to ASCII letter case, as list lookups compare.
bool SameText(std::string_view a, std::string_view b);

// Cuts text into lines ended by CR LF, a lone CR or a lone LF; a final
// break starts no further line.
std::vector<std::string_view> SplitLines(std::string_view text);

// "'%s' is not a valid integer value"
std::string NotAnIntegerMessage(std::string_view text);

} // namespace qm
