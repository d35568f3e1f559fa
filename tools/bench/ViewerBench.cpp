// The log-file viewer on large files: reading a 100 MB day file, opening it
// with its columns sized, 100 MB files of every shape (line feeds, short
// lines, no line end, 1 MB lines, binary bytes), and the properties window on
// a 1 MB row.
#include "app/unitMsgViewer.h"
#include "platform/FreeMemory.h"
#include "reception/LogFileReader.h"
#include "reception/LogFiles.h"
#include "reception/qt/LogFileLoad.h"
#include "reception/qt/ProcessGrid.h"
#include "reception/qt/TableRowsModel.h"
#include "reception/qt/TableFind.h"
#include "support/TempDir.h"

#include <QApplication>
#include <QEventLoop>
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
    static const std::filesystem::path kPath = [] {
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
    return kPath;
}

void BM_ViewerRead100MB(benchmark::State& state) {
    const double before = RssMb();
    int rows = 0;
    for (auto _ : state) {
        LogFileContent content;
        if (content.Load(DayFile().string()) != LogFileContent::End::Loaded) state.SkipWithError("load failed");
        rows = content.RowCount();
        benchmark::DoNotOptimize(content.Cell(rows - 1, 2).data());
    }
    state.counters["lines"] = rows;
    state.counters["peak_RSS_MB"] = PeakRssMb();
    state.counters["idle_RSS_MB"] = before;
}
BENCHMARK(BM_ViewerRead100MB)->Unit(benchmark::kMillisecond)->Iterations(3);

// Opens `path` as Open Log-file does (read off the thread, columns
// measured), until the table could be shown.
LogFileContent::End OpenAsTheViewerDoes(const std::string& path, QTableView& view, LogViewerModel& model) {
    LogFileLoad load(path, view.font());
    QEventLoop wait;
    QObject::connect(&load, &LogFileLoad::Finished, &wait, &QEventLoop::quit);
    load.Start();
    wait.exec();
    if (load.End() == LogFileContent::End::Loaded) {
        model.SetContent(load.TakeContent());
        for (int c = 0; c < kViewerColumns; ++c)
            view.setColumnWidth(c, ColumnWidthFor(&view, c, load.Widest()[static_cast<std::size_t>(c)]));
    }
    ReturnFreeMemory();
    return load.End();
}

// What a full measurement of every shown cell gives, as a check.
bool WidthsAreExact(QTableView& view, const LogViewerModel& model) {
    const QFontMetrics metrics(view.font());
    for (int c = 0; c < kViewerColumns; ++c) {
        int widest = 0;
        for (int r = 0; r < model.rowCount(); ++r)
            widest = std::max(widest, metrics.horizontalAdvance(model.index(r, c).data().toString()));
        if (view.columnWidth(c) != ColumnWidthFor(&view, c, widest)) return false;
    }
    return true;
}

void BM_ViewerOpenAutoSized100MB(benchmark::State& state) {
    QTableView view;
    SetupGrid(&view, true);
    LogViewerModel model;
    view.setModel(&model);
    for (auto _ : state) {
        if (OpenAsTheViewerDoes(DayFile().string(), view, model) != LogFileContent::End::Loaded)
            state.SkipWithError("load failed");
    }
    state.counters["lines"] = model.RecordCount();
    state.counters["message_width"] = view.columnWidth(ColMessage);
    state.counters["widths_exact"] = WidthsAreExact(view, model);
}
BENCHMARK(BM_ViewerOpenAutoSized100MB)->Unit(benchmark::kMillisecond)->Iterations(1);

// Find through the 100 MB file: a text in no cell (every cell read once,
// the worst case) and one in the last line only, case folded.
void BM_ViewerFind100MB(benchmark::State& state) {
    LogViewerModel model;
    LogFileContent content;
    if (content.Load(DayFile().string()) != LogFileContent::End::Loaded) state.SkipWithError("load failed");
    model.SetContent(std::move(content));
    const TextMatcher matcher(state.range(0) ? QString("SEQ %1").arg(model.RecordCount() - 1) : QString("no such text"),
                              false);
    FoundCell found;
    for (auto _ : state)
        found = FindCell(model, matcher, -1, 0, true);
    state.counters["lines"] = model.RecordCount();
    state.counters["found_row"] = found.row;
}
BENCHMARK(BM_ViewerFind100MB)->ArgName("in_last_line")->DenseRange(0, 1)->Unit(benchmark::kMillisecond)->Iterations(3);

// 100 MB files of every shape: memory while shown (against the file's size
// plus 16 bytes a line) and after Clear, both above the idle program.
enum class Shape { LineFeeds, ShortLines, NoLineEnd, MegabyteLines, Binary };

std::filesystem::path ShapedFile(const qmtest::TempDir& dir, Shape shape) {
    const auto p = dir / "shaped.log";
    std::ofstream out(p, std::ios::binary);
    std::string block(1 << 20, '\n');
    unsigned seed = 1;
    for (std::size_t i = 0; i < block.size(); ++i) {
        switch (shape) {
        case Shape::LineFeeds:
            break;
        case Shape::ShortLines: // 17.5 million lines of five bytes, under the viewer's limit
            block[i] = i % 6 == 5 ? '\n' : 'x';
            break;
        case Shape::NoLineEnd:
            block[i] = 'x';
            break;
        case Shape::MegabyteLines:
            block[i] = i + 1 == block.size() ? '\n' : 'x';
            break;
        case Shape::Binary:
            seed = seed * 1103515245 + 12345;
            block[i] = static_cast<char>(seed >> 16);
            break;
        }
    }
    for (int i = 0; i < 100; ++i)
        out << block;
    return p;
}

void BM_ViewerShapes100MB(benchmark::State& state) {
    const auto shape = static_cast<Shape>(state.range(0));
    qmtest::TempDir dir;
    const auto path = ShapedFile(dir, shape);
    const double fileMb = static_cast<double>(std::filesystem::file_size(path)) / (1024.0 * 1024.0);
    QTableView view;
    SetupGrid(&view, true);
    LogViewerModel model;
    view.setModel(&model);
    // The idle program has opened this file once: the fonts its text needs
    // stay loaded, whatever file comes next.
    OpenAsTheViewerDoes(path.string(), view, model);
    model.Clear();
    ReleaseRowStorage(&view);
    ReturnFreeMemory();
    const double idle = RssMb();
    double shown = 0;
    double lines = 0;
    LogFileContent::End end{};
    for (auto _ : state) {
        end = OpenAsTheViewerDoes(path.string(), view, model);
        state.PauseTiming();
        shown = RssMb();
        lines = model.RecordCount();
        model.Clear();
        ReleaseRowStorage(&view);
        ReturnFreeMemory();
        state.ResumeTiming();
    }
    state.counters["lines"] = lines;
    state.counters["refused"] = end != LogFileContent::End::Loaded;
    state.counters["shown_MB_over_idle"] = shown - idle;
    state.counters["allowed_MB"] = fileMb + 16.0 * lines / (1024.0 * 1024.0);
    state.counters["cleared_MB_over_idle"] = RssMb() - idle;
}
BENCHMARK(BM_ViewerShapes100MB)->ArgName("shape")->DenseRange(0, 4)->Unit(benchmark::kMillisecond)->Iterations(1);

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
