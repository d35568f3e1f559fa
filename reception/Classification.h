// Matching a decoded message to the ID and IP lists, its colours, and the
// admission rule.
#pragma once

#include "platform/Result.h"
#include "settings/Options.h"
#include "reception/SyslogMessage.h"

#include <string>
#include <string_view>

namespace qm {

struct Classification {
    int idIndex = -1; // the ID entry matched, or -1
    int ipIndex = -1; // the IP entry matched, or -1
    bool idRegistered = false;
    bool idListen = false;
    bool ipRegistered = false;
    bool ipListen = false;
    bool admitted = false;
};

// SourceLevel and the ID match, colours, the sender, and admission, for a
// message that DecodeDatagram filled. Fails, with the operator's text, when
// the priority is not an integer.
Result ClassifyMessage(const Options& options, SyslogMessage& message, std::string_view fromIp,
                       Classification& result);

// The IP entry of a sender's address (compared as text, blanks around it
// left out, letter case aside), or -1.
int FindIpEntry(const std::vector<IpEntry>& ips, std::string_view address);
// Whether a message of this priority (its number as sent) finds an ID entry:
// by its number, or by the severity fallback of entries numbered 0 to 7.
bool PriorityIsListed(const std::vector<IdEntry>& ids, std::string_view priority);

// The admission rule over the ID and IP registration and listen flags.
bool IsAdmitted(const GeneralOptions& general, const Classification& c);

// Byte-exact, case-sensitive; the text counts up to its first NUL, and an
// empty token never occurs.
bool TokenOccurs(std::string_view text, std::string_view token);

// "1 (USER)/5" for priority 13; a facility beyond the table shows no name ("25/0").
void FormatSourceLevel(std::int64_t priority, std::string& out);

} // namespace qm
