// The loose decoder: a leading "<", the first ">" and the first ":".
#pragma once

#include "settings/Options.h"
#include "reception/SyslogMessage.h"

#include <string>
#include <string_view>

namespace qm {

// Fills IdName, PriText, Tag and MessageText of `message` from the whole
// datagram. `work` is a buffer the caller keeps between calls so decoding
// allocates nothing once it has grown. `framed`: a TCP message, whose
// terminator the framing removed already, so the scan runs to its end.
void DecodeDatagram(std::string_view datagram, const std::vector<IdEntry>& ids, SyslogMessage& message,
                    std::string& work, bool framed = false);

// Index of the first ID entry whose number equals `number` without regard to
// case, or -1.
int FindIdByNumber(const std::vector<IdEntry>& ids, std::string_view number);
// Index of the first ID entry whose name equals `name` without regard to case, or -1.
int FindIdByName(const std::vector<IdEntry>& ids, std::string_view name);

} // namespace qm
