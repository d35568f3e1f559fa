// Opening a log file for the viewer without holding the window up: the file
// is read and its lines indexed on a thread of their own, then (when the
// columns are sized to their texts) measured on the window's thread in short
// slices. Progress is reported as it goes, and the load can be cancelled.
#pragma once

#include "reception/LogFileReader.h"
#include "reception/qt/CellText.h"

#include <QFont>
#include <QObject>

#include <array>
#include <atomic>
#include <memory>
#include <optional>
#include <thread>

class QTimer;

namespace qm {

class LogFileLoad : public QObject {
    Q_OBJECT
public:
    // `measureWith`: the cell font when the widest text of each column is
    // wanted, none otherwise.
    LogFileLoad(std::string path, std::optional<QFont> measureWith, QObject* parent = nullptr);
    // Cancels, and waits for the reading thread.
    ~LogFileLoad() override;

    void Start();
    // Stops as soon as the work in hand allows; Finished follows with Cancelled.
    void Cancel();

    LogFileContent::End End() const { return end_; }
    // The content when it Loaded; the object gives it up.
    LogFileContent TakeContent() { return std::move(content_); }
    // Per shown column, the widest cell text in pixels (when measured).
    const std::array<int, kViewerColumns>& Widest() const { return widest_; }
    std::uint64_t LinesFound() const { return linesFound_; }

signals:
    void ProgressChanged(int percent);
    void Finished();

private:
    void Read();
    void MeasureSlice();
    void Report(int percent);
    void Finish(LogFileContent::End end);

    std::string path_;
    std::optional<QFont> font_;
    std::thread reader_;
    std::atomic<bool> cancel_{false};
    std::atomic<int> percent_{-1};
    LogFileContent content_;
    LogFileContent::End end_ = LogFileContent::End::Cancelled;
    std::uint64_t linesFound_ = 0;
    std::array<int, kViewerColumns> widest_{};
    std::unique_ptr<CellTextWidths> widths_;
    int measuredRows_ = 0;
    QTimer* slices_ = nullptr;
};

} // namespace qm
