#include "FuzzTargets.h"

#include "platform/KeyStore.h"
#include "platform/net/TcpFraming.h"
#include "platform/net/TcpStreamBuffer.h"
#include "reception/Classification.h"
#include "reception/LogFileReader.h"
#include "reception/LogFiles.h"
#include "reception/StructuredSyslog.h"
#include "reception/SyslogDecoder.h"
#include "settings/ListRow.h"
#include "settings/RegFile.h"

#include <algorithm>
#include <cstring>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace qmfuzz {

namespace {

void Check(bool ok, const char* what) {
    if (ok) return;
    std::fprintf(stderr, "invariant broken: %s\n", what);
    std::abort();
}

qm::Options Lists() {
    qm::Options o;
    o.IdList = {{.IdNumber = "13",
                 .Name = "Router",
                 .Listen = "Yes",
                 .Token = "fail",
                 .Color = "255",
                 .UseToken = "Yes",
                 .Popup = "Yes"},
                {.IdNumber = "5",
                 .Name = "NOTICE",
                 .Listen = "No",
                 .Token = "",
                 .Color = "16711680",
                 .UseToken = "No",
                 .Popup = "Yes"},
                {.IdNumber = "abc",
                 .Name = "Odd",
                 .Listen = "Yes",
                 .Token = "",
                 .Color = "1",
                 .UseToken = "No",
                 .Popup = "Yes"},
                {.IdNumber = "191",
                 .Name = "../up",
                 .Listen = "Yes",
                 .Token = "",
                 .Color = "x",
                 .UseToken = "No",
                 .Popup = "Yes"}};
    o.IpList = {{.Address = "127.0.0.1", .Name = "Local", .Listen = "Yes"},
                {.Address = "10.0.0.1", .Name = "Core", .Listen = "No"}};
    o.TokenList = {{.Token = "disk", .UseToken = "Yes", .Color = "65280", .Popup = "No"},
                   {.Token = "\xB6", .UseToken = "Yes", .Color = "1", .Popup = "No"},
                   {.Token = "", .UseToken = "Yes", .Color = "2", .Popup = "No"}};
    o.General.FilterIpFirst = true;
    return o;
}

} // namespace

void FuzzDatagram(const std::uint8_t* data, std::size_t size) {
    static const qm::Options kOptions = Lists();
    const std::string datagram(reinterpret_cast<const char*>(data), size);
    std::string dotted = datagram;
    for (char& c : dotted)
        if (c == '\n') c = '.';
    qm::SyslogMessage m;
    std::string work;
    qm::DecodeDatagram(datagram, kOptions.IdList, m, work);
    // Every field decoded from the bytes is a piece of them.
    Check(dotted.find(m.MessageText) != std::string::npos, "message inside the datagram");
    Check(m.Tag == qm::kUnexpected || dotted.find(m.Tag) != std::string::npos, "tag inside the datagram");
    Check(m.PriText == qm::kUnregistered || dotted.find(m.PriText) != std::string::npos, "priority inside");
    // The structured view's parser: the message it finds is a piece of the datagram.
    for (const bool priorityMissing : {false, true}) {
        const qm::StructuredMessage s = qm::ParseStructured(datagram, priorityMissing);
        Check(s.form == qm::StructuredMessage::Form::None || datagram.find(s.message) != std::string::npos,
              "structured message inside the datagram");
    }

    qm::Classification c;
    if (const qm::Result classified = qm::ClassifyMessage(kOptions, m, "127.0.0.1", c); !classified) {
        Check(!classified.error.empty(), "a failure has a text");
        return;
    }
    Check(c.idIndex < static_cast<int>(kOptions.IdList.size()), "ID index in range");
    m.Stamp = "07.12.26 21:12:19";
    std::string line;
    qm::BuildLogLine(m, line);
    std::size_t separators = 0;
    for (char ch : line)
        separators += ch == qm::kLogFieldSeparator;
    Check(separators >= 8, "a log line has eight separators at least");
    Check(line.size() >= 2 && line.compare(line.size() - 2, 2, "\r\n") == 0, "a log line ends with CR LF");
}

