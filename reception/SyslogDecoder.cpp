#include "reception/SyslogDecoder.h"

#include "settings/unitAdd_Ins.h"

#include <algorithm>

namespace qm {

int FindIdByNumber(const std::vector<IdEntry>& ids, std::string_view number) {
    for (std::size_t i = 0; i < ids.size(); ++i)
        if (SameText(ids[i].IdNumber, number)) return static_cast<int>(i);
    return -1;
}

int FindIdByName(const std::vector<IdEntry>& ids, std::string_view name) {
    for (std::size_t i = 0; i < ids.size(); ++i)
        if (SameText(ids[i].Name, name)) return static_cast<int>(i);
    return -1;
}

void DecodeDatagram(std::string_view datagram, const std::vector<IdEntry>& ids, SyslogMessage& message,
                    std::string& work, bool framed) {
    message.IdName = kUnknownId;
    message.PriText = kUnregistered;
    message.Tag = kUnexpected;

    // The working text: the whole datagram, line feeds shown as dots.
    work.assign(datagram);
    std::replace(work.begin(), work.end(), '\n', '.');
    const std::string_view w(work);
    const std::size_t n = w.size();

    std::string_view scanned;
    if (n >= 1 && w[0] == '<') {
        const std::size_t gt = w.find('>', 1);
        const std::string_view pri = w.substr(1, (gt == std::string_view::npos ? n : gt) - 1);
        if (!Trim(pri).empty()) message.PriText.assign(pri);

        const std::size_t tagStart = gt == std::string_view::npos ? n : gt + 1;
        const std::size_t colon = w.find(':', tagStart);
        const std::string_view tag =
            w.substr(tagStart, (colon == std::string_view::npos ? n : colon) - tagStart);
        if (!Trim(tag).empty()) message.Tag.assign(tag);

        // The last byte of a datagram is taken for its terminator and is never
        // part of the message; a colon among the last two bytes leaves nothing
        // to scan. A framed message has lost its terminator already.
        const std::size_t terminator = framed ? 0 : 1;
        if (colon != std::string_view::npos && colon + 1 + terminator < n)
            scanned = w.substr(colon + 1, n - 1 - terminator - colon);

        const int id = FindIdByNumber(ids, message.PriText);
        if (id >= 0) message.IdName = ids[static_cast<std::size_t>(id)].Name;
    }
    if (!Trim(scanned).empty())
        message.MessageText.assign(scanned);
    else
        message.MessageText.assign(w);
}

} // namespace qm
