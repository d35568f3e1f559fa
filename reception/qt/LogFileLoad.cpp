#include "reception/qt/LogFileLoad.h"

#include <QElapsedTimer>
#include <QTimer>

namespace qm {

namespace {

// Reading and indexing take this share of the progress when the columns are
// measured afterwards.
constexpr int kReadShare = 80;
constexpr int kSliceMs = 8;
constexpr int kRowsPerCheck = 2048;

} // namespace

LogFileLoad::LogFileLoad(std::string path, std::optional<QFont> measureWith, QObject* parent)
    : QObject(parent), path_(std::move(path)), font_(std::move(measureWith)) {}

LogFileLoad::~LogFileLoad() {
    cancel_ = true;
    if (reader_.joinable()) reader_.join();
}

void LogFileLoad::Start() {
    reader_ = std::thread([this] { Read(); });
}

void LogFileLoad::Cancel() {
    cancel_ = true;
}

void LogFileLoad::Report(int percent) {
    if (percent_.exchange(percent) == percent) return;
    QMetaObject::invokeMethod(this, [this, percent] { emit ProgressChanged(percent); }, Qt::QueuedConnection);
}

// On the reading thread: nothing here touches the window.
void LogFileLoad::Read() {
    const int share = font_ ? kReadShare : 100;
    const LogFileContent::End end = content_.Load(path_, [this, share](std::uint64_t done, std::uint64_t total) {
        Report(total ? static_cast<int>(done * static_cast<std::uint64_t>(share) / total) : share);
        return !cancel_.load();
    });
    QMetaObject::invokeMethod(
        this,
        [this, end] {
            reader_.join();
            linesFound_ = content_.LinesFound();
            if (end != LogFileContent::End::Loaded || !font_ || cancel_) {
                Finish(cancel_ ? LogFileContent::End::Cancelled : end);
                return;
            }
            widths_ = std::make_unique<CellTextWidths>(*font_);
            slices_ = new QTimer(this);
            connect(slices_, &QTimer::timeout, this, &LogFileLoad::MeasureSlice);
            slices_->start(0);
        },
        Qt::QueuedConnection);
}

// On the window's thread, a few milliseconds at a time, so datagrams and the
// Cancel button are served between slices.
void LogFileLoad::MeasureSlice() {
    if (cancel_) {
        Finish(LogFileContent::End::Cancelled);
        return;
    }
    QElapsedTimer clock;
    clock.start();
    const int rows = content_.RowCount();
    int split = -1;
    std::array<std::string_view, kViewerColumns> fields{};
    const auto cell = [&](int row, int column) {
        if (row != split) {
            fields = content_.Fields(row);
            split = row;
        }
        return fields[static_cast<std::size_t>(column)];
    };
    while (measuredRows_ < rows && clock.elapsed() < kSliceMs) {
        const int to = std::min(rows, measuredRows_ + kRowsPerCheck);
        WidenToTexts(widest_, measuredRows_, to, cell, *widths_);
        measuredRows_ = to;
    }
    Report(kReadShare + static_cast<int>(static_cast<qint64>(measuredRows_) * (100 - kReadShare) / std::max(rows, 1)));
    if (measuredRows_ == rows) Finish(LogFileContent::End::Loaded);
}

void LogFileLoad::Finish(LogFileContent::End end) {
    if (slices_) slices_->stop();
    widths_.reset(); // its tables are not needed any more
    end_ = end;
    if (end != LogFileContent::End::Loaded) content_.Clear();
    emit Finished();
}

} // namespace qm
