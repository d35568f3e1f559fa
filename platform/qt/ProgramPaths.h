// Where the program is, in the system's own notation.
#pragma once

#include <string>

namespace qm {

// The folder that holds the program file, without a trailing separator,
// with the system's separators ("C:\Tools\QuillmereLight" on Windows).
std::string ProgramDir();

// The registry editor the import starts: ferrowick-reg beside the program on
// Linux; on Windows the system's regedit.exe.
std::string RegistryEditorPath();

} // namespace qm
