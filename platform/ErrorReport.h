// Errors nobody is there to answer (at the end of the session): appended with
// a time stamp to a file the operator finds later, and to standard error
// where the program has one.
#pragma once

#include "platform/Clock.h"

#include <string>
#include <string_view>

namespace qm {

inline constexpr const char* kErrorReportFile = "Ferrowick-errors.txt";

// Appends "yyyy-mm-dd hh:mm:ss text" and CR LF to `folder`/Ferrowick-errors.txt
// (the folder is made when missing). False when the file cannot be written.
bool AppendErrorReport(const std::string& folder, const DateTime& at, std::string_view text);

} // namespace qm
