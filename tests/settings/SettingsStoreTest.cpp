#include "settings/SettingsStore.h"
#include "support/StoreFactory.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#ifndef _WIN32
#include "support/SqliteLock.h"

#include <csignal>
#include <fcntl.h>
#include <linux/fs.h>
#include <random>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

using namespace qm;

namespace {

Options LoadedFrom(KeyStore& store) {
    Options o;
    o.ProgramDir = "/opt/q";
    EXPECT_TRUE(LoadOptions(store, o));
    return o;
}

// Runs on the SQLite file, and on the registry in the Windows build.
class SettingsStoreTest : public ::testing::Test {
protected:
    qmtest::TempDir dir;
    std::unique_ptr<KeyStore> owned = qmtest::MakeTestStore(dir);
    KeyStore& store = *owned;
    void SetUp() override { store.DeleteTree(kSettingsKey); }
    void TearDown() override { store.DeleteTree(kSettingsKey); }

    Options Load() { return LoadedFrom(store); }
};

TEST_F(SettingsStoreTest, FirstStartCreatesTheKeyAndYieldsDefaults) {
    const Options o = Load();
    EXPECT_TRUE(store.KeyExists(kSettingsKey));
    const GeneralOptions& g = o.General;
    EXPECT_EQ(g.Port, 514);
    EXPECT_EQ(g.LimitRows, 1000);
    EXPECT_EQ(g.LogDir, std::string("/opt/q") + kPathSeparator + "Log");
    EXPECT_TRUE(g.CloseToSysTray && g.ListenUnregisteredID && g.ListenUnregisteredIP &&
                g.WriteToLogWithFilter);
    EXPECT_FALSE(g.StayOnTop || g.AutoSizeGrid || g.WriteToLog || g.AutoListen || g.PopUpsProtocol ||
                 g.FilterIpFirst || g.WriteToLogUnknownID);
    EXPECT_TRUE(o.IdList.empty() && o.IpList.empty() && o.TokenList.empty());
}

TEST_F(SettingsStoreTest, NumbersAndBoolsReadFromEitherTypeOrFallBack) {
    store.WriteDword(kGeneralKey, "StayOnTop", 5);           // any non-zero number is true
    store.WriteText(kGeneralKey, "CloseToSysTray", "never"); // a word: the default
    store.WriteText(kGeneralKey, "Port", "514");
    store.WriteText(kGeneralKey, "limitrows", "-7"); // letter case of names is ignored
    store.WriteDword(kGeneralKey, "AutoListen", 0);
    store.WriteText(kGeneralKey, "WriteToLog", " 1"); // blanks are not part of a number
    store.WriteDword(kGeneralKey, "LogDir", 3);       // not text: the default
    const Options o = Load();
    EXPECT_TRUE(o.General.StayOnTop);
    EXPECT_TRUE(o.General.CloseToSysTray);
    EXPECT_EQ(o.General.Port, 514);
    EXPECT_EQ(o.General.LimitRows, -7);
    EXPECT_FALSE(o.General.AutoListen);
    EXPECT_FALSE(o.General.WriteToLog);
    EXPECT_EQ(o.General.LogDir, std::string("/opt/q") + kPathSeparator + "Log");
}

TEST_F(SettingsStoreTest, SaveWritesTheStoredFormsAndKeepsTextNumbersText) {
    store.WriteText(kGeneralKey, "Port", "514"); // as an imported file leaves it
    Options o = Load();
    o.General.Port = 1514;
    o.General.CloseToSysTray = false;
    o.General.LogDir = "C:\\Logs";
    ASSERT_TRUE(SaveOptions(store, o));
    auto port = store.ReadValue(kGeneralKey, "Port");
    EXPECT_EQ(port->type, ValueType::Text);
    EXPECT_EQ(port->text, "1514");
    auto limit = store.ReadValue(kGeneralKey, "LimitRows");
    EXPECT_EQ(limit->type, ValueType::Dword);
    EXPECT_EQ(limit->number, 1000u);
    EXPECT_EQ(store.ReadValue(kGeneralKey, "CloseToSysTray")->text, "0");
    EXPECT_EQ(store.ReadValue(kGeneralKey, "StayOnTop")->text, "0");
    if (qmtest::StoreKeepsCreationOrder()) {
        EXPECT_EQ(store.ValueNames(kGeneralKey),
                  (std::vector<std::string>{"Port", "StayOnTop", "WriteToLog", "CloseToSysTray",
                                            "AutoSizeGrid", "AutoListen", "PopUpsProtocol", "LimitRows",
                                            "LogDir", "ListenUnregisteredID", "ListenUnregisteredIP",
                                            "FilterIpFirst", "WriteToLogUnknownID", "WriteToLogWithFilter"}));
    }
    const Options back = Load();
    EXPECT_FALSE(back.General.CloseToSysTray);
    EXPECT_EQ(back.General.Port, 1514);
    EXPECT_EQ(back.General.LogDir, "C:\\Logs");
}

TEST_F(SettingsStoreTest, ListsRoundTripInOrderWithTrimmedNames) {
    Options o = Load();
    for (int i = 0; i < 20; ++i)
        o.TokenList.push_back(
            {"tok" + std::to_string((i * 7) % 20), i % 2 ? "Yes" : "No", std::to_string(i), "Yes"});
    o.IdList = {{.IdNumber = " 13 ",
                 .Name = "Router",
                 .Listen = "Yes",
                 .Token = "disk full",
                 .Color = "255",
                 .UseToken = "Yes",
                 .Popup = "No"},
                {.IdNumber = "5",
                 .Name = "NOTICE",
                 .Listen = "No",
                 .Token = "",
                 .Color = kWhite,
                 .UseToken = "No",
                 .Popup = "Yes"}};
    o.IpList = {{.Address = "10.0.0.1", .Name = "Core", .Listen = "Yes"}};
    ASSERT_TRUE(SaveOptions(store, o));
    EXPECT_EQ(store.ReadValue(kIdKey, "5")->text, "NOTICE,No,,16777215,No,Yes");
    const Options back = Load();
    ASSERT_EQ(back.TokenList.size(), 20u);
    if (qmtest::StoreKeepsCreationOrder()) {
        for (std::size_t i = 0; i < 20; ++i)
            EXPECT_EQ(back.TokenList[i].Token, o.TokenList[i].Token);
    }
    ASSERT_EQ(back.IdList.size(), 2u);
    EXPECT_EQ(back.IdList[0].IdNumber, "13");
    EXPECT_EQ(back.IdList[0].Token, "disk full"); // quoted in the store, whole again here
    EXPECT_EQ(back.IdList[1].Token, "");
    EXPECT_EQ(back.IpList[0].Name, "Core");
}

TEST_F(SettingsStoreTest, MalformedRowEmptiesOnlyItsListAndSurvivesTheNextSave) {
    store.WriteText(kIdKey, "13", "Router,Yes,,255,No,Yes");
    store.WriteText(kIpKey, "10.0.0.1", "Core Router,Yes"); // three fields
    store.WriteText(kIpKey, "10.0.0.2", "Edge,");           // one field
    store.WriteText(kTokenKey, "disk", "Yes,255,No");
    Options o = Load();
    EXPECT_TRUE(o.IpList.empty());
    EXPECT_EQ(o.IdList.size(), 1u);
    EXPECT_EQ(o.TokenList.size(), 1u);
    ASSERT_TRUE(SaveOptions(store, o));
    EXPECT_EQ(store.ReadValue(kIpKey, "10.0.0.1")->text, "Core Router,Yes");
    EXPECT_EQ(store.ValueNames(kIpKey).size(), 2u);

    o.IpList = {{.Address = "10.0.0.3", .Name = "New", .Listen = "Yes"}}; // edited: the list is written
    ASSERT_TRUE(SaveOptions(store, o));
    EXPECT_EQ(store.ValueNames(kIpKey), std::vector<std::string>{"10.0.0.3"});
}

TEST_F(SettingsStoreTest, NonTextRowReadsAsTheDefaultRow) {
    store.WriteDword(kTokenKey, "disk", 1);
    const Options o = Load();
    ASSERT_EQ(o.TokenList.size(), 1u);
    EXPECT_EQ(o.TokenList[0].Token, "disk");
    EXPECT_EQ(o.TokenList[0].UseToken, "No");
    EXPECT_EQ(o.TokenList[0].Color, kWhite);
}

TEST_F(SettingsStoreTest, EmptyListLeavesNoSubKey) {
    store.WriteText(kTokenKey, "old", "Yes,1,No");
    Options o = Load();
    o.TokenList.clear();
    ASSERT_TRUE(SaveOptions(store, o));
    EXPECT_FALSE(store.KeyExists(kTokenKey));
}

// The TCP port and the IPv6 choice live in a key of their own, never in
// the defined General key; a stored port out of range is no TCP.
TEST_F(SettingsStoreTest, NetworkOptionsInAKeyOfTheirOwn) {
    Options o = Load();
    EXPECT_EQ(o.Network, NetworkOptions{});
    o.Network = {.TcpPort = 1514, .IPv6 = true};
    ASSERT_TRUE(SaveOptions(store, o));
    EXPECT_EQ(store.ReadValue(kNetworkKey, "TcpPort")->number, 1514u);
    EXPECT_EQ(store.ReadValue(kNetworkKey, "IPv6")->text, "1");
    EXPECT_FALSE(store.ReadValue(kGeneralKey, "TcpPort"));
    EXPECT_EQ(Load().Network, o.Network);
    for (const char* hostile : {"99999", "-1", "port"}) {
        store.WriteText(kNetworkKey, "TcpPort", hostile);
        EXPECT_EQ(Load().Network.TcpPort, 0) << hostile;
    }
}

TEST_F(SettingsStoreTest, SaveBlockedWritesNothingAndClearLeavesTheEmptyKey) {
    Options o = Load();
    o.General.Port = 999;
    o.TokenList = {{.Token = "x", .UseToken = "Yes", .Color = "1", .Popup = "No"}};
    ASSERT_TRUE(SaveOptions(store, o));
    store.WriteText(kPlacementKey, "Visible", "1");
    ASSERT_TRUE(ClearOptions(store));
    o.SaveBlocked = true;
    ASSERT_TRUE(SaveOptions(store, o));
    EXPECT_TRUE(store.KeyExists(kSettingsKey));
    EXPECT_TRUE(store.SubKeys(kSettingsKey).empty());
    EXPECT_EQ(Load().General.Port, 514);
}

#ifndef _WIN32

// What only a file can show: locks, unreadable files, kills mid-save.
class SqliteSettingsTest : public ::testing::Test {
protected:
    qmtest::TempDir dir;
    SqliteKeyStore store{dir / "registry.sqlite"};

