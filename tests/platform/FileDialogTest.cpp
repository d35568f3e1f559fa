// The real file dialog, driven by the keyboard: "All fales (*.*)" lists every
// file, those without a dot in their names too.
#include "platform/qt/Dialogs.h"
#include "support/TempDir.h"
#include "support/Widgets.h"

#include <QApplication>
#include <QComboBox>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QLineEdit>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

using namespace qm;

namespace {

TEST(FileDialogTest, EveryFileFilterListsNamesWithoutADot) {
#ifdef _WIN32
    GTEST_SKIP() << "Windows shows its own file dialog, where *.* lists every file";
#endif
    qmtest::TempDir dir;
    for (const char* name : {"messages", "20261206-Router.log"})
        qmtest::WriteFile(dir / name, "x");
    const QString folder = QString::fromStdString(dir.Path().string());
    bool hiddenByLogFilter = false, listedByEveryFile = false;
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        ASSERT_TRUE(dialog);
        auto* files = dialog->findChild<QFileSystemModel*>();
        // Among the folder's rows, and enabled: a file the filter refuses is
        // hidden or greyed.
        const auto shows = [&](const QString& name) {
            const QModelIndex parent = files->index(folder);
            for (int r = 0; r < files->rowCount(parent); ++r) {
                const QModelIndex file = files->index(r, 0, parent);
                if (files->fileName(file) == name && (files->flags(file) & Qt::ItemIsEnabled)) return true;
            }
            return false;
        };
        const auto listed = [&] { return shows("messages"); };
        ASSERT_TRUE(qmtest::WaitUntil([&] { return shows("20261206-Router.log"); }));
        hiddenByLogFilter = !listed();
        auto* types = dialog->findChild<QComboBox*>("fileTypeCombo");
        types->setFocus();
        QTest::keyClick(types, Qt::Key_Down); // "All fales (*.*)"
        EXPECT_EQ(types->currentText(), "All fales (*.*)");
        listedByEveryFile = qmtest::WaitUntil(listed);
        auto* name = dialog->findChild<QLineEdit*>("fileNameEdit");
        name->setText("messages");
        QTest::keyClick(name, Qt::Key_Return);
    });
    QtDialogService dialogs;
    const std::optional<QString> chosen =
        dialogs.OpenFile(nullptr, {"Open Log-file", folder, QString(), "Log files (*.log)|*.log|All fales (*.*)|*.*"});
    EXPECT_TRUE(hiddenByLogFilter);
    EXPECT_TRUE(listedByEveryFile);
    ASSERT_TRUE(chosen);
    EXPECT_EQ(*chosen, folder + "/messages");
}

} // namespace
