// Test doubles for the core's interfaces.
#pragma once

#include "Clock.h"
#include "ReceptionHandler.h"

#include <string>
#include <vector>

namespace qmtest {

class FakeClock : public qm::Clock {
public:
    qm::DateTime time{2026, 12, 6, 21, 12, 19};
    qm::DateTime now() const override { return time; }
};

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