void FuzzListRow(const std::uint8_t* data, std::size_t size) {
    const std::string row(reinterpret_cast<const char*>(data), size);
    const std::vector<std::string> fields = qm::SplitListRow(row);
    for (const std::string& f : fields)
        Check(f.find('\0') == std::string::npos, "no NUL in a field");
    // Written and split again, the same fields.
    Check(qm::SplitListRow(qm::JoinListRow(fields)) == fields, "ListRow round trip");
}

namespace {

// A key store in memory, enough for the registry-file reader.
class MemoryStore : public qm::KeyStore {
public:
    std::map<std::string, std::map<std::string, qm::RegValue>> keys;
    void Begin(Access) override {}
    void Commit() override {}
    void Rollback() override {}
    bool KeyExists(const std::string& key) override { return keys.count(qm::FoldCase(key)) > 0; }
    void CreateKey(const std::string& key) override { keys[qm::FoldCase(key)]; }
    void DeleteTree(const std::string& key) override {
        const std::string k = qm::FoldCase(key);
        for (auto it = keys.begin(); it != keys.end();)
            it = it->first == k || it->first.rfind(k + "\\", 0) == 0 ? keys.erase(it) : std::next(it);
    }
    std::vector<std::string> SubKeys(const std::string&) override { return {}; }
    std::vector<std::string> ValueNames(const std::string& key) override {
        std::vector<std::string> names;
        for (const auto& [name, v] : keys[qm::FoldCase(key)])
            names.push_back(v.name);
        return names;
    }
    std::optional<qm::RegValue> ReadValue(const std::string& key, const std::string& name) override {
        auto& values = keys[qm::FoldCase(key)];
        const auto it = values.find(qm::FoldCase(name));
        if (it == values.end()) return std::nullopt;
        return it->second;
    }
    void WriteText(const std::string& key, const std::string& name, const std::string& text) override {
        keys[qm::FoldCase(key)][qm::FoldCase(name)] = {name, qm::ValueType::Text, text, 0};
    }
    void WriteDword(const std::string& key, const std::string& name, std::uint32_t number) override {
        keys[qm::FoldCase(key)][qm::FoldCase(name)] = {name, qm::ValueType::Dword, {}, number};
    }
    void DeleteValue(const std::string& key, const std::string& name) override {
        keys[qm::FoldCase(key)].erase(qm::FoldCase(name));
    }
};

} // namespace

void FuzzRegFile(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    std::vector<qm::RegChange> changes;
    const qm::Result parsed = qm::ParseRegFile(text, changes);
    Check(parsed.ok || !parsed.error.empty(), "a refusal names its reason");
    Check(parsed.ok || changes.empty(), "nothing applies from a refused file");
    if (!parsed.ok) return;
    MemoryStore store;
    qm::ApplyRegChanges(store, changes);
    // Each text value, written back in the file's own escaping, reads the same.
    for (const qm::RegChange& c : changes) {
        if (c.kind != qm::RegChange::Kind::SetText) continue;
        const std::string again = "REGEDIT4\n[HKCU\\K]\n\"" + qm::EscapeRegText(c.name) + "\"=\"" +
                                  qm::EscapeRegText(c.text) + "\"\n";
        std::vector<qm::RegChange> back;
        const qm::Result reread = qm::ParseRegFile(again, back);
        if (c.name.find_first_of("\r\n") != std::string::npos ||
            c.text.find_first_of("\r\n") != std::string::npos)
            continue; // a line break cannot stand inside one line
        Check(reread.ok && back.size() == 2 && back[1].name == c.name && back[1].text == c.text,
              "registry text escaping round trip");
    }
}