    Options Load() { return LoadedFrom(store); }
};

// Beside another process's write lock the settings are read (and a save
// waits, then says why); an exclusive lock is reported, not waited on forever.
TEST_F(SqliteSettingsTest, AStoreLockedByAnotherProcessIsReadWhereItCanBe) {
    Options stored;
    stored.General.Port = 1514;
    ASSERT_TRUE(SaveOptions(store, stored));
    SqliteKeyStore impatient(store.File(), 100);
    {
        qmtest::SqliteLock writer(store.File(), false);
        Options o;
        ASSERT_TRUE(LoadOptions(impatient, o));
        EXPECT_EQ(o.General.Port, 1514);
        const Result saved = SaveOptions(impatient, o);
        EXPECT_FALSE(saved);
        EXPECT_NE(saved.error.find("locked"), std::string::npos) << saved.error;
    }
    qmtest::SqliteLock exclusive(store.File(), true);
    Options o;
    const Result r = LoadOptions(impatient, o);
    EXPECT_FALSE(r);
    EXPECT_NE(r.error.find("locked"), std::string::npos) << r.error;
    exclusive.Release();
    EXPECT_TRUE(LoadOptions(impatient, o));
}

// Makes a file or folder unwritable, even for root (who ignores modes):
// the immutable flag where the file system has one, the mode otherwise.
bool SetWritable(const std::filesystem::path& path, bool writable) {
    if (geteuid() != 0) return chmod(path.c_str(), writable ? 0755 : 0555) == 0;
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    int flags = 0;
    bool ok = ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
    flags = writable ? flags & ~FS_IMMUTABLE_FL : flags | FS_IMMUTABLE_FL;
    ok = ok && ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
    ::close(fd);
    return ok;
}

// A full or read-only disk costs nothing of what can be read: the settings
// load, and a save says why.
TEST_F(SqliteSettingsTest, AReadOnlyStoreStillLoads) {
    Options stored;
    stored.General.Port = 1514;
    ASSERT_TRUE(SaveOptions(store, stored));
    const auto folder = store.File().parent_path();
    if (!SetWritable(store.File(), false) || !SetWritable(folder, false))
        GTEST_SKIP() << "this file system cannot make a file unwritable";
    SqliteKeyStore readOnly(store.File());
    Options o;
    const Result loaded = LoadOptions(readOnly, o);
    const Result saved = SaveOptions(readOnly, o);
    SetWritable(folder, true);
    SetWritable(store.File(), true);
    ASSERT_TRUE(loaded) << loaded.error;
    EXPECT_EQ(o.General.Port, 1514);
    EXPECT_FALSE(saved);
    EXPECT_NE(saved.error.find("cannot be written"), std::string::npos) << saved.error;
}

TEST_F(SqliteSettingsTest, FailedLoadLeavesTheRecordAndReportsWhy) {
    std::filesystem::create_directories(store.File()); // cannot be opened as a file
    Options o;
    o.General.Port = 4242;
    const Result r = LoadOptions(store, o);
    EXPECT_FALSE(r);
    EXPECT_FALSE(r.error.empty());
    EXPECT_EQ(o.General.Port, 4242);
    EXPECT_FALSE(SaveOptions(store, o));
}

// A save killed at any moment leaves the old or the new settings, whole.
TEST_F(SqliteSettingsTest, KillDuringSaveLeavesOneWholeVersion) {
    auto version = [](int v) {
        Options o;
        o.General.Port = 1000 + v;
        for (int i = 0; i < 60; ++i)
            o.TokenList.push_back({.Token = "t" + std::to_string(i),
                                   .UseToken = "Yes",
                                   .Color = std::to_string(v),
                                   .Popup = "No"});
        return o;
    };
    ASSERT_TRUE(SaveOptions(store, version(0)));
    std::mt19937 random(12345);
    for (int round = 0; round < 100; ++round) {
        const pid_t pid = fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            SqliteKeyStore child(store.File());
            for (int v = 1;; v = v % 2 + 1)
                (void)SaveOptions(child, version(v));
        }
        usleep(1000 + random() % 8000);
        kill(pid, SIGKILL);
        waitpid(pid, nullptr, 0);
        const Options o = Load();
        const int v = o.General.Port - 1000;
        ASSERT_TRUE(v >= 0 && v <= 2) << o.General.Port;
        ASSERT_EQ(o.TokenList.size(), 60u);
        for (const TokenEntry& t : o.TokenList)
            ASSERT_EQ(t.Color, std::to_string(v));
    }
}

#endif

} // namespace
