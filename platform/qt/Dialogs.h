// Everything that asks or tells the operator goes through this interface:
// the Qt implementation shows the real modal dialogs, tests script answers.
#pragma once

#include <QColor>
#include <QFont>
#include <QString>

#include <optional>
#include <string>

class QWidget;

namespace qm {

enum class BoxIcon { None, Information, Warning, Error, Question };

// A file dialog as the program describes it. `filter` uses the form
// "Text (*.ext)|*.ext|All (*.*)|*.*".
struct FileDialogSetup {
    QString title;
    QString folder;
    QString fileName;
    QString filter;
};

class DialogService {
public:
    virtual ~DialogService() = default;
    // Yes/No question; true for Yes. Lines in `text` are separated by CR.
    virtual bool AskYesNo(QWidget* owner, const QString& caption, const QString& text, BoxIcon icon) = 0;
    // A box with an OK button.
    virtual void ShowMessage(QWidget* owner, const QString& caption, const QString& text, BoxIcon icon) = 0;
    // The chosen path, or nothing when cancelled. No default extension is
    // added; saving replaces a file without asking; opening accepts a name
    // that does not exist.
    virtual std::optional<QString> OpenFile(QWidget* owner, const FileDialogSetup& setup) = 0;
    virtual std::optional<QString> SaveFile(QWidget* owner, const FileDialogSetup& setup) = 0;
    virtual std::optional<QColor> ChooseColor(QWidget* owner, const QColor& initial) = 0;
    virtual std::optional<QString> ChooseFolder(QWidget* owner, const QString& title,
                                                const QString& folder) = 0;
};

class QtDialogService : public DialogService {
public:
    bool AskYesNo(QWidget* owner, const QString& caption, const QString& text, BoxIcon icon) override;
    void ShowMessage(QWidget* owner, const QString& caption, const QString& text, BoxIcon icon) override;
    std::optional<QString> OpenFile(QWidget* owner, const FileDialogSetup& setup) override;
    std::optional<QString> SaveFile(QWidget* owner, const FileDialogSetup& setup) override;
    std::optional<QColor> ChooseColor(QWidget* owner, const QColor& initial) override;
    std::optional<QString> ChooseFolder(QWidget* owner, const QString& title, const QString& folder) override;
};

// "A|*.a|B|*.b" as Qt writes filters: "A;;B".
QString QtFilter(const QString& filter);

inline constexpr const char* kAppTitle = "Quillmere Light";

// The standard error box: the message with a full stop added when it has
// none, the caption "Quillmere Light", the error icon and OK.
QString ErrorBoxText(const QString& message);
// The longest text an error box shows (a longer one is shortened in the middle).
inline constexpr qsizetype kMaxBoxText = 500;
void ShowErrorBox(DialogService& dialogs, QWidget* owner, const QString& message);

// The windows' font: "MS Sans Serif", 8 points, or the nearest sans serif.
QFont WindowFont();

} // namespace qm
