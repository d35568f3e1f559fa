// Windows only: the program's 8-bit text (the ANSI code page, what its stored
// values hold), the UTF-8 of the paths the operator chooses, and the wide
// text of the system's W calls, so that every file the program names is
// opened through the wide API with the name as it was given.
#pragma once

#include <string>
#include <string_view>

namespace qm {

std::wstring AnsiToWide(std::string_view text);
// Nothing when a character has no form in the ANSI code page.
bool WideToAnsi(std::wstring_view text, std::string& out);
std::wstring Utf8ToWide(std::string_view text);
std::string WideToUtf8(std::wstring_view text);

} // namespace qm
