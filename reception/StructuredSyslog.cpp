#include "reception/StructuredSyslog.h"

#include <cctype>

namespace qm {

namespace {

// Not in either form after all, for `why`; the priority stays.
void NotStandard(StructuredMessage& m, std::string why) {
    StructuredMessage none;
    none.priority = std::move(m.priority);
    none.problem = std::move(why);
    m = std::move(none);
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// Cuts the next token up to a space (the space is consumed), or fails.
bool Token(std::string_view& rest, std::string& out) {
    const std::size_t space = rest.find(' ');
    if (space == 0 || space == std::string_view::npos) return false;
    out.assign(rest.substr(0, space));
    rest.remove_prefix(space + 1);
    return true;
}

// STRUCTURED-DATA: "-" or one or more [id name="value" ...] with \" \\ \]
// escaped in the values. Returns the reason it is malformed, or empty.
std::string StructuredData(std::string_view& rest, std::vector<SdElement>& data) {
    if (!rest.empty() && rest.front() == '-') {
        rest.remove_prefix(1);
        return {};
    }
    if (rest.empty() || rest.front() != '[') return "the structured data is missing";
    const auto name = [](std::string_view& s, std::string& out, std::string_view ends) {
        std::size_t n = 0;
        while (n < s.size() && n < 32 && ends.find(s[n]) == std::string_view::npos &&
               static_cast<unsigned char>(s[n]) > 32 && static_cast<unsigned char>(s[n]) < 127)
            ++n;
        out.assign(s.substr(0, n));
        s.remove_prefix(n);
        return n > 0;
    };
    while (!rest.empty() && rest.front() == '[') {
        rest.remove_prefix(1);
        SdElement element;
        if (!name(rest, element.id, "= ]\"")) return "a structured data element has no name";
        while (!rest.empty() && rest.front() == ' ') {
            rest.remove_prefix(1);
            std::pair<std::string, std::string> param;
            if (!name(rest, param.first, "= ]\"")) return "a parameter of [" + element.id + "] has no name";
            if (rest.size() < 2 || rest[0] != '=' || rest[1] != '"')
                return "the parameter " + param.first + " of [" + element.id + "] has no quoted value";
            rest.remove_prefix(2);
            bool closed = false;
            while (!rest.empty()) {
                const char c = rest.front();
                rest.remove_prefix(1);
                if (c == '\\' && !rest.empty() &&
                    (rest.front() == '"' || rest.front() == '\\' || rest.front() == ']')) {
                    param.second += rest.front();
                    rest.remove_prefix(1);
                } else if (c == '"') {
                    closed = true;
                    break;
                } else {
                    param.second += c;
                }
            }
            if (!closed) return "the value of " + param.first + " in [" + element.id + "] is cut short";
            element.params.push_back(std::move(param));
        }
        if (rest.empty() || rest.front() != ']') return "the element [" + element.id + "] is not closed";
        rest.remove_prefix(1);
        data.push_back(std::move(element));
    }
    return {};
}

bool Rfc5424(std::string_view rest, StructuredMessage& m) {
    // VERSION SP: one to three digits, the first not 0.
    std::size_t digits = 0;
    while (digits < rest.size() && digits < 3 && IsDigit(rest[digits]))
        ++digits;
    if (digits == 0 || rest[0] == '0' || digits >= rest.size() || rest[digits] != ' ') return false;
    m.version.assign(rest.substr(0, digits));
    rest.remove_prefix(digits + 1);
    for (std::string* field : {&m.timestamp, &m.host, &m.appName, &m.procId, &m.msgId})
        if (!Token(rest, *field)) {
            NotStandard(m, "the RFC 5424 header is cut short");
            return true;
        }
    if (std::string why = StructuredData(rest, m.data); !why.empty()) {
        NotStandard(m, std::move(why));
        return true;
    }
    if (!rest.empty() && rest.front() == ' ') rest.remove_prefix(1);
    if (rest.substr(0, 3) == "\xEF\xBB\xBF") rest.remove_prefix(3); // the BOM of a UTF-8 message
    m.message.assign(rest);
    m.form = StructuredMessage::Form::Rfc5424;
    return true;
}

bool Rfc3164(std::string_view rest, StructuredMessage& m) {
    // "Mmm dd hh:mm:ss " with the day padded by a space.
    static constexpr std::string_view kMonths = "JanFebMarAprMayJunJulAugSepOctNovDec";
    if (rest.size() < 16 || rest[3] != ' ' || rest[6] != ' ' || rest[9] != ':' || rest[12] != ':' ||
        rest[15] != ' ')
        return false;
    const std::size_t month = kMonths.find(rest.substr(0, 3));
    if (month == std::string_view::npos || month % 3 != 0) return false;
    if (!(rest[4] == ' ' || IsDigit(rest[4])) || !IsDigit(rest[5])) return false;
    for (std::size_t i : {7, 8, 10, 11, 13, 14})
        if (!IsDigit(rest[i])) return false;
    m.timestamp.assign(rest.substr(0, 15));
    rest.remove_prefix(16);
    if (!Token(rest, m.host)) {
        m.host.clear();
        m.message.assign(rest); // a timestamp and the content, no host
        m.form = StructuredMessage::Form::Rfc3164;
        return true;
    }
    // TAG: letters, digits and the usual punctuation up to "[pid]:" or ":".
    std::size_t n = 0;
    while (n < rest.size() && n < 48 && rest[n] != ':' && rest[n] != '[' && rest[n] != ' ')
        ++n;
    std::string_view after = rest.substr(n);
    std::string pid;
    if (!after.empty() && after.front() == '[') {
        const std::size_t close = after.find(']');
        if (close != std::string_view::npos && close < 24) {
            pid.assign(after.substr(1, close - 1));
            after.remove_prefix(close + 1);
        }
    }
    if (n > 0 && !after.empty() && after.front() == ':') {
        m.tag.assign(rest.substr(0, n));
        m.pid = std::move(pid);
        after.remove_prefix(1);
        if (!after.empty() && after.front() == ' ') after.remove_prefix(1);
        rest = after;
    }
    m.message.assign(rest);
    m.form = StructuredMessage::Form::Rfc3164;
    return true;
}

} // namespace

StructuredMessage ParseStructured(std::string_view text, bool priorityMissing) {
    StructuredMessage m;
    std::string_view rest = text;
    if (!priorityMissing) {
        // PRI: "<" one to three digits ">"
        std::size_t digits = 0;
        while (1 + digits < rest.size() && digits < 3 && IsDigit(rest[1 + digits]))
            ++digits;
        if (rest.empty() || rest[0] != '<' || digits == 0 || 1 + digits >= rest.size() || rest[1 + digits] != '>')
            return m;
        m.priority.assign(rest.substr(1, digits));
        rest.remove_prefix(digits + 2);
    }
    if (!Rfc5424(rest, m) && !Rfc3164(rest, m)) NotStandard(m, {});
    return m;
}

} // namespace qm
