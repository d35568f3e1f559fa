// A day-file line as the program writes it: the nine fields in the order of
// the columns, 0xB6 between them, CR LF at the end. Fields left out hold
// what a line of ID entry "Router" from 10.0.0.9 holds.
#pragma once

#include "reception/Columns.h"
#include "reception/LogFiles.h"

#include <array>
#include <string>

namespace qmtest {

struct LineFields {
    std::string stamp = "06.12.26 21:12:10";
    std::string sender = "10.0.0.9";
    std::string message;
    std::string name = "Router";
    std::string tag = "app";
    std::string sourceLevel = "1 (USER)/5";
    std::string port = "514";
    std::string idColour = "255";
    std::string tokenColour = "0";
};

inline std::string DayFileLine(const LineFields& f) {
    std::array<std::string, qm::kColumnCount> fields;
    fields[qm::ColDate] = f.stamp;
    fields[qm::ColAliasIp] = f.sender;
    fields[qm::ColMessage] = f.message;
    fields[qm::ColName] = f.name;
    fields[qm::ColTag] = f.tag;
    fields[qm::ColSourceLevel] = f.sourceLevel;
    fields[qm::ColPort] = f.port;
    fields[qm::ColIdColour] = f.idColour;
    fields[qm::ColTokenColour] = f.tokenColour;
    std::string line = fields[0];
    for (std::size_t c = 1; c < fields.size(); ++c)
        line += qm::kLogFieldSeparator + fields[c];
    return line + "\r\n";
}

} // namespace qmtest
