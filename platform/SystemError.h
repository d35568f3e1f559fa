// The system's own words for an error code (errno, or GetLastError() on
// Windows), without the trailing full stop and line end.
#pragma once

#include <string>

namespace qm {

std::string SystemErrorText(int code);

} // namespace qm
