#include "platform/qt/BoxGate.h"

#include <QTimer>

namespace qm {

BoxGate::BoxGate(DialogService& inner, QObject* parent) : QObject(parent), inner_(inner) {}

template <typename Call> auto BoxGate::Through(Call call) {
    ++open_;
    struct Closing {
        BoxGate& gate;
        ~Closing() {
            --gate.open_;
            gate.Schedule(); // what waited for this box
        }
    } closing{*this};
    return call();
}

bool BoxGate::AskYesNo(QWidget* owner, const QString& caption, const QString& text, BoxIcon icon) {
    return Through([&] { return inner_.AskYesNo(owner, caption, text, icon); });
}

void BoxGate::ShowMessage(QWidget* owner, const QString& caption, const QString& text, BoxIcon icon) {
    Through([&] { inner_.ShowMessage(owner, caption, text, icon); });
}

std::optional<QString> BoxGate::OpenFile(QWidget* owner, const FileDialogSetup& setup) {
    return Through([&] { return inner_.OpenFile(owner, setup); });
}

std::optional<QString> BoxGate::SaveFile(QWidget* owner, const FileDialogSetup& setup) {
    return Through([&] { return inner_.SaveFile(owner, setup); });
}

std::optional<QColor> BoxGate::ChooseColor(QWidget* owner, const QColor& initial) {
    return Through([&] { return inner_.ChooseColor(owner, initial); });
}

std::optional<QString> BoxGate::ChooseFolder(QWidget* owner, const QString& title, const QString& folder) {
    return Through([&] { return inner_.ChooseFolder(owner, title, folder); });
}

void BoxGate::QueueError(QWidget* owner, const QString& message) {
    const QString text = ErrorBoxText(message);
    if (text == openErrorText_) return;
    for (const Box& b : waiting_)
        if (b.error && b.text == text) return;
    Enqueue({owner, QString::fromLatin1(kAppTitle), text, BoxIcon::Error, true, {}});
}

void BoxGate::QueueMessage(QWidget* owner, const QString& caption, const QString& text, BoxIcon icon,
                           std::function<void()> then) {
    Enqueue({owner, caption, text, icon, false, std::move(then)});
}

void BoxGate::Enqueue(Box box) {
    if (closed_) return;
    waiting_.push_back(std::move(box));
    Schedule();
}

void BoxGate::Hold() {
    held_ = true;
}

void BoxGate::Release() {
    held_ = false;
    Schedule();
}

void BoxGate::Close() {
    closed_ = true;
    waiting_.clear();
}

void BoxGate::Schedule() {
    // After the event in hand: a box never opens inside a handler's work.
    if (scheduled_ || held_ || closed_ || open_ > 0 || waiting_.empty()) return;
    scheduled_ = true;
    QTimer::singleShot(0, this, [this] {
        scheduled_ = false;
        ShowNext();
    });
}

void BoxGate::ShowNext() {
    if (held_ || closed_ || open_ > 0 || waiting_.empty()) return;
    Box box = std::move(waiting_.front());
    waiting_.pop_front();
    if (box.error) openErrorText_ = box.text;
    ShowMessage(box.owner, box.caption, box.text, box.icon);
    openErrorText_.clear();
    // A box closed by the session's end leads nowhere: the end does it all.
    if (box.then && !closed_) box.then();
}

} // namespace qm
