// Gives memory the program has freed back to the system, so that clearing a
// large table shows in the process's size at once.
#pragma once

namespace qm {

void ReturnFreeMemory();

} // namespace qm
