// What tells one user's copy of the program from another's: the same user
// with the same settings store (on Windows, in the same session) is one
// copy. InstanceNamePosix.cpp and InstanceNameWindows.cpp say it per system.
#pragma once

#include <string>

namespace qm {

// A name for the user's running copy to be found by, the same at every
// start for that user and store, different for any other.
std::string UserInstanceName();

// Windows: lets the running copy bring its window to the front when this
// (second) start asks it to; the desktop still decides. Nothing elsewhere.
void AllowOtherToComeForward();

} // namespace qm
