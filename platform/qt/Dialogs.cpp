#include "platform/qt/Dialogs.h"

#include "platform/qt/DisplayText.h"

#include <QColorDialog>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QMessageBox>

namespace qm {

namespace {

QMessageBox::Icon ToQt(BoxIcon icon) {
    switch (icon) {
    case BoxIcon::Information:
        return QMessageBox::Information;
    case BoxIcon::Warning:
        return QMessageBox::Warning;
    case BoxIcon::Error:
        return QMessageBox::Critical;
    case BoxIcon::Question:
        return QMessageBox::Question;
    case BoxIcon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

// Message lines are separated by a single carriage return.
QString Displayed(QString text) {
    return text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
}

// The patterns in the parentheses that end a filter's description.
QStringList FilterPatterns(const QString& filter) {
    const qsizetype open = filter.lastIndexOf(QLatin1Char('('));
    const qsizetype close = filter.lastIndexOf(QLatin1Char(')'));
    if (open < 0 || close < open) return {};
    return filter.mid(open + 1, close - open - 1).split(QLatin1Char(' '), Qt::SkipEmptyParts);
}

// "*.*" stands for every file, as it does on Windows, not only for names
// with a dot in them (messages, syslog). The caption stays as it is.
void MatchEveryFileForStarDotStar(QFileDialog& dialog) {
    auto* files = dialog.findChild<QFileSystemModel*>();
    if (!files) return; // a native dialog, which matches by the system's rules
    const auto apply = [&dialog, files] {
        if (FilterPatterns(dialog.selectedNameFilter()).contains(QStringLiteral("*.*")))
            files->setNameFilters({QStringLiteral("*")});
    };
    // Queued: after the dialog has applied the filter's own patterns.
    QObject::connect(&dialog, &QFileDialog::filterSelected, files, apply, Qt::QueuedConnection);
    apply();
}

std::optional<QString> RunFileDialog(QWidget* owner, const FileDialogSetup& setup,
                                     QFileDialog::AcceptMode mode) {
    QFileDialog dialog(owner, setup.title, setup.folder, QtFilter(setup.filter));
    MatchEveryFileForStarDotStar(dialog);
    dialog.setAcceptMode(mode);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, true);
    dialog.setDefaultSuffix(QString());
    if (!setup.fileName.isEmpty()) dialog.selectFile(setup.fileName);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
    return dialog.selectedFiles().front();
}

} // namespace

QString QtFilter(const QString& filter) {
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList out;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        // Qt reads the patterns from the parentheses of the description.
        QString description = parts[i];
        if (!description.contains(QLatin1Char('('))) description += QStringLiteral(" (") + parts[i + 1] + ")";
        out << description;
    }
    return out.join(QStringLiteral(";;"));
}

bool QtDialogService::AskYesNo(QWidget* owner, const QString& caption, const QString& text, BoxIcon icon) {
    QMessageBox box(ToQt(icon), caption, Displayed(text), QMessageBox::Yes | QMessageBox::No, owner);
    box.setDefaultButton(QMessageBox::Yes);
    return box.exec() == QMessageBox::Yes;
}

void QtDialogService::ShowMessage(QWidget* owner, const QString& caption, const QString& text, BoxIcon icon) {
    QMessageBox box(ToQt(icon), caption, Displayed(text), QMessageBox::Ok, owner);
    box.exec();
}

std::optional<QString> QtDialogService::OpenFile(QWidget* owner, const FileDialogSetup& setup) {
    return RunFileDialog(owner, setup, QFileDialog::AcceptOpen);
}

std::optional<QString> QtDialogService::SaveFile(QWidget* owner, const FileDialogSetup& setup) {
    return RunFileDialog(owner, setup, QFileDialog::AcceptSave);
}

std::optional<QColor> QtDialogService::ChooseColor(QWidget* owner, const QColor& initial) {
    const QColor chosen = QColorDialog::getColor(initial, owner);
    if (!chosen.isValid()) return std::nullopt;
    return chosen;
}

std::optional<QString> QtDialogService::ChooseFolder(QWidget* owner, const QString& title,
                                                     const QString& folder) {
    const QString chosen = QFileDialog::getExistingDirectory(owner, title, folder);
    if (chosen.isEmpty()) return std::nullopt;
    return chosen;
}

QFont WindowFont() {
    QFont font(QStringLiteral("MS Sans Serif"), 8);
    // "MS Sans Serif" is a bitmap font, which Qt cannot draw: Windows has
    // its TrueType successor, Wine has Tahoma; elsewhere the style hint picks.
    font.setFamilies({QStringLiteral("MS Sans Serif"), QStringLiteral("Microsoft Sans Serif"),
                      QStringLiteral("Tahoma")});
    font.setStyleHint(QFont::SansSerif);
    return font;
}

QString ErrorBoxText(const QString& message) {
    // Error texts may carry a sender's text of any length; the box must stay
    // on the screen with its button.
    const QString text = BoundedText(message, kMaxBoxText);
    if (text.isEmpty() || text.endsWith(QLatin1Char('.'))) return text;
    return text + QLatin1Char('.');
}

void ShowErrorBox(DialogService& dialogs, QWidget* owner, const QString& message) {
    dialogs.ShowMessage(owner, QString::fromLatin1(kAppTitle), ErrorBoxText(message), BoxIcon::Error);
}

} // namespace qm
