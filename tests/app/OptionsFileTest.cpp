// Export, import through ferrowick-reg, and clearing, from the real window.
#include "AppFixture.h"
#include "support/DayFileLine.h"

#include <QDir>
#include "reception/Columns.h"
#include "settings/OptionsExport.h"

#include <QAction>
#include <QListWidget>
#include <QTableView>

using namespace qm;

namespace {

class OptionsFileTest : public qmtest::AppFixture {
protected:
    QString Path(const char* name) { return QString::fromStdString((dir / name).string()); }
};

TEST_F(OptionsFileTest, ExportWritesTheOptionsInMemory) {
    store.WriteText(kIdKey, "13", "Router,Yes,,255,No,Yes");
    TfrmUDP& w = Start(false);
    // Changed this run, not saved yet: the listen flag through the filter explorer.
    IdFilter()->item(0)->setCheckState(Qt::Unchecked);
    dialogs.files = {Path("out.qmr")};
    Act("actExportOptions")->trigger();
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(dialogs.shown[0].kind, "save");
    EXPECT_EQ(dialogs.shown[0].caption, "Saving Options from Registry to Quillmere opt file");
    EXPECT_EQ(dialogs.shown[0].file.fileName, "SysLog.qmr");
    EXPECT_EQ(dialogs.shown[0].file.filter, "Quillmere opt files (*.qmr)|*.qmr|AllFiles (*.*)|*.*");
    const std::string file = qmtest::ReadFile(dir / "out.qmr");
    EXPECT_EQ(file, BuildExportFile(w.CurrentOptions()));
    EXPECT_NE(file.find("\"13\"=\"Router,No,,255,No,Yes\"\r\n"), std::string::npos);

    // The dialog's path with forward slashes, as Qt gives it; the box in the
    // system's own notation.
    dialogs.files = {QDir::fromNativeSeparators(Path("no/such/folder/out.qmr"))};
    Act("actExportOptions")->trigger();
    ASSERT_EQ(dialogs.Messages().size(), 1u);
    EXPECT_EQ(dialogs.Messages()[0].text,
              "Cannot create file " + QDir::toNativeSeparators(Path("no/such/folder/out.qmr")) + ".");
}

TEST_F(OptionsFileTest, ImportMergesAndReloads) {
    if (!qmtest::UserStoreIsTheTests()) GTEST_SKIP() << "the registry editor would write the operator's settings";
    store.WriteText(kIdKey, "13", "Router,Yes,,255,No,Yes");
    store.WriteDword(kGeneralKey, "LimitRows", 77);
    store.WriteText(kGeneralKey, "WriteToLogWithFilter", "0");
    qmtest::WriteFile(dir / "in.qmr", "Windows Registry Editor Version 5.00\r\n\r\r\n"
                                      "[HKEY_CURRENT_USER\\Software\\tovrel\\Ferrowick\\General]\r\n\r\r\n"
                                      "\"AutoListen\"=\"1\"\r\n\r\r\n"
                                      "[HKEY_CURRENT_USER\\Software\\tovrel\\Ferrowick\\ID]\r\n\r\r\n"
                                      "\"14\"=\"Switch,No,,1,No,Yes\"\r\n");
    TfrmUDP& w = Start(false);
    dialogs.files = {Path("in.qmr")};
    QTest::keyClick(Process(), Qt::Key_I, Qt::ControlModifier);
    EXPECT_EQ(dialogs.shown[0].caption, "Add Quillmere opt file to Registry");
    EXPECT_EQ(dialogs.shown[0].file.filter, "Quillmere opt files (*.qmr)|*.qmr|All files (*.*)|*.*");
    ASSERT_EQ(dialogs.Messages().size(), 1u);
    EXPECT_EQ(dialogs.Messages()[0].caption, "Restart Quillmere");
    EXPECT_EQ(dialogs.Messages()[0].text, "Quillmere file \r" + Path("in.qmr") +
                                              "\rsuccessfully load to Registry.\r"
                                              "Well, please close programm and execute it again.");
    ASSERT_EQ(w.CurrentOptions().IdList.size(), 2u); // the union
    EXPECT_EQ(w.CurrentOptions().IdList[1].Name, "Switch");
    EXPECT_TRUE(w.CurrentOptions().General.AutoListen);
    EXPECT_EQ(w.CurrentOptions().General.LimitRows, 77);
    EXPECT_FALSE(w.CurrentOptions().General.WriteToLogWithFilter);
    EXPECT_EQ(IdFilter()->count(), 2);
}

TEST_F(OptionsFileTest, RejectedFileOrMissingEditorIsNeverASuccess) {
#ifdef _WIN32
    GTEST_SKIP() << "regedit.exe reports a rejected file itself (exit status 0) and is always there";
#endif
    qmtest::WriteFile(dir / "bad.qmr", "not a registry file\r\n");
    store.WriteText(kIdKey, "13", "Router,Yes,,255,No,Yes");
    TfrmUDP& w = Start(false);
    IdFilter()->item(0)->setCheckState(Qt::Unchecked); // in memory only: a reload would lose it
    dialogs.files = {Path("bad.qmr")};
    Act("actImportOptions")->trigger();
    ASSERT_EQ(dialogs.Messages().size(), 1u);
    EXPECT_EQ(dialogs.Messages()[0].caption, "Error load Quillmere opt");
    EXPECT_EQ(dialogs.Messages()[0].text,
              "Error occured durring load \r" + Path("bad.qmr") + "\rfile to Registry.");
    EXPECT_EQ(dialogs.Messages()[0].icon, BoxIcon::Error);
    EXPECT_EQ(w.CurrentOptions().IdList[0].Listen, "No");

    registryEditor = (dir / "no-such-editor").string();
    Start(false);
    dialogs.shown.clear();
    dialogs.files = {Path("bad.qmr")};
    Act("actImportOptions")->trigger();
    ASSERT_EQ(dialogs.Messages().size(), 1u);
    EXPECT_EQ(dialogs.Messages()[0].caption, "Error load Quillmere opt");
}

TEST_F(OptionsFileTest, ClearAsksThenNothingIsWrittenAtShutdown) {
    store.WriteText(kIdKey, "13", "Router,Yes,,255,No,Yes");
    TfrmUDP& w = Start(false);
    dialogs.answers = {false};
    QTest::keyClick(Process(), Qt::Key_D, Qt::ControlModifier);
    EXPECT_EQ(dialogs.shown[0].caption, "Registry cleaner");
    EXPECT_EQ(dialogs.shown[0].text, "Do you want to delete all program entires from Registry?");
    EXPECT_TRUE(store.KeyExists(kIdKey));

    dialogs.answers = {true};
    Act("actClearRegistry")->trigger();
    EXPECT_TRUE(w.CurrentOptions().SaveBlocked);
    EXPECT_TRUE(store.SubKeys(kSettingsKey).empty());
    // Export still writes the options in memory.
    dialogs.files = {Path("after.qmr")};
    Act("actExportOptions")->trigger();
    EXPECT_NE(qmtest::ReadFile(dir / "after.qmr").find("Router"), std::string::npos);
    w.Shutdown();
    EXPECT_TRUE(store.SubKeys(kSettingsKey).empty());
    EXPECT_TRUE(store.KeyExists(kSettingsKey));
}

TEST_F(OptionsFileTest, ExportClearImportRoundTrip) {
    if (!qmtest::UserStoreIsTheTests()) GTEST_SKIP() << "the registry editor would write the operator's settings";
    store.WriteText(kIdKey, "13", "Router,Yes,\"disk full\",255,No,Yes");
    store.WriteText(kIpKey, "10.0.0.1", "Core,No");
    store.WriteText(kTokenKey, "disk", "Yes,65280,No");
    store.WriteText(kGeneralKey, "LogDir", "C:\\Log");
    TfrmUDP& w = Start(false);
    const Options before = w.CurrentOptions();
    dialogs.files = {Path("all.qmr")};
    Act("actExportOptions")->trigger();
    dialogs.answers = {true};
    Act("actClearRegistry")->trigger();
    dialogs.files = {Path("all.qmr")};
    Act("actImportOptions")->trigger();
    w.Shutdown(); // blocked since the clear: the imported values stay
    Start(false);
    const Options& after = window->CurrentOptions();
    EXPECT_EQ(after.General.LogDir, "C:\\Log");
    EXPECT_EQ(after.General.Port, 0);
    ASSERT_EQ(after.IdList.size(), 1u);
    EXPECT_EQ(after.IdList[0].Token, "disk full");
    EXPECT_EQ(after.IpList[0].Listen, "No");
    EXPECT_EQ(after.TokenList[0].Color, "65280");
    EXPECT_EQ(BuildExportFile(after), BuildExportFile(before));
}

// Names the ANSI code page cannot hold, made new by the export (a Windows
// export once failed with "Cannot create file"), imported, and viewed: each
// file is opened with the name as the operator gave it.
TEST_F(OptionsFileTest, NamesTheCodePageCannotHoldAreExportedImportedAndViewed) {
    if (!qmtest::UserStoreIsTheTests()) GTEST_SKIP() << "the registry editor would write the operator's settings";
    store.WriteText(kIdKey, "13", "Router,Yes,,255,No,Yes");
    TfrmUDP& w = Start(false);
    const auto name = [](const std::filesystem::path& p) {
        const std::u8string utf8 = p.u8string();
        return QString::fromUtf8(reinterpret_cast<const char*>(utf8.data()), static_cast<qsizetype>(utf8.size()));
    };
    const std::filesystem::path options = dir.Path() / std::filesystem::path(u8"wide-\u0142.qmr");
    ASSERT_FALSE(std::filesystem::exists(options));
    dialogs.files = {name(options)};
    Act("actExportOptions")->trigger();
    for (const auto& box : dialogs.Messages())
        ADD_FAILURE() << box.text.toStdString();
    EXPECT_EQ(qmtest::ReadFile(options), BuildExportFile(w.CurrentOptions()));

    dialogs.files = {name(options)};
    Act("actImportOptions")->trigger();
    ASSERT_EQ(dialogs.Messages().size(), 1u);
    EXPECT_EQ(dialogs.Messages()[0].caption, "Restart Quillmere");

    const std::filesystem::path log = dir.Path() / std::filesystem::path(u8"20261206-\u0142\u00f3d\u017a.log");
    qmtest::WriteFile(log, qmtest::DayFileLine({.message = "seen in the viewer"}));
    dialogs.files = {name(log)};
    OpenLog();
    EXPECT_EQ(Viewer()->model()->index(0, ColMessage).data().toString(), "seen in the viewer");
    EXPECT_EQ(dialogs.Messages().size(), 1u); // no refusal
}

} // namespace
