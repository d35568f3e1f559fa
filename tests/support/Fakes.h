// Test doubles for the core's interfaces.
#pragma once

#include "platform/DayFiles.h"
#include "settings/Options.h"
#include "support/FakeClock.h"

#include <map>
#include <optional>
#include <string>

namespace qmtest {

// An ID entry that listens and pops up, without a token: most tests need no other.
inline qm::IdEntry ListeningId(std::string number, std::string name, std::string color = "") {
    return {.IdNumber = std::move(number),
            .Name = std::move(name),
            .Listen = "Yes",
            .Token = "",
            .Color = std::move(color),
            .UseToken = "No",
            .Popup = "Yes"};
}

// The system's day files, with every open counted, and a write that can be
// cut short as a full disk cuts it.
class CountingDayFiles : public qm::DayFileSystem {
public:
    std::map<std::string, int> opens; // by path
    // The next write stops after this many bytes and fails.
    std::optional<std::size_t> shortWriteAfter;
    // From the short write on, every write fails (the disk stays full).
    bool staysFull = false;

    int Opens() const {
        int n = 0;
        for (const auto& [path, count] : opens)
            n += count;
        return n;
    }

    qm::Result MakeFolder(const std::string& path) override { return real_.MakeFolder(path); }
    void CreateIfMissing(const std::string& path) override { real_.CreateIfMissing(path); }
    qm::Result Open(const std::string& path) override {
        ++opens[path];
        return real_.Open(path);
    }
    qm::Result Write(std::string_view bytes, std::size_t& written) override {
        if (full_) {
            written = 0;
            return qm::Result::Failed("I/O error 28");
        }
        if (!shortWriteAfter || *shortWriteAfter >= bytes.size()) return real_.Write(bytes, written);
        const qm::Result r = real_.Write(bytes.substr(0, *shortWriteAfter), written);
        shortWriteAfter.reset();
        full_ = staysFull;
        return r ? qm::Result::Failed("I/O error 28") : r;
    }
    void CutBack(std::size_t bytes) override { real_.CutBack(bytes); }
    void Close() override { real_.Close(); }

private:
    qm::SystemDayFiles real_;
    bool full_ = false;
};

} // namespace qmtest
