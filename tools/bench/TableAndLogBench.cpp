// Adding a row with its trim at two limits (the cost must not grow with the
// limit), and one log append (open, write, close).
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

void BM_LogAppend(benchmark::State& state) {
    qmtest::TempDir dir;
    Options options;
    options.General.LogDir = dir.Path().string();
    options.IdList = {{"1", "Router", "Yes", "", "255", "No", "Yes"}};
    qmtest::FakeClock clock;
    clock.time = {2026, 12, 7, 21, 12, 19};
    LogWriter writer(options, clock);
    writer.PrepareDayFiles(true);
    const SyslogMessage m = Typical();
    std::string failure;
    for (auto _ : state) {
        if (writer.AppendMessage(m, failure) != MessageLog::Appended::Written)
            state.SkipWithError(failure.c_str());
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_LogAppend);

} // namespace
