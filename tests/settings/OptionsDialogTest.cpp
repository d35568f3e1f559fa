// The options dialog, driven through its real widgets and keys.
#include "ScriptedDialogs.h"
#include "TempDir.h"
#include "unitOptions.h"

#include <QCalendarWidget>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <gtest/gtest.h>

using namespace qm;

namespace {

class FakeHost : public OptionsHost {
public:
    int idRow = 0, ipRow = 0;
    int prepared = 0, filled = 0, titled = 0, repainted = 0, takenOver = 0;
    int SelectedIdFilterRow() const override { return idRow; }
    int SelectedIpFilterRow() const override { return ipRow; }
    bool PrepareDayFilesForced() override {
        ++prepared;
        return true;
    }
    void FillFilterExplorer() override { ++filled; }
    void SetTitle() override { ++titled; }
    void RepaintProcessTable() override { ++repainted; }
    void OptionsTakenOver() override { ++takenOver; }
};

class OptionsDialogTest : public ::testing::Test {
protected:
    Options options;
    FakeHost host;
    qmtest::ScriptedDialogs dialogs;
    std::unique_ptr<TfrmOptions> dialog;

    TfrmOptions& Open(int page = 0) {
        dialog = std::make_unique<TfrmOptions>(options, host, dialogs);
        dialog->SelectPage(page);
        dialog->show();
        dialog->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(dialog.get()));
        return *dialog;
    }
    void Type(QLineEdit* edit, const QString& text) {
        edit->setFocus();
        edit->selectAll();
        QTest::keyClicks(edit, text);
    }
    void ClickTab(int index) {
        QTabBar* bar = dialog->tabPage->tabBar();
        QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(index).center());
        QCoreApplication::processEvents();
    }
};

TEST_F(OptionsDialogTest, RendersEveryPage) {
    options.IdList = {{"13", "Router", "Yes", "", "255", "No", "Yes"}, {"5", "NOTICE", "No", "", "16711680", "No", "Yes"}};
    options.IpList = {{"10.0.0.1", "Core", "Yes"}};
    options.TokenList = {{"disk", "Yes", "65280", "No"}};
    TfrmOptions& d = Open();
    const char* out = std::getenv("QM_SCREENSHOT_DIR");
    qmtest::TempDir dir;
    const std::filesystem::path folder = out ? std::filesystem::path(out) : dir.path();
    for (int page = 0; page < 5; ++page) {
        d.SelectPage(page);
        QCoreApplication::processEvents();
        const auto file = folder / ("options-page" + std::to_string(page) + ".png");
        ASSERT_TRUE(d.grab().save(QString::fromStdString(file.string())));
    }
    EXPECT_EQ(d.windowTitle(), "  Options");
    EXPECT_EQ(d.tabPage->tabText(1), "ID/Rfc Listing ");
    EXPECT_EQ(d.btnOk->text(), QString::fromUtf8("\u041E\u041A"));
}

} // namespace
