#include "app/unitStatistics.h"

#include "platform/qt/Dialogs.h"
#include "platform/qt/DisplayText.h"
#include "platform/qt/ScreenFit.h"

#include <QGridLayout>
#include <QScrollArea>
#include <QStyle>
#include <QScreen>

#include <algorithm>
#include <iterator>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace qm {

namespace {

QString Number(std::uint64_t n) {
    return QString::number(n);
}

QString Moment(const DateTime& t) {
    return QString::asprintf("%04d-%02d-%02d %02d:%02d:%02d", t.year, t.month, t.day, t.hour, t.minute, t.second);
}

QTableWidget* SeenTable(const char* name, const char* key) {
    auto* table = new QTableWidget(0, 4);
    table->setObjectName(QString::fromLatin1(name));
    table->setHorizontalHeaderLabels({QString::fromLatin1(key), "Messages", "First seen", "Last seen"});
    table->verticalHeader()->hide();
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->setSelectionMode(QAbstractItemView::SingleSelection);
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->horizontalHeader()->setStretchLastSection(true);
    table->verticalHeader()->setDefaultSectionSize(table->fontMetrics().height() + 6);
    table->setWordWrap(false);
    return table;
}

constexpr int kShownRows = 8;

// Widths that hold each caption, and a whole time stamp, in the table's font;
// a height that shows kShownRows rows.
void SizeSeenTable(QTableWidget* table) {
    QHeaderView* header = table->horizontalHeader();
    const QFontMetrics metrics(header->font());
    const int margins = 2 * header->style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, header) + 4;
    const auto caption = [&](int column) {
        return metrics.horizontalAdvance(table->horizontalHeaderItem(column)->text()) + margins;
    };
    const int stamp = QFontMetrics(table->font()).horizontalAdvance(QStringLiteral("2026-12-06 21:12:19")) + 12;
    table->setColumnWidth(0, std::max(100, caption(0)));
    table->setColumnWidth(1, std::max(70, caption(1)));
    table->setColumnWidth(2, std::max(stamp, caption(2)));
    header->setMinimumSectionSize(std::max(caption(3), 40)); // the stretched last one, however narrow the window
    // Wide enough that no column is cut where the screen has room.
    table->setMinimumWidth(table->columnWidth(0) + table->columnWidth(1) + table->columnWidth(2) +
                           std::max(stamp, caption(3)) + 2 * table->frameWidth() +
                           table->style()->pixelMetric(QStyle::PM_ScrollBarExtent));
    // Room for a glance at a busy list: its header, eight rows, and a
    // horizontal scroll bar should a narrow window need one.
    table->setMinimumHeight(header->sizeHint().height() + kShownRows * table->verticalHeader()->defaultSectionSize() +
                            2 * table->frameWidth() + table->style()->pixelMetric(QStyle::PM_ScrollBarExtent));
}

// A table that shows figures only.
QTableWidget* InfoTable(const char* name, const QStringList& captions) {
    QTableWidget* table = SeenTable(name, "");
    table->setColumnCount(static_cast<int>(captions.size()));
    table->setHorizontalHeaderLabels(captions);
    table->setSelectionMode(QAbstractItemView::NoSelection);
    return table;
}

void FillRows(QTableWidget* table, const std::vector<std::vector<QString>>& rows) {
    table->setRowCount(static_cast<int>(rows.size()));
    for (int r = 0; r < static_cast<int>(rows.size()); ++r)
        for (int c = 0; c < static_cast<int>(rows[static_cast<std::size_t>(r)].size()); ++c) {
            QTableWidgetItem* item = table->item(r, c);
            if (!item) table->setItem(r, c, item = new QTableWidgetItem);
            item->setText(rows[static_cast<std::size_t>(r)][static_cast<std::size_t>(c)]);
        }
}

// The key of the selected row, or empty.
std::string SelectedKey(const QTableWidget* table) {
    const QList<QTableWidgetItem*> selected = table->selectedItems();
    if (selected.isEmpty()) return {};
    return StoredText(table->item(selected.front()->row(), 0)->text());
}

} // namespace