void FuzzViewer(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    qm::LogFileContent content;
    Check(content.Parse(bytes) == qm::LogFileContent::End::Loaded, "every file of bytes loads");
    Check(static_cast<std::size_t>(content.RowCount()) <= bytes.size(), "no more rows than bytes");
    std::size_t shown = 0; // every byte but the line breaks is in some line
    for (int r = 0; r < content.RowCount(); ++r) {
        shown += content.Line(r).size();
        Check(content.Line(r).find_first_of("\r\n") == std::string_view::npos, "a line holds no break");
        for (int c = 0; c < qm::kViewerColumns; ++c) {
            const std::string_view cell = content.Cell(r, c);
            Check(cell.empty() ||
                      (cell.data() >= content.Line(r).data() &&
                       cell.data() + cell.size() <= content.Line(r).data() + content.Line(r).size()),
                  "a cell lies within its line");
            Check(cell.empty() || (static_cast<unsigned char>(cell.front()) > 32 &&
                                   static_cast<unsigned char>(cell.back()) > 32),
                  "cells are trimmed");
        }
    }
    Check(shown ==
              static_cast<std::size_t>(size - std::count_if(bytes.begin(), bytes.end(),
                                                            [](char b) { return b == '\r' || b == '\n'; })),
          "nothing but line breaks is left out");
}

namespace {

struct Framed {
    std::vector<std::string> messages;
    int cuts = 0;
    bool operator==(const Framed&) const = default;
};

// One connection's stream through the reader's own buffer: read in chunks of
// the given sizes, handed to a queue that refuses every `refuseEvery`-th
// message (0: none) and takes it when asked again, then closed.
Framed Frame(std::string_view stream, const std::vector<std::size_t>& chunks, std::size_t refuseEvery = 0) {
    Framed out;
    qm::TcpStreamBuffer buffer;
    std::size_t fed = 0, chunk = 0, offered = 0;
    const auto push = [&](std::string_view message, bool cut) {
        if (refuseEvery > 0 && ++offered % refuseEvery == 0) return false;
        Check(message.size() <= qm::TcpFramer::kMaxMessage, "no message past the longest");
        out.messages.emplace_back(message);
        out.cuts += cut ? 1 : 0;
        return true;
    };
    const auto deliver = [&] {
        // A refused message comes again, whole, once the queue has room.
        for (int tries = 0; buffer.Deliver(push).refused; ++tries)
            Check(tries < 2, "a refused message is taken when asked again");
        Check(buffer.SpaceBytes() > 0, "a connection the queue took all from always has room to read");
    };
    while (fed < stream.size()) {
        char* space = buffer.Space();
        const std::size_t take = std::min({chunks[chunk++ % chunks.size()], buffer.SpaceBytes(), stream.size() - fed});
        std::memcpy(space, stream.data() + fed, take);
        buffer.Filled(take);
        fed += take;
        deliver();
    }
    buffer.Close();
    deliver();
    Check(buffer.Finished(), "a closed stream is consumed to its end");
    return out;
}

} // namespace

// The first bytes choose how the stream arrives; the same messages come out
// however it is cut into reads.
void FuzzTcpFraming(const std::uint8_t* data, std::size_t size) {
    const std::size_t shapeBytes = std::min<std::size_t>(size, 4);
    std::vector<std::size_t> chunks;
    for (std::size_t i = 0; i < shapeBytes; ++i)
        chunks.push_back(std::size_t{data[i]} % 17 + 1);
    const std::string_view stream(reinterpret_cast<const char*>(data) + shapeBytes, size - shapeBytes);
    const Framed whole = Frame(stream, {qm::TcpFramer::kBufferBytes});
    if (!chunks.empty()) {
        Check(Frame(stream, chunks) == whole, "the same messages however the stream is read");
        Check(Frame(stream, chunks, chunks[0] % 3 + 2) == whole, "the same messages when the queue refuses some");
    }
    Check(Frame(stream, {1}) == whole, "the same messages read byte by byte");
}

} // namespace qmfuzz
