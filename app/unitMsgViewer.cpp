#include "app/unitMsgViewer.h"

#include "platform/qt/Dialogs.h"
#include "platform/qt/DisplayText.h"
#include "platform/qt/ScreenFit.h"

#include "reception/ProcessTable.h"
#include "reception/StructuredSyslog.h"
#include "reception/qt/TableRowsModel.h"

#include <QAbstractItemModel>
#include <QFrame>
#include <QLabel>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QScrollArea>
#include <QStyle>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <vector>

namespace qm {

namespace {

// The message memo. The text's layout costs time with the square of a
// paragraph's length, so a long paragraph is shown in blocks of at most
// kBlockLength characters, cut after a space where there is one; a copy gives
// back the text as it was, without those cuts.
constexpr qsizetype kMaxLabelText = 256;
// A reason quotes the sender's text: a few lines of it, whole, are enough.
constexpr qsizetype kMaxReasonText = 120;

class MessageMemo : public QPlainTextEdit {
public:
    using QPlainTextEdit::QPlainTextEdit;

    static constexpr qsizetype kBlockLength = 4096;

    void SetMessage(const QString& text) {
        text_ = text;
        cuts_.clear();
        QString shown;
        shown.reserve(text.size() + text.size() / kBlockLength + 1);
        for (qsizetype at = 0; at < text.size();) {
            const qsizetype end = std::min(at + kBlockLength, text.size());
            const qsizetype lineEnd = QStringView(text).mid(at, end - at).indexOf(QLatin1Char('\n'));
            if (lineEnd >= 0 || end == text.size()) { // the paragraph ends within the block
                const qsizetype next = lineEnd >= 0 ? at + lineEnd + 1 : end;
                shown += QStringView(text).mid(at, next - at);
                at = next;
                continue;
            }
            qsizetype cut = end;
            for (qsizetype i = end; i > at && i > end - 256; --i)
                if (text[i - 1] == QLatin1Char(' ')) {
                    cut = i;
                    break;
                }
            if (cut == end && text[cut - 1].isHighSurrogate()) --cut; // never half a character
            shown += QStringView(text).mid(at, cut - at);
            cuts_.push_back(shown.size());
            shown += QLatin1Char('\n');
            at = cut;
        }
        appendPlainText(shown);
    }

protected:
    QMimeData* createMimeDataFromSelection() const override {
        if (cuts_.empty()) return QPlainTextEdit::createMimeDataFromSelection();
        const QTextCursor cursor = textCursor();
        const qsizetype from = Original(cursor.selectionStart());
        const qsizetype to = Original(cursor.selectionEnd());
        auto* data = new QMimeData;
        data->setText(text_.mid(from, to - from));
        return data;
    }

private:
    // The position in the message of a position in the shown text.
    qsizetype Original(qsizetype shown) const {
        return shown - (std::lower_bound(cuts_.begin(), cuts_.end(), shown) - cuts_.begin());
    }

    QString text_;
    std::vector<qsizetype> cuts_; // positions of the breaks added in the shown text
};

QLabel* Caption(QWidget* parent, const char* text, int y) {
    auto* label = new QLabel(QString::fromLatin1(text), parent);
    label->move(9, y);
    label->adjustSize();
    return label;
}

QLabel* Value(QWidget* parent, const char* name, int y) {
    auto* label = new QLabel(parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setGeometry(204, y, 140, 15);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, QColor(0, 0, 128)); // navy
    label->setPalette(palette);
    return label;
}

} // namespace

TfrmMessageViewer::TfrmMessageViewer(QWidget* parent) : QDialog(parent) {
    setObjectName("frmMessageViewer");
    setWindowTitle("Message Viewer");
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    setFont(WindowFont());
    // The fields on a page of the defined size, in a scroll area that shows
    // nothing of itself unless the screen is smaller than the page.
    auto* scroll = new QScrollArea;
    scroll->setObjectName("scrMessageViewer");
    scroll->setFrameShape(QFrame::NoFrame);
    page_ = new QWidget;
    scroll->setWidget(page_);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(scroll);
    QWidget* const page = page_;

    auto* bevel = new QFrame(page);
    bevel->setFrameShape(QFrame::Box);
    bevel->setFrameShadow(QFrame::Sunken);
    bevel->setGeometry(0, 0, 350, 212);

    Caption(page, "Message Name/RFC Gravity Level", 9);
    Caption(page, "Received Date", 26);
    Caption(page, "Alias IP", 46);
    Caption(page, "Message PRI/RFC Source", 66);
    Caption(page, "Message Nick Tag", 86);
    Caption(page, "Source Port", 105);
    Caption(page, "Message Text", 126);
    labUserID = Value(page, "labUserID", 9);
    labDateTime = Value(page, "labDateTime", 28);
    labIPAddress = Value(page, "labIPAddress", 47);
    labID_RFC = Value(page, "labID_RFC", 67);
    labNickName = Value(page, "labNickName", 86);
    labSourcePort = Value(page, "labSourcePort", 105);

    memMessage = new MessageMemo(page);
    memMessage->setObjectName("memMessage");
    memMessage->setGeometry(9, 147, 334, 56);
    memMessage->setFrameShape(QFrame::NoFrame);
    memMessage->setReadOnly(true);
    memMessage->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    memMessage->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    QPalette palette = memMessage->palette();
    palette.setColor(QPalette::Text, QColor(0, 0, 128));
    memMessage->setPalette(palette);

    // Below what the window always showed: the fields of a message in one of
    // the standard forms, for reading only.
    auto* rule = new QFrame(page);
    rule->setFrameShape(QFrame::HLine);
    rule->setFrameShadow(QFrame::Sunken);
    rule->setGeometry(0, 212, 350, 2);
    labStructuredForm = new QLabel(page);
    labStructuredForm->setObjectName("labStructuredForm");
    labStructuredForm->setWordWrap(true); // a reason is read whole
    labStructuredForm->setGeometry(9, 218, 334, 15);
    treStructured = new QTreeWidget(page);
    treStructured->setObjectName("treStructured");
    treStructured->setGeometry(9, 236, 334, 134);
    treStructured->setColumnCount(2);
    treStructured->setHeaderLabels({"Field", "Value"});
    treStructured->setColumnWidth(0, 130);
    treStructured->setFocusPolicy(Qt::NoFocus);
    bevel->setGeometry(0, 0, 350, 378);
    page->setFixedSize(350, 378);
    // The page's size, and no larger; smaller (with a scroll bar) only where
    // the screen is (showEvent).
    setMaximumSize(350 + style()->pixelMetric(QStyle::PM_ScrollBarExtent), 378);
    resize(350, 378);

    // The memo is the only control that takes the focus.
    memMessage->setFocus();
}

void TfrmMessageViewer::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    FitOnScreen(this);
    // Cut short by the screen: the scroll bar takes its width beside the page.
    if (height() < page_->height()) {
        resize(maximumWidth(), height());
        FitOnScreen(this);
    }
}