TfrmStatistics::TfrmStatistics(QWidget* parent) : QDialog(parent, Qt::Window) {
    setObjectName("frmStatistics");
    setWindowTitle("Reception statistics");
    setFont(WindowFont());
    // Whatever the screen, the window fits it and its content scrolls.
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    auto* scroll = new QScrollArea;
    scroll->setObjectName("scrStatistics");
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    auto* content = new QWidget;
    scroll->setWidget(content);
    outer->addWidget(scroll);
    auto* layout = new QVBoxLayout(content);
    // The counters in two columns and the two lists side by side: the window
    // fits a small screen at twice the pixels.
    auto* figures = new QGridLayout;
    figures->setHorizontalSpacing(12);
    figures->setVerticalSpacing(2);
    const std::pair<const char*, const char*> rows[] = {
        {"labReceived", "Received (datagrams, TCP messages)"},
        {"labBytes", "Bytes received"},
        {"labAdmitted", "Admitted"},
        {"labRejected", "Rejected by the filters"},
        {"labLogged", "Lines logged"},
        {"labLogFailures", "Log failures"},
        {"labDecodeFailures", "Decoding failures"},
        {"labDroppedStopped", "Dropped while stopped"},
        {"labEmpty", "Empty, skipped"},
        {"labSystemDrops", "Dropped by the system (receive buffer full)"},
        {"labProgramDrops", "Dropped by the program (queue full)"},
        {"labRate", "Rate"},
        {"labPeakRate", "Peak rate"},
        {"labReceiveBuffer", "Receive buffer"},
        {"labLastDatagram", "Last datagram"},
        {"labRefused", "TCP connections refused (too many)"},
        {"labCut", "TCP messages cut (too long)"},
        {"labIdleClosed", "TCP connections closed idle (24 hours)"},
    };
    constexpr int kPerColumn = (std::size(rows) + 1) / 2;
    for (int i = 0; i < static_cast<int>(std::size(rows)); ++i) {
        const auto& [name, caption] = rows[i];
        figures->addWidget(new QLabel(QString::fromLatin1(caption)), i % kPerColumn, (i / kPerColumn) * 2);
        figures->addWidget(Figure(name), i % kPerColumn, (i / kPerColumn) * 2 + 1);
    }
    figures->setColumnStretch(1, 1);
    figures->setColumnStretch(3, 1);
    layout->addLayout(figures);
    auto* lists = new QHBoxLayout;
    layout->addLayout(lists, 1);

    grdUnlistedSenders = SeenTable("grdUnlistedSenders", "Address");
    grdUnlistedPriorities = SeenTable("grdUnlistedPriorities", "Priority");
    btnAddSender = new QPushButton(QString::fromUtf8("Add to list\u2026"));
    btnAddSender->setObjectName("btnAddSender");
    btnAddPriority = new QPushButton(QString::fromUtf8("Add to list\u2026"));
    btnAddPriority->setObjectName("btnAddPriority");
    const auto section = [&](const char* title, QTableWidget* table, QPushButton* add) {
        auto* box = new QGroupBox(QString::fromLatin1(title));
        auto* inner = new QVBoxLayout(box);
        inner->addWidget(table);
        auto* buttons = new QHBoxLayout;
        buttons->addStretch(1);
        buttons->addWidget(add);
        inner->addLayout(buttons);
        lists->addWidget(box);
        add->setEnabled(false);
        connect(table, &QTableWidget::itemSelectionChanged, add, [table, add] {
            const std::string key = SelectedKey(table);
            add->setEnabled(!key.empty() && key != kNoPriority); // "none" is no number to list
        });
    };
    section("Senders in no IP entry", grdUnlistedSenders, btnAddSender);
    section("Priorities in no ID entry", grdUnlistedPriorities, btnAddPriority);
    // Each listener, and the TCP connections open now.
    auto* network = new QHBoxLayout;
    layout->addLayout(network, 1);
    grdListeners = InfoTable("grdListeners", {"Listener", "State", "Received", "Bytes"});
    grdTcpConnections = InfoTable("grdTcpConnections", {"Address", "Port", "Messages", "Since"});
    for (const auto& [title, table] : {std::pair{"Listeners", grdListeners}, std::pair{"TCP connections", grdTcpConnections}}) {
        auto* box = new QGroupBox(QString::fromLatin1(title));
        auto* inner = new QVBoxLayout(box);
        inner->addWidget(table);
        network->addWidget(box);
    }
    connect(btnAddSender, &QPushButton::clicked, this,
            [this] { emit AddToList(TfrmOptions::PageIpList, SelectedKey(grdUnlistedSenders)); });
    connect(btnAddPriority, &QPushButton::clicked, this,
            [this] { emit AddToList(TfrmOptions::PageIdList, SelectedKey(grdUnlistedPriorities)); });
    for (QTableWidget* table : {grdUnlistedSenders, grdUnlistedPriorities, grdListeners, grdTcpConnections})
        SizeSeenTable(table);
    // Every counter and the tables' rows at once where the screen has room
    // (showEvent bounds it by the screen; the content scrolls there).
    const QSize wanted = content->sizeHint();
    resize(std::max(760, wanted.width() + style()->pixelMetric(QStyle::PM_ScrollBarExtent)),
           std::max(420, wanted.height()));
}

