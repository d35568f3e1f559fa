#include "reception/LogFiles.h"

#include <charconv>

namespace qm {

namespace {

// The fields in the columns' order, joined by 0xB6.
void AppendFields(const SyslogMessage& m, std::string& line) {
    for (std::size_t c = 0; c < kColumns.size(); ++c) {
        if (c > 0) line.push_back(kLogFieldSeparator);
        if (kColumns[c].text) {
            line.append(m.*kColumns[c].text);
        } else {
            char port[16];
            const auto r = std::to_chars(port, port + sizeof port, m.SenderPort);
            line.append(port, r.ptr);
        }
    }
    line.append("\r\n");
}

// A run's buffers keep their room for the next run, up to this much each.
constexpr std::size_t kKeptBufferBytes = 1 << 20;

} // namespace

void BuildLogLine(const SyslogMessage& m, std::string& line) {
    line.clear();
    AppendFields(m, line);
}

std::string DayFilePath(std::string_view logDir, std::string_view day, std::string_view idName) {
    std::string path;
    path.reserve(logDir.size() + day.size() + idName.size() + 6);
    path.append(logDir);
    path.push_back(kPathSeparator);
    path.append(day);
    path.push_back('-');
    path.append(idName);
    path.append(".log");
    return path;
}

LogWriter::LogWriter(const Options& options, const Clock& clock, DayFileSystem& files)
    : options_(options), clock_(clock), files_(files) {
    FormatLogDay(clock_.Now(), lastLogDay_);
}

void LogWriter::CreateDayFiles(std::string_view day) {
    const std::string& dir = options_.General.LogDir;
    for (const IdEntry& id : options_.IdList)
        if (IsPlainFileName(id.Name)) files_.CreateIfMissing(DayFilePath(dir, day, id.Name));
    if (options_.General.WriteToLogUnknownID) files_.CreateIfMissing(DayFilePath(dir, day, kUnknownId));
}

LogWriter::Prepared LogWriter::PrepareDayFiles(bool forced) {
    std::string today;
    FormatLogDay(clock_.Now(), today);
    return Prepare(forced, today);
}

LogWriter::Prepared LogWriter::Prepare(bool forced, const std::string& today) {
    if (dirUnavailable_) return Prepared::LogDirUnavailable;
    if (forced || !dirChecked_) {
        if (!files_.MakeFolder(options_.General.LogDir)) {
            dirUnavailable_ = true;
            return Prepared::LogDirUnavailable;
        }
        dirChecked_ = true;
    }
    bool create = forced || recreate_;
    if (!forced && !options_.UseUserDate) {
        if (today != lastLogDay_) create = true;
        lastLogDay_ = today;
    }
    if (create) {
        if (options_.UseUserDate) {
            std::string userDay;
            FormatLogDay(options_.UserDate, userDay);
            CreateDayFiles(userDay);
        } else {
            CreateDayFiles(today);
        }
        recreate_ = false;
    }
    return Prepared::Ok;
}

int LogWriter::NewLine(LineState state, const std::string& failure) {
    lines_.push_back({});
    const auto line = static_cast<std::uint32_t>(lines_.size() - 1);
    if (state != LineState::Pending) Settle(line, state, failure);
    return static_cast<int>(line);
}

void LogWriter::Settle(std::uint32_t line, LineState state, const std::string& failure) {
    RunLine& l = lines_[line];
    l.state = state;
    if (state != LineState::Failed) return;
    // Failures of one run share a few texts.
    if (failures_.empty() || failures_.back() != failure) failures_.push_back(failure);
    l.failure = static_cast<std::uint32_t>(failures_.size() - 1);
}

const std::string& LogWriter::Failure(int line) const {
    static const std::string kNone;
    const RunLine& l = lines_[static_cast<std::size_t>(line)];
    return l.state == LineState::Failed ? failures_[l.failure] : kNone;
}

LogWriter::RunFile& LogWriter::FileFor(const std::string& idName) {
    const auto [at, added] = fileOf_.try_emplace(idName, filesInUse_);
    if (!added) return runFiles_[at->second];
    if (filesInUse_ == runFiles_.size()) runFiles_.emplace_back();
    RunFile& file = runFiles_[filesInUse_++];
    file.path = DayFilePath(options_.General.LogDir, segmentDay_, idName);
    return file;
}

int LogWriter::Collect(const SyslogMessage& m) {
    if (!segmentOpen_ || m.LogDay != segmentDay_) {
        if (segmentOpen_) WriteSegment(); // the old day's lines first
        segmentOpen_ = true;
        segmentDay_ = m.LogDay;
        // The day of the stamp is the arrival's (or the operator's date).
        Prepare(false, segmentDay_);
    }
    if (dirUnavailable_) return NewLine(LineState::LogDirUnavailable, {});
    if (m.IdName == kUnknownId && !options_.General.WriteToLogUnknownID) return kNotLogged;
    // A name that cannot be a file name here never got a file, and must not
    // reach outside the log folder.
    if (!IsPlainFileName(m.IdName)) return NewLine(LineState::Failed, IoErrorText(FileNotFoundCode()));
    RunFile& file = FileFor(m.IdName);
    AppendFields(m, file.bytes);
    const int line = NewLine(LineState::Pending, {});
    lines_.back().end = file.bytes.size();
    file.lines.push_back(static_cast<std::uint32_t>(line));
    return line;
}

void LogWriter::WriteRun() {
    if (segmentOpen_) WriteSegment();
    segmentOpen_ = false;
}

void LogWriter::StartRun() {
    lines_.clear();
    failures_.clear();
}

void LogWriter::WriteSegment() {
    for (std::size_t i = 0; i < filesInUse_; ++i) {
        RunFile& file = runFiles_[i];
        WriteFile(file);
        if (file.bytes.capacity() > kKeptBufferBytes) std::string().swap(file.bytes);
        file.bytes.clear();
        file.lines.clear();
    }
    filesInUse_ = 0;
    fileOf_.clear();
}

void LogWriter::WriteFile(RunFile& file) {
    std::size_t next = 0; // the first of the file's lines not yet settled
    bool retried = false;
    while (next < file.lines.size()) {
        const std::size_t start = next == 0 ? 0 : lines_[file.lines[next - 1]].end;
        Result r = files_.Open(file.path);
        if (r) {
            std::size_t written = 0;
            r = files_.Write(std::string_view(file.bytes).substr(start), written);
            // The lines that reached the file whole count; a partial one is cut back.
            std::size_t whole = start;
            for (; next < file.lines.size() && lines_[file.lines[next]].end <= start + written; ++next) {
                whole = lines_[file.lines[next]].end;
                Settle(file.lines[next], LineState::Written, {});
            }
            if (!r) files_.CutBack(start + written - whole);
            files_.Close();
            if (r) return;
        }
        // The first line that did not make it fails as one message fails;
        // the day's files are made again once and the rest tried once more.
        Settle(file.lines[next++], LineState::Failed, r.error);
        dirChecked_ = false;
        recreate_ = true;
        if (next == file.lines.size()) return;
        if (retried) {
            for (; next < file.lines.size(); ++next)
                Settle(file.lines[next], LineState::Failed, r.error);
            return;
        }
        retried = true;
        if (Prepare(false, segmentDay_) == Prepared::LogDirUnavailable) {
            for (; next < file.lines.size(); ++next)
                Settle(file.lines[next], LineState::LogDirUnavailable, {});
            return;
        }
    }
}

} // namespace qm
