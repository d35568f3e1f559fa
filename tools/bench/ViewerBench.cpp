// The log-file viewer on large files: reading a 100 MB day file, sizing its
// columns, a file of bare line feeds, and the properties window on a 1 MB row.
#include "app/unitMsgViewer.h"
#include "reception/LogFileReader.h"
#include "reception/LogFiles.h"
#include "reception/qt/ProcessGrid.h"
#include "reception/qt/TableRowsModel.h"
#include "support/TempDir.h"

#include <QApplication>
#include <QTableView>

#include <benchmark/benchmark.h>

#include <fstream>
#include <sys/resource.h>

using namespace qm;

namespace {

double PeakRssMb() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

double RssMb() {
    std::ifstream statm("/proc/self/statm");
    long pages = 0, resident = 0;
    statm >> pages >> resident;
    return static_cast<double>(resident) * 4096.0 / (1024.0 * 1024.0);
}

// About 100 MB of lines as the program writes them (600,000 lines).
const std::filesystem::path& DayFile() {
    static qmtest::TempDir dir;
    static const std::filesystem::path path = [] {
        const auto p = dir / "20261207-Router.log";
        std::ofstream out(p, std::ios::binary);
        std::size_t size = 0;
        std::string line;
        for (int i = 0; size < 100u * 1000 * 1000; ++i) {
            line = "07.12.26 21:12:19";
            for (const std::string& f :
                 {std::string(i % 7 ? "edge-router" : "Köln-gw"),
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
        return p;
    }();
    return path;
}

const std::filesystem::path& LineFeedFile() {
    static qmtest::TempDir dir;
    static const std::filesystem::path path = [] {
        const auto p = dir / "feeds.log";
        std::ofstream out(p, std::ios::binary);
        const std::string block(1 << 20, '\n');
        for (int i = 0; i < 100; ++i)
            out << block;
        return p;
    }();
    return path;
}

void BM_ViewerRead100MB(benchmark::State& state) {
    const double before = RssMb();
    int rows = 0;
    for (auto _ : state) {
        LogFileContent content;
        if (!content.Load(DayFile().string())) state.SkipWithError("load failed");
        rows = content.RowCount();
        benchmark::DoNotOptimize(content.Cell(rows - 1, 2).data());
    }
    state.counters["lines"] = rows;
    state.counters["peak_RSS_MB"] = PeakRssMb();
    state.counters["idle_RSS_MB"] = before;
}
BENCHMARK(BM_ViewerRead100MB)->Unit(benchmark::kMillisecond)->Iterations(3);

// Reading and sizing every column to its widest text, as Open Log-file does
// with AutoSizeGrid on.
void BM_ViewerOpenAutoSized100MB(benchmark::State& state) {
    QTableView view;
    SetupGrid(&view, true);
    LogViewerModel model;
    view.setModel(&model);
    int width = 0;
    for (auto _ : state) {
        LogFileContent content;
        if (!content.Load(DayFile().string())) state.SkipWithError("load failed");
        model.SetContent(std::move(content));
        AutoSizeColumns(&view);
        width = view.columnWidth(ColMessage);
        state.PauseTiming();
        model.Clear();
        state.ResumeTiming();
    }
    state.counters["message_width"] = width;
}
BENCHMARK(BM_ViewerOpenAutoSized100MB)->Unit(benchmark::kMillisecond)->Iterations(1);

void BM_ViewerLineFeeds100MB(benchmark::State& state) {
    LogViewerModel model;
    const double before = RssMb();
    double loaded = 0;
    int rows = 0;
    for (auto _ : state) {
        LogFileContent content;
        if (!content.Load(LineFeedFile().string())) state.SkipWithError("load failed");
        model.SetContent(std::move(content));
        rows = model.RecordCount();
        loaded = RssMb();
        state.PauseTiming();
        model.Clear();
        state.ResumeTiming();
    }
    state.counters["lines"] = rows;
    state.counters["loaded_MB_over_idle"] = loaded - before;
    state.counters["cleared_MB_over_idle"] = RssMb() - before;
}
BENCHMARK(BM_ViewerLineFeeds100MB)->Unit(benchmark::kMillisecond)->Iterations(1);

// Message properties on a row whose message is 1 MB, until it is painted.
void BM_PropertiesWindow1MBRow(benchmark::State& state) {
    qmtest::TempDir dir;
    std::string line = "07.12.26 21:12:19";
    for (const std::string& f : {std::string("edge"), std::string(), std::string("Router"), std::string("tag"),
                                 std::string("16 (LOCAL0)/6"), std::string("51514"), std::string("255"),
                                 std::string("0")})
        line += kLogFieldSeparator + f;
    std::string message;
    for (int i = 0; message.size() < 1000000; ++i)
        message += "word" + std::to_string(i);
    line.insert(line.find(kLogFieldSeparator, 18) + 1, message);
    LogFileContent content;
    content.Parse(line + "\r\n");
    LogViewerModel model;
    model.SetContent(std::move(content));
    for (auto _ : state) {
        TfrmMessageViewer window;
        window.ShowRow(model, 0);
        window.show();
        window.grab(); // laid out and painted
    }
}
BENCHMARK(BM_PropertiesWindow1MBRow)->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
