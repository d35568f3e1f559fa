// Dialog answers scripted by a test; every question and message is recorded.
#pragma once

#include "platform/qt/Dialogs.h"

#include <QStringList>

#include <deque>
#include <functional>
#include <optional>
#include <vector>

namespace qmtest {

class ScriptedDialogs : public qm::DialogService {
public:
    struct Shown {
        QString kind; // "question", "message", "open", "save", "color", "folder"
        QString caption;
        QString text;
        qm::BoxIcon icon = qm::BoxIcon::None;
        qm::FileDialogSetup file;
    };
    std::vector<Shown> shown;
    std::deque<bool> answers;        // AskYesNo; No when empty
    std::deque<QString> files;       // OpenFile/SaveFile/ChooseFolder; an empty text or none cancels
    std::deque<QColor> colors;       // an invalid colour or none cancels
    std::function<void()> onMessage; // runs inside ShowMessage (a modal box is "open")

    bool AskYesNo(QWidget*, const QString& caption, const QString& text, qm::BoxIcon icon) override {
        shown.push_back({"question", caption, text, icon, {}});
        if (answers.empty()) return false;
        const bool a = answers.front();
        answers.pop_front();
        return a;
    }
    void ShowMessage(QWidget*, const QString& caption, const QString& text, qm::BoxIcon icon) override {
        shown.push_back({"message", caption, text, icon, {}});
        if (onMessage) onMessage();
    }
    std::optional<QString> OpenFile(QWidget*, const qm::FileDialogSetup& setup) override {
        return NextFile("open", setup);
    }
    std::optional<QString> SaveFile(QWidget*, const qm::FileDialogSetup& setup) override {
        return NextFile("save", setup);
    }
    std::optional<QColor> ChooseColor(QWidget*, const QColor&) override {
        shown.push_back({"color", {}, {}, qm::BoxIcon::None, {}});
        if (colors.empty()) return std::nullopt;
        const QColor c = colors.front();
        colors.pop_front();
        if (!c.isValid()) return std::nullopt;
        return c;
    }
    std::optional<QString> ChooseFolder(QWidget*, const QString& title, const QString& folder) override {
        return NextFile("folder", {title, folder, {}, {}});
    }

    std::vector<Shown> Messages() const {
        std::vector<Shown> out;
        for (const Shown& s : shown)
            if (s.kind == "message") out.push_back(s);
        return out;
    }

private:
    std::optional<QString> NextFile(const char* kind, const qm::FileDialogSetup& setup) {
        shown.push_back({kind, setup.title, {}, qm::BoxIcon::None, setup});
        if (files.empty()) return std::nullopt;
        const QString f = files.front();
        files.pop_front();
        if (f.isEmpty()) return std::nullopt;
        return f;
    }
};

} // namespace qmtest
