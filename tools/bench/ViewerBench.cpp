// Loading a 100 MB log file (about 500,000 lines) into the viewer's rows.
#include "reception/LogFileReader.h"
#include "reception/LogFiles.h"
#include "support/TempDir.h"

#include <benchmark/benchmark.h>

#include <fstream>
#include <sys/resource.h>

using namespace qm;

namespace {

void BM_ViewerLoad100MB(benchmark::State& state) {
    qmtest::TempDir dir;
    const auto path = dir / "20261207-Router.log";
    std::size_t size = 0;
    {
        std::ofstream out(path, std::ios::binary);
        std::string line;
        for (int i = 0; size < 100u * 1000 * 1000; ++i) {
            line = "07.12.26 21:12:19";
            for (const std::string& f :
                 {std::string("edge-router"),
                  " [UFW BLOCK] IN=eth0 OUT= SRC=203.0.113." + std::to_string(i % 250) +
                      " DST=198.51.100.20 LEN=60 PROTO=TCP DPT=22 SYN seq " + std::to_string(i),
                  std::string("Router"), std::string("Dec  7 21"), std::string("16 (LOCAL0)/6"),
                  std::string("51514"), std::string("255"), std::string("0")}) {
                line += kLogFieldSeparator;
                line += f;
            }
            line += "\r\n";
            out << line;
            size += line.size();
        }
    }
    int rows = 0;
    for (auto _ : state) {
        LogFileContent content;
        if (!content.Load(path.string())) state.SkipWithError("load failed");
        rows = content.RowCount();
        benchmark::DoNotOptimize(content.Cell(rows - 1, 2).data());
    }
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    state.counters["lines"] = rows;
    state.counters["file_MB"] = static_cast<double>(size) / 1e6;
    state.counters["peak_RSS_MB"] = static_cast<double>(usage.ru_maxrss) / 1024.0;
}
BENCHMARK(BM_ViewerLoad100MB)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace
