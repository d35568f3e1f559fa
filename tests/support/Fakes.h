// Test doubles for the core's interfaces.
#pragma once

#include "FakeClock.h"
#include "ReceptionHandler.h"

#include <string>
#include <vector>

namespace qmtest {

// Records what would have been logged; can be told to fail.
class RecordingLog : public qm::MessageLog {
public:
    std::vector<qm::SyslogMessage> lines;
    Result next = Result::Written;
    std::string failureText = "File not found";

    Result AppendMessage(const qm::SyslogMessage& message, std::string& failure) override {
        if (next == Result::Failed) failure = failureText;
        if (next == Result::Written) lines.push_back(message);
        return next;
    }
};

} // namespace qmtest
