// Adding a row with its trim at two limits (the cost must not grow with the
// limit), and log appends in runs.
#include "support/Fakes.h"
#include "reception/LogFiles.h"
#include "reception/ProcessTable.h"
#include "support/TempDir.h"

#include <benchmark/benchmark.h>

using namespace qm;

namespace {

SyslogMessage Typical() {
    SyslogMessage m;
    m.Stamp = "07.12.26 21:12:19";
    m.SenderText = "edge-router";
    m.MessageText = " [UFW BLOCK] IN=eth0 OUT= SRC=203.0.113.7 DST=198.51.100.20 LEN=60 PROTO=TCP DPT=22 SYN";
    m.IdName = "Router";
    m.Tag = "Dec  7 21";
    m.SourceLevel = "16 (LOCAL0)/6";
    m.SenderPort = 51514;
    m.IdColour = "255";
    m.TokenColour = "0";
    m.LogDay = "20261207";
    return m;
}

void BM_AddAndTrim(benchmark::State& state) {
    const int limit = static_cast<int>(state.range(0));
    ProcessTable table;
    const SyslogMessage m = Typical();
    for (int i = 0; i < limit; ++i) {
        table.AddRow(m);
        table.TrimProcessTable(limit);
    }
    for (auto _ : state) {
        table.AddRow(m);
        table.TrimProcessTable(limit);
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_AddAndTrim)->Arg(1000)->Arg(9999);

// Log appends in runs of range(0) lines over range(1) day files: a run of
// one is the defined one open, write and close per message.
void BM_LogAppend(benchmark::State& state) {
    const auto run = static_cast<int>(state.range(0));
    const auto fileCount = static_cast<int>(state.range(1));
    qmtest::TempDir dir;
    Options options;
    options.General.LogDir = dir.Path().string();
    for (int i = 0; i < fileCount; ++i)
        options.IdList.push_back({.IdNumber = std::to_string(i),
                                  .Name = "Router" + std::to_string(i),
                                  .Listen = "Yes",
                                  .Token = "",
                                  .Color = "255",
                                  .UseToken = "No",
                                  .Popup = "Yes"});
    qmtest::FakeClock clock;
    clock.time = {2026, 12, 7, 21, 12, 19};
    SystemDayFiles files;
    LogWriter writer(options, clock, files);
    writer.PrepareDayFiles(true);
    std::vector<SyslogMessage> messages(static_cast<std::size_t>(fileCount), Typical());
    for (int i = 0; i < fileCount; ++i)
        messages[static_cast<std::size_t>(i)].IdName = "Router" + std::to_string(i);
    for (auto _ : state) {
        writer.StartRun();
        for (int i = 0; i < run; ++i)
            writer.Collect(messages[static_cast<std::size_t>(i % fileCount)]);
        writer.WriteRun();
        if (writer.State(run - 1) != LogWriter::LineState::Written) state.SkipWithError("not written");
    }
    state.SetItemsProcessed(state.iterations() * run);
}
BENCHMARK(BM_LogAppend)->Args({1, 1})->Args({64, 1})->Args({1024, 1})->Args({64, 10})->Args({1024, 10});

} // namespace
