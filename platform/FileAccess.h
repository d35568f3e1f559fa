// Whole files read and written safely: a read refuses anything that is not a
// regular file (a folder, a FIFO that would block, a device), a write never
// leaves a half-written or emptied file where a good one stood.
#pragma once

#include "platform/Result.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace qm {

// Reads all of `path` (in the system's own encoding) into `bytes`. Fails with
// the reason ("it is a folder", "it is larger than 64 MB", the system's text)
// and leaves `bytes` empty.
Result ReadWholeFile(const std::string& path, std::string& bytes, std::uint64_t maxBytes);

// Writes `bytes` to a new file beside `path` and puts it in place of `path`
// in one rename once all of it is on disk. On failure `path` is untouched and
// nothing is left behind.
Result WriteWholeFile(const std::string& path, std::string_view bytes);

} // namespace qm
