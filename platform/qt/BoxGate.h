// One gate for every box the program opens: boxes show one at a time. A box
// the program opens of its own accord (a failure while receiving, a start-up
// message, the shutdown's notice) waits in a queue, in order, until no other
// box is open and the event in hand is done; a repeat of an error text that
// is open or waiting is dropped. Boxes a command asks at once (questions,
// results) pass straight through, and the queue waits for them. Once the
// session ends, nothing more opens: nobody is there to click.
#pragma once

#include "platform/qt/Dialogs.h"

#include <QObject>
#include <QPointer>
#include <QWidget>
#include <QString>

#include <deque>
#include <functional>

namespace qm {

class BoxGate : public QObject, public DialogService {
    Q_OBJECT
public:
    explicit BoxGate(DialogService& inner, QObject* parent = nullptr);

    // The standard error box, queued; dropped when the same text is open or waiting.
    void QueueError(QWidget* owner, const QString& message);
    // A box that is never dropped; `then` runs once it was closed (not after
    // the session's end).
    void QueueMessage(QWidget* owner, const QString& caption, const QString& text, BoxIcon icon,
                      std::function<void()> then = {});
    // Queued boxes wait while held (the window is still being built).
    void Hold();
    void Release();
    // The session ends: nothing opens from now on, and nothing waits.
    void Close();
    bool Closed() const { return closed_; }
    // Whether a box is open now.
    bool Open() const { return open_ > 0; }

    // DialogService: each passes through, counted as an open box.
    bool AskYesNo(QWidget* owner, const QString& caption, const QString& text, BoxIcon icon) override;
    void ShowMessage(QWidget* owner, const QString& caption, const QString& text, BoxIcon icon) override;
    std::optional<QString> OpenFile(QWidget* owner, const FileDialogSetup& setup) override;
    std::optional<QString> SaveFile(QWidget* owner, const FileDialogSetup& setup) override;
    std::optional<QColor> ChooseColor(QWidget* owner, const QColor& initial) override;
    std::optional<QString> ChooseFolder(QWidget* owner, const QString& title, const QString& folder) override;

private:
    struct Box {
        QPointer<QWidget> owner;
        QString caption;
        QString text;
        BoxIcon icon = BoxIcon::None;
        bool error = false; // repeats of its text are dropped
        std::function<void()> then;
    };
    template <typename Call> auto Through(Call call);
    void Enqueue(Box box);
    void Schedule();
    void ShowNext();

    DialogService& inner_;
    std::deque<Box> waiting_;
    QString openErrorText_; // the error box open now, if any
    int open_ = 0;
    bool held_ = false;
    bool scheduled_ = false;
    bool closed_ = false;
};

} // namespace qm