void TfrmMessageViewer::ShowStructured(const std::string& text, bool reconstructed, bool tooLong) {
    ShowStructuredFields(text, reconstructed, tooLong);
    // The form and its reason take the lines they need; the tree the rest.
    constexpr int kTop = 218, kBottom = 370, kWidth = 334;
    const int height = std::max(15, labStructuredForm->heightForWidth(kWidth));
    labStructuredForm->setGeometry(9, kTop, kWidth, height);
    treStructured->setGeometry(9, kTop + height + 3, kWidth, kBottom - (kTop + height + 3));
}

void TfrmMessageViewer::ShowStructuredFields(const std::string& text, bool reconstructed, bool tooLong) {
    treStructured->clear();
    if (tooLong) {
        labStructuredForm->setText("The datagram is too long for the structured view.");
        return;
    }
    const StructuredMessage m = ParseStructured(text, reconstructed);
    const QString rebuilt = reconstructed ? QString(" (rebuilt from the Tag and Message fields)") : QString();
    const auto add = [this](QTreeWidgetItem* parent, const char* name, const std::string& value) {
        auto* item = parent ? new QTreeWidgetItem(parent) : new QTreeWidgetItem(treStructured);
        item->setText(0, QString::fromUtf8(name));
        item->setText(1, BoundedText(DisplayText(value), kMaxLabelText * 4));
        return item;
    };
    switch (m.form) {
    case StructuredMessage::Form::None:
        labStructuredForm->setText(m.problem.empty()
                                       ? "Not in a standard form" + rebuilt + "."
                                       : "Not in a standard form" + rebuilt + ": " +
                                             BoundedText(DisplayText(m.problem), kMaxReasonText) + ".");
        return;
    case StructuredMessage::Form::Rfc5424:
        labStructuredForm->setText("RFC 5424" + rebuilt);
        if (!m.priority.empty()) add(nullptr, "Priority", m.priority);
        add(nullptr, "Version", m.version);
        add(nullptr, "Timestamp", m.timestamp);
        add(nullptr, "Host", m.host);
        add(nullptr, "App-name", m.appName);
        add(nullptr, "Process ID", m.procId);
        add(nullptr, "Message ID", m.msgId);
        for (const SdElement& element : m.data) {
            QTreeWidgetItem* item = add(nullptr, "Structured data", element.id);
            for (const auto& [name, value] : element.params)
                add(item, name.c_str(), value);
            item->setExpanded(true);
        }
        add(nullptr, "Message", m.message);
        return;
    case StructuredMessage::Form::Rfc3164:
        labStructuredForm->setText("RFC 3164" + rebuilt);
        if (!m.priority.empty()) add(nullptr, "Priority", m.priority);
        add(nullptr, "Timestamp", m.timestamp);
        add(nullptr, "Host", m.host);
        add(nullptr, "Tag", m.tag);
        add(nullptr, "PID", m.pid);
        add(nullptr, "Message", m.message);
        return;
    }
}

void TfrmMessageViewer::ShowRow(const QAbstractItemModel& model, int row) {
    const auto cell = [&](int column) {
        // The whole text: a cell shows a bounded part of it.
        return row >= 0 && row < model.rowCount()
                   ? model.index(row, column).data(TableRowsModel::WholeTextRole).toString()
                   : QString();
    };
    // The labels are 140 pixels wide: a field of any length costs what they show.
    const auto field = [&](int column) { return BoundedText(cell(column), kMaxLabelText); };
    labUserID->setText(field(ColName));
    labDateTime->setText(field(ColDate));
    labIPAddress->setText(field(ColAliasIp));
    labID_RFC->setText(field(ColSourceLevel));
    labNickName->setText(field(ColTag));
    labSourcePort->setText(field(ColPort));
    static_cast<MessageMemo*>(memMessage)->SetMessage(cell(ColMessage));

    // A live row keeps the datagram it came from; a log line has only its
    // fields, from which the text after the priority is rebuilt.
    if (const auto* live = qobject_cast<const ProcessTableModel*>(&model)) {
        if (const TableRow* r = live->RowAt(row)) ShowStructured(r->datagram, false, r->datagramTooLong);
    } else if (const auto* log = qobject_cast<const TableRowsModel*>(&model); log && log->HasRow(row)) {
        ShowStructured(std::string(log->CellText(row, ColTag)) + ":" + std::string(log->CellText(row, ColMessage)),
                       true, false);
    }
}

} // namespace qm
