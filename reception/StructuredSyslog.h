// The fields of a message in one of the standard forms (RFC 5424, or the
// BSD form of RFC 3164), parsed for display only: the table, the log files and
// the filters keep the program's own loose decoding.
#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace qm {

struct SdElement {
    std::string id;
    std::vector<std::pair<std::string, std::string>> params; // values unescaped
};

struct StructuredMessage {
    enum class Form { None, Rfc5424, Rfc3164 };
    Form form = Form::None;
    std::string priority; // the number, empty when there was none
    // RFC 5424 ("-" where the sender had no value)
    std::string version, timestamp, host, appName, procId, msgId;
    std::vector<SdElement> data;
    // RFC 3164 (timestamp and host above)
    std::string tag, pid;
    std::string message;
    // With Form::None: why the text is in neither form (empty when it does
    // not look like one at all).
    std::string problem;
};

// `text`: a datagram as it came, or (`priorityMissing`) what is left of one
// without its priority, as a log file keeps it.
StructuredMessage ParseStructured(std::string_view text, bool priorityMissing = false);

} // namespace qm
