// Test doubles for the core's interfaces.
#pragma once

#include "support/FakeClock.h"
#include "reception/ReceptionHandler.h"

#include <string>
#include <vector>

namespace qmtest {

// Records what would have been logged; can be told to fail.
class RecordingLog : public qm::MessageLog {
public:
    std::vector<qm::SyslogMessage> lines;
    Appended next = Appended::Written;
    std::string failureText = "File not found";

    Appended AppendMessage(const qm::SyslogMessage& message, std::string& failure) override {
        if (next == Appended::Failed) failure = failureText;
        if (next == Appended::Written) lines.push_back(message);
        return next;
    }
};

} // namespace qmtest
