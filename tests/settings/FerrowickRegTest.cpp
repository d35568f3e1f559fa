// The registry editor's stand-in, run as the import runs it: a separate process.
#include "support/Process.h"
#include "settings/SettingsStore.h"
#include "platform/SqliteKeyStore.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

using namespace qm;

namespace {

class FerrowickRegTest : public ::testing::Test {
protected:
    qmtest::TempDir dir;
    std::map<std::string, std::string> env{{"XDG_CONFIG_HOME", (dir / "config").string()}};
    std::filesystem::path registry = dir / "config" / "tovrel" / "registry.sqlite";

    qmtest::ProcessResult Reg(std::vector<std::string> args) {
        args.insert(args.begin(), qmtest::BinPath("ferrowick-reg"));
        return qmtest::RunProcess(args, env);
    }
};

TEST_F(FerrowickRegTest, MergesIntoTheUsersStoreAndExportsItBack) {
    const auto file = dir / "in.qmr";
    qmtest::WriteFile(file, "Windows Registry Editor Version 5.00\r\n\r\r\n"
                            "[HKEY_CURRENT_USER\\Software\\tovrel\\Ferrowick\\General]\r\n\r\r\n"
                            "\"Port\"=\"1514\"\r\n\"AutoListen\"=\"1\"\r\n");
    auto merged = Reg({file.string()});
    ASSERT_EQ(merged.exitCode, 0) << merged.output;

    SqliteKeyStore store(registry);
    Options o;
    ASSERT_TRUE(LoadOptions(store, o));
    EXPECT_EQ(o.General.Port, 1514);
    EXPECT_TRUE(o.General.AutoListen);

    const auto out = dir / "out.reg";
    auto exported = Reg({"/e", out.string(), "HKEY_CURRENT_USER\\Software\\tovrel\\Ferrowick"});
    ASSERT_EQ(exported.exitCode, 0) << exported.output;
    EXPECT_EQ(qmtest::ReadFile(out), "Windows Registry Editor Version 5.00\r\n\r\n"
                                     "[HKEY_CURRENT_USER\\Software\\tovrel\\Ferrowick]\r\n\r\n"
                                     "[HKEY_CURRENT_USER\\Software\\tovrel\\Ferrowick\\General]\r\n"
                                     "\"Port\"=\"1514\"\r\n\"AutoListen\"=\"1\"\r\n\r\n");
}

TEST_F(FerrowickRegTest, AFileThatFailsHalfWayChangesNothing) {
    const auto good = dir / "good.qmr";
    qmtest::WriteFile(good, "REGEDIT4\n[HKCU\\Software\\tovrel\\Ferrowick\\General]\n\"Port\"=\"600\"\n");
    ASSERT_EQ(Reg({good.string()}).exitCode, 0);
    const auto bad = dir / "bad.qmr";
    qmtest::WriteFile(bad, "REGEDIT4\n[HKCU\\Software\\tovrel\\Ferrowick\\General]\n\"Port\"=\"700\"\n"
                           "[HKEY_LOCAL_MACHINE\\Software]\n");
    auto r = Reg({bad.string()});
    EXPECT_NE(r.exitCode, 0);
    EXPECT_NE(r.output.find("line 4"), std::string::npos) << r.output;
    SqliteKeyStore store(registry);
    EXPECT_EQ(store.ReadValue(kGeneralKey, "Port")->text, "600");
}

// Whatever cannot be read ends in one line naming the file and the reason, a
// failing status and an untouched store; an export that fails keeps the file
// that was there.
TEST_F(FerrowickRegTest, InputThatCannotBeReadEndsInOneLineAndChangesNothing) {
    const auto good = dir / "good.qmr";
    qmtest::WriteFile(good, "REGEDIT4\n[HKCU\\Software\\tovrel\\Ferrowick\\General]\n\"Port\"=\"600\"\n");
    ASSERT_EQ(Reg({good.string()}).exitCode, 0);
    std::filesystem::create_directory(dir / "folder");
    ASSERT_EQ(mkfifo((dir / "fifo").c_str(), 0600), 0);
    const std::pair<std::filesystem::path, std::string> inputs[] = {
        {dir / "none.qmr", "No such file or directory"},
        {dir / "folder", "it is a folder"},
        {dir / "fifo", "it is not a regular file"},
    };
    for (const auto& [file, reason] : inputs) {
        const auto r = Reg({file.string()});
        EXPECT_EQ(r.exitCode, 1) << file;
        EXPECT_EQ(r.output, "ferrowick-reg: cannot read " + file.string() + ": " + reason +
                                "; nothing was imported\n");
    }
    SqliteKeyStore store(registry);
    EXPECT_EQ(store.ReadValue(kGeneralKey, "Port")->text, "600");

    const auto earlier = dir / "earlier.reg";
    qmtest::WriteFile(earlier, "kept");
    EXPECT_NE(Reg({"/e", earlier.string(), "HKEY_CURRENT_USER\\Software\\Nothing"}).exitCode, 0);
    EXPECT_EQ(qmtest::ReadFile(earlier), "kept");
    EXPECT_NE(Reg({}).exitCode, 0);
}

// An export stopped by the file-size limit (a full disk stands for it) is
// a failure like any other: the old file stays and nothing is left beside it.
TEST_F(FerrowickRegTest, AnExportCutShortLeavesTheOldFileAndNoTemporaryOne) {
    {
        SqliteKeyStore store(registry);
        for (int i = 0; i < 200; ++i)
            store.WriteText(kIpKey, "10.0.0." + std::to_string(i), "Host" + std::to_string(i) + ",Yes");
    }
    const auto target = dir / "out" / "export.reg";
    std::filesystem::create_directories(target.parent_path());
    qmtest::WriteFile(target, "the old export");
    // ulimit -f counts blocks of 512 or 1024 bytes: either way far less than the export.
    const auto r = qmtest::RunProcess({"/bin/sh", "-c",
                                       "ulimit -f 2; exec \"$0\" /e \"$1\" 'HKEY_CURRENT_USER\\Software\\tovrel'",
                                       qmtest::BinPath("ferrowick-reg"), target.string()},
                                      env);
    EXPECT_EQ(r.exitCode, 1) << r.output; // not killed by SIGXFSZ (153)
    EXPECT_EQ(qmtest::ReadFile(target), "the old export");
    int files = 0;
    for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(target.parent_path()))
        ++files;
    EXPECT_EQ(files, 1);
}

} // namespace