void TfrmStatistics::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    // Never larger than the screen it opens on, frame and all, and never off it.
    FitOnScreen(this);
}

QLabel* TfrmStatistics::Figure(const char* name) {
    auto* label = new QLabel;
    label->setObjectName(QString::fromLatin1(name));
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    figures_[name] = label;
    return label;
}

void TfrmStatistics::Refresh(const ReceptionHealth& h, const SeenList& senders, const SeenList& priorities) {
    const ReceptionCounts& c = h.counts;
    figures_["labReceived"]->setText(Number(h.reader.received));
    figures_["labBytes"]->setText(Number(h.reader.bytes));
    figures_["labAdmitted"]->setText(Number(c.admitted));
    figures_["labRejected"]->setText(Number(c.rejected));
    figures_["labLogged"]->setText(Number(c.logged));
    figures_["labLogFailures"]->setText(Number(c.logFailures));
    figures_["labDecodeFailures"]->setText(Number(c.decodeFailures));
    figures_["labDroppedStopped"]->setText(Number(c.droppedWhileStopped));
    figures_["labEmpty"]->setText(Number(c.empty));
    // The system may not say (Windows): "n/a", never a 0 that would claim none.
    figures_["labSystemDrops"]->setText(h.reader.systemDrops ? Number(*h.reader.systemDrops) : QString("n/a"));
    figures_["labProgramDrops"]->setText(Number(h.reader.queueDrops));
    figures_["labRate"]->setText(QString::number(qRound64(h.rate)) + " msg/s");
    figures_["labPeakRate"]->setText(QString::number(qRound64(h.peakRate)) + " msg/s");
    figures_["labReceiveBuffer"]->setText(h.receiveBuffer > 0 ? QString::number(h.receiveBuffer) + " bytes"
                                                                : QString("n/a"));
    figures_["labLastDatagram"]->setText(c.lastDatagram ? Moment(*c.lastDatagram) : QString("none yet"));
    figures_["labRefused"]->setText(Number(h.refusedConnections));
    figures_["labCut"]->setText(Number(h.cutMessages));
    figures_["labIdleClosed"]->setText(Number(h.idleClosedConnections));
    std::vector<std::vector<QString>> listeners, connections;
    for (const ListenerCounts& l : h.listeners)
        listeners.push_back({QString::fromStdString(l.name), l.open ? QString("listening") : QString("off"),
                             Number(l.received), Number(l.bytes)});
    for (const TcpConnection& t : h.connections)
        connections.push_back({QString::fromStdString(t.address), QString::number(t.port), Number(t.messages),
                               Moment(t.since)});
    FillRows(grdListeners, listeners);
    FillRows(grdTcpConnections, connections);
    FillSeen(grdUnlistedSenders, senders);
    FillSeen(grdUnlistedPriorities, priorities);
}

void TfrmStatistics::FillSeen(QTableWidget* table, const SeenList& seen) {
    // The selection follows its key, wherever the refresh puts it.
    const std::string selected = SelectedKey(table);
    const std::vector<SeenEntry> entries = seen.Entries();
    table->setRowCount(static_cast<int>(entries.size()));
    int reselect = -1;
    for (int r = 0; r < static_cast<int>(entries.size()); ++r) {
        const SeenEntry& e = entries[static_cast<std::size_t>(r)];
        const QString cells[] = {DisplayText(e.key), Number(e.messages), Moment(e.first), Moment(e.last)};
        for (int c = 0; c < 4; ++c) {
            QTableWidgetItem* item = table->item(r, c);
            if (!item) table->setItem(r, c, item = new QTableWidgetItem);
            item->setText(cells[c]);
        }
        if (e.key == selected) reselect = r;
    }
    table->clearSelection();
    if (reselect >= 0) table->selectRow(reselect);
}

QString HealthPanelText(const ReceptionHealth& health) {
    QString text = QString::number(qRound64(health.rate)) + " msg/s";
    if (const std::uint64_t lost = health.Lost())
        text += QString(", <span style=\"color:#c00000\">lost %1</span>").arg(lost);
    return text;
}

} // namespace qm
