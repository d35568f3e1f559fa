#include "reception/Classification.h"

#include "reception/SyslogDecoder.h"
#include "settings/unitAdd_Ins.h"

#include <charconv>

namespace qm {

namespace {

void AppendNumber(std::string& out, std::int64_t value) {
    char buf[24];
    const auto r = std::to_chars(buf, buf + sizeof buf, value);
    out.append(buf, r.ptr);
}

} // namespace

bool TokenOccurs(std::string_view text, std::string_view token) {
    if (token.empty()) return false;
    if (const std::size_t nul = text.find('\0'); nul != std::string_view::npos) text = text.substr(0, nul);
    return text.find(token) != std::string_view::npos;
}

void FormatSourceLevel(std::int64_t priority, std::string& out) {
    const std::int64_t severity = priority & 7;
    const std::int64_t facility = (priority - severity) / 8;
    out.clear();
    AppendNumber(out, facility);
    if (facility >= 0 && facility < static_cast<std::int64_t>(FacilityNames.size())) {
        out.push_back(' ');
        out += FacilityNames[static_cast<std::size_t>(facility)];
    }
    out.push_back('/');
    AppendNumber(out, severity);
}

Result ClassifyMessage(const Options& options, SyslogMessage& message, std::string_view fromIp,
                       Classification& result) {
    result = Classification{};
    const std::vector<IdEntry>& ids = options.IdList;

    // The ID match and SourceLevel.
    if (message.PriText != kUnregistered && message.IdName == kUnknownId) {
        const std::optional<std::int32_t> priority = ParseInt32(message.PriText);
        if (!priority) return Result::Failed(NotAnIntegerMessage(message.PriText));
        FormatSourceLevel(*priority, message.SourceLevel);
        // The severity fallback: entries numbered 0..7 catch unregistered priorities.
        char severity[2] = {static_cast<char>('0' + (*priority & 7)), '\0'};
        result.idIndex = FindIdByNumber(ids, std::string_view(severity, 1));
    } else {
        if (message.IdName != kUnknownId) result.idIndex = FindIdByName(ids, message.IdName);
        message.SourceLevel = message.PriText;
    }

    // Colours: only messages with an ID match are coloured.
    if (result.idIndex >= 0) {
        const IdEntry& id = ids[static_cast<std::size_t>(result.idIndex)];
        message.IdName = id.Name;
        result.idRegistered = true;
        result.idListen = IsSet(id.Listen);
        message.IdColour = id.Color;
        if (IsSet(id.UseToken)) {
            if (!TokenOccurs(message.MessageText, id.Token)) message.IdColour = "0";
        } else {
            message.TokenColour = "0";
            for (const TokenEntry& token : options.TokenList) {
                if (IsSet(token.UseToken) && TokenOccurs(message.MessageText, token.Token)) {
                    message.TokenColour = token.Color;
                    break;
                }
            }
        }
    }

    // A listed sender is shown by its entry's name, any other by its address.
    result.ipIndex = FindIpEntry(options.IpList, fromIp);
    if (result.ipIndex >= 0) {
        const IpEntry& entry = options.IpList[static_cast<std::size_t>(result.ipIndex)];
        result.ipRegistered = true;
        result.ipListen = IsSet(entry.Listen);
        message.SenderText = entry.Name;
    } else {
        message.SenderText.assign(fromIp);
    }

    result.admitted = IsAdmitted(options.General, result);
    return {};
}

int FindIpEntry(const std::vector<IpEntry>& ips, std::string_view address) {
    const std::string_view ip = Trim(address);
    for (std::size_t k = 0; k < ips.size(); ++k)
        if (SameText(ips[k].Address, ip)) return static_cast<int>(k);
    return -1;
}

bool PriorityIsListed(const std::vector<IdEntry>& ids, std::string_view priority) {
    if (FindIdByNumber(ids, priority) >= 0) return true;
    const std::optional<std::int32_t> number = ParseInt32(priority);
    if (!number) return false;
    const char severity = static_cast<char>('0' + (*number & 7));
    return FindIdByNumber(ids, std::string_view(&severity, 1)) >= 0;
}

bool IsAdmitted(const GeneralOptions& g, const Classification& c) {
    const bool idOk = c.idRegistered && c.idListen;
    const bool ipOk = c.ipRegistered && c.ipListen;
    if (!g.FilterIpFirst) {
        if (idOk) return ipOk || (!c.ipRegistered && g.ListenUnregisteredIP);
        return !c.idRegistered && g.ListenUnregisteredID;
    }
    if (ipOk) return idOk || (!c.idRegistered && g.ListenUnregisteredID);
    return !c.ipRegistered && g.ListenUnregisteredIP;
}

} // namespace qm
