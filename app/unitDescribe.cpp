#include "app/unitDescribe.h"

#include "platform/qt/Dialogs.h"

#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <QStatusBar>
#include <QTextEdit>
#include <QVBoxLayout>

namespace qm {

QString DescriptionText() {
    const QString stars(60, QLatin1Char('*'));
    return QString::fromUtf8(
               "%1\n"
               "                    Quillmere Light version 2.0\n"
               "%1\n"
               "                         Описание программы\n"
               "1. Программа работает в фоновом режиме и показывает всплывающее окно, когда приходит "
               "интересующее вас сообщение.\n"
               "2. Программа слушает выбранный UDP-порт.\n"
               "3. На любом порту принятые байты показываются строкой текста в колонке сообщения.\n"
               "4. На порту 514 выполняется полная обработка сообщений syslog:\n"
               "      - встроенное добавление стандартных идентификаторов приоритета (уровни важности от 0 "
               "до 7);\n"
               "      - добавление идентификатора приоритета, который вас интересует (от 0 до 191);\n"
               "      - фильтрация по IP-адресу;\n"
               "      - фильтрация, наблюдение и всплывающие сообщения по уровню важности, по источнику "
               "сообщения, по идентификатору приоритета и по подстроке в тексте сообщения;\n"
               "      - журнал всплывающих сообщений с быстрым переходом к каждому из них.\n"
               "5. Запись сообщений в лог-файлы: отдельный файл для каждого идентификатора приоритета и "
               "новые "
               "файлы с началом каждых суток.\n"
               "6. Просмотр лог-файлов.\n"
               "\n"
               "\n")
        .arg(stars);
}

TfrmDescribe::TfrmDescribe(QWidget* parent) : QDialog(parent) {
    setObjectName("frmDescribe");
    setWindowTitle("Quillmere Describe");
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    setFixedSize(482, 318);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    RichEdit1 = new QTextEdit;
    RichEdit1->setObjectName("RichEdit1");
    RichEdit1->setFrameShape(QFrame::NoFrame);
    RichEdit1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    RichEdit1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    RichEdit1->setLineWrapMode(QTextEdit::WidgetWidth);
    RichEdit1->setAcceptRichText(false);
    RichEdit1->setFont(WindowFont());
    QPalette palette = RichEdit1->palette();
    palette.setColor(QPalette::Base, palette.color(QPalette::Button));
    palette.setColor(QPalette::Text, QColor(0, 0, 128));
    RichEdit1->setPalette(palette);
    RichEdit1->setPlainText(DescriptionText());

    auto* bar = new QStatusBar;
    bar->setSizeGripEnabled(false);
    statusPanel_ = new QLabel("   Quillmere Light v.2.0");
    statusPanel_->setObjectName("statusPanel");
    statusPanel_->setFrameShape(QFrame::Panel);
    statusPanel_->setFrameShadow(QFrame::Raised);
    bar->addWidget(statusPanel_, 1);
    layout->addWidget(RichEdit1, 1);
    layout->addWidget(bar);

    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

} // namespace qm
