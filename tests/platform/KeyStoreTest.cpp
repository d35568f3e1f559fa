// The contract every key store keeps: the SQLite file here, the Windows
// registry in the Windows build (under a key of the tests' own).
#include "support/StoreFactory.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

#ifndef _WIN32
#include <sqlite3.h>
#endif

using namespace qm;

namespace {

const std::string kBase = "Software\\QuillmereTest";
std::string Key(const std::string& rest) {
    return kBase + "\\" + rest;
}

class KeyStoreContract : public ::testing::Test {
protected:
    qmtest::TempDir dir;
    std::unique_ptr<KeyStore> owned = qmtest::MakeTestStore(dir);
    KeyStore& store = *owned;
    void SetUp() override { store.DeleteTree(kBase); }
    void TearDown() override { store.DeleteTree(kBase); }
};

TEST_F(KeyStoreContract, TypedValuesRoundTripByteForByte) {
    const std::string bytes("a\xB6\xFF\x01 z", 6);
    store.WriteText(Key("A"), "Text", bytes);
    store.WriteDword(Key("A"), "Num", 0xFFFFFFFEu);
    auto text = store.ReadValue(Key("A"), "Text");
    auto num = store.ReadValue(Key("A"), "Num");
    ASSERT_TRUE(text && num);
    EXPECT_EQ(text->type, ValueType::Text);
    EXPECT_EQ(text->text, bytes);
    EXPECT_EQ(num->type, ValueType::Dword);
    EXPECT_EQ(num->number, 0xFFFFFFFEu);
    EXPECT_FALSE(store.ReadValue(Key("A"), "Missing"));
    EXPECT_FALSE(store.ReadValue(Key("Nowhere"), "Text"));
}

TEST_F(KeyStoreContract, NamesIgnoreLetterCaseAndKeepCreationOrder) {
    store.WriteText(Key("K"), "b", "1");
    store.WriteText(Key("K"), "A", "2");
    store.WriteText(Key("K"), "c", "3");
    store.WriteText(FoldCase(Key("K")), "B", "overwritten"); // keeps its place and its first spelling
    if (qmtest::StoreKeepsCreationOrder()) {
        EXPECT_EQ(store.ValueNames(Key("k")), (std::vector<std::string>{"b", "A", "c"}));
    }
    EXPECT_EQ(store.ValueNames(Key("k")).size(), 3u);
    EXPECT_EQ(store.ReadValue(Key("K"), "b")->text, "overwritten");
    EXPECT_TRUE(store.KeyExists("SOFTWARE\\quillmeretest"));
}

// A number that an imported file left as text stays text when written again.
TEST_F(KeyStoreContract, TypeChangesInPlace) {
    store.WriteDword(Key("K"), "Port", 514);
    store.WriteText(Key("K"), "Other", "x");
    store.WriteText(Key("K"), "port", "600");
    EXPECT_EQ(store.ReadValue(Key("K"), "Port")->type, ValueType::Text);
    if (qmtest::StoreKeepsCreationOrder()) {
        EXPECT_EQ(store.ValueNames(Key("K")), (std::vector<std::string>{"Port", "Other"}));
    }
}

TEST_F(KeyStoreContract, DeleteTreeRemovesOnlyThatSubtree) {
    store.WriteText(Key("F\\ID"), "1", "x");
    store.WriteText(Key("F\\ID\\Deep"), "2", "y");
    store.WriteText(Key("F\\IDX"), "3", "z"); // shares the prefix, not the tree
    store.DeleteTree(FoldCase(Key("F\\ID")));
    EXPECT_FALSE(store.KeyExists(Key("F\\ID")));
    EXPECT_FALSE(store.KeyExists(Key("F\\ID\\Deep")));
    EXPECT_TRUE(store.ValueNames(Key("F\\ID\\Deep")).empty());
    EXPECT_EQ(store.ReadValue(Key("F\\IDX"), "3")->text, "z");
    EXPECT_EQ(store.SubKeys(Key("F")), (std::vector<std::string>{"IDX"}));
    store.DeleteTree(Key("Missing")); // passed over
    store.DeleteValue(Key("F\\IDX"), "3");
    EXPECT_FALSE(store.ReadValue(Key("F\\IDX"), "3"));
}

#ifndef _WIN32

class SqliteKeyStoreTest : public ::testing::Test {
protected:
    qmtest::TempDir dir;
    SqliteKeyStore store{dir / "tovrel" / "registry.sqlite"};
};

TEST_F(SqliteKeyStoreTest, RolledBackTransactionLeavesNothing) {
    store.WriteText("K", "keep", "old");
    {
        KeyStoreTransaction t(store);
        store.WriteText("K", "keep", "new");
        store.WriteText("K", "added", "x");
    } // no commit
    EXPECT_EQ(store.ReadValue("K", "keep")->text, "old");
    EXPECT_FALSE(store.ReadValue("K", "added"));
}

TEST_F(SqliteKeyStoreTest, CorruptFileIsKeptAsideAndReplaced) {
    std::filesystem::create_directories(store.File().parent_path());
    std::string garbage(4096, 'x');
    qmtest::WriteFile(store.File(), "SQLite format 3" + garbage);
    store.WriteText("K", "v", "1");
    EXPECT_EQ(store.ReadValue("K", "v")->text, "1");
    const std::string notice = store.TakeNotice();
    EXPECT_NE(notice.find("kept as"), std::string::npos) << notice;
    EXPECT_TRUE(store.TakeNotice().empty());
    int aside = 0;
    for (auto& entry : std::filesystem::directory_iterator(store.File().parent_path()))
        if (entry.path().filename().string().find(".corrupt-") != std::string::npos) {
            ++aside;
            EXPECT_EQ(qmtest::ReadFile(entry.path()), "SQLite format 3" + garbage);
        }
    EXPECT_EQ(aside, 1);
}

// Two damaged files kept aside within one second keep both copies.
TEST_F(SqliteKeyStoreTest, EveryDamagedCopyIsKeptUnderANameOfItsOwn) {
    std::filesystem::create_directories(store.File().parent_path());
    for (const char* garbage : {"first damage", "second damage"}) {
        qmtest::WriteFile(store.File(), std::string("SQLite format 3") + garbage + std::string(4096, 'x'));
        SqliteKeyStore started(store.File()); // a start of the program
        KeyStoreTransaction t(started);
        started.WriteText("K", "v", "1");
        t.Commit();
        EXPECT_NE(started.TakeNotice().find("kept as"), std::string::npos);
    }
    std::vector<std::string> kept;
    for (auto& entry : std::filesystem::directory_iterator(store.File().parent_path()))
        if (entry.path().filename().string().find(".corrupt-") != std::string::npos)
            kept.push_back(qmtest::ReadFile(entry.path()).substr(15, 12));
    std::sort(kept.begin(), kept.end());
    EXPECT_EQ(kept, (std::vector<std::string>{"first damage", "second damag"}));
}

// Files written by the earlier layout (whole paths per key) load, in order.
TEST_F(SqliteKeyStoreTest, AStoreOfTheEarlierLayoutStillLoads) {
    std::filesystem::create_directories(store.File().parent_path());
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(store.File().c_str(), &db), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(db,
                           "CREATE TABLE keys(seq INTEGER PRIMARY KEY AUTOINCREMENT, path_fold BLOB NOT NULL UNIQUE,"
                           " path BLOB NOT NULL);"
                           "CREATE TABLE vals(seq INTEGER PRIMARY KEY AUTOINCREMENT, key_fold BLOB NOT NULL,"
                           " name_fold BLOB NOT NULL, name BLOB NOT NULL, type INTEGER NOT NULL, data BLOB NOT NULL,"
                           " UNIQUE(key_fold, name_fold));"
                           "INSERT INTO keys(path_fold, path) VALUES(CAST('software' AS BLOB), CAST('Software' AS BLOB)),"
                           " (CAST('software\\ids' AS BLOB), CAST('Software\\IDs' AS BLOB));"
                           "INSERT INTO vals(key_fold, name_fold, name, type, data) VALUES"
                           " (CAST('software\\ids' AS BLOB), CAST('b' AS BLOB), CAST('b' AS BLOB), 1, CAST('2' AS BLOB)),"
                           " (CAST('software\\ids' AS BLOB), CAST('a' AS BLOB), CAST('A' AS BLOB), 1, CAST('1' AS BLOB)),"
                           " (CAST('software\\ids' AS BLOB), CAST('n' AS BLOB), CAST('N' AS BLOB), 4,"
                           " X'02010000');",
                           nullptr, nullptr, nullptr),
              SQLITE_OK);
    sqlite3_close(db);
    EXPECT_EQ(store.ValueNames("software\\IDS"), (std::vector<std::string>{"b", "A", "N"}));
    EXPECT_EQ(store.ReadValue("Software\\IDs", "a")->text, "1");
    EXPECT_EQ(store.ReadValue("Software\\IDs", "N")->number, 258u);
    EXPECT_EQ(store.SubKeys("Software"), std::vector<std::string>{"IDs"});
    store.WriteText("Software\\IDs", "c", "3"); // written in the new layout from then on
    SqliteKeyStore again(store.File());
    EXPECT_EQ(again.ValueNames("Software\\IDs"), (std::vector<std::string>{"b", "A", "N", "c"}));
}

// However deep the keys nest, the store holds each name once: the deepest
// tree the registry allows, with the longest names, stays small.
TEST_F(SqliteKeyStoreTest, DeepKeysCostTheirNamesOnly) {
    std::string path;
    for (int level = 0; level < 512; ++level)
        path += (level ? "\\" : "") + std::string(255, static_cast<char>('a' + level % 26));
    {
        KeyStoreTransaction t(store);
        store.WriteText(path, "v", "deep");
        t.Commit();
    }
    EXPECT_EQ(store.ReadValue(path, "v")->text, "deep");
    EXPECT_LT(std::filesystem::file_size(store.File()), 10u << 20);
    store.DeleteTree(path.substr(0, 255));
    EXPECT_FALSE(store.KeyExists(path));
}

TEST_F(SqliteKeyStoreTest, UnopenableFileRaisesAClearError) {
    std::filesystem::create_directories(store.File()); // a folder where the file belongs
    try {
        store.WriteText("K", "v", "1");
        FAIL() << "no error";
    } catch (const KeyStoreError& e) {
        EXPECT_NE(std::string(e.what()).find(store.File().string()), std::string::npos);
    }
}

TEST(DefaultRegistryFile, FollowsXdgConfigHome) {
    const char* old = std::getenv("XDG_CONFIG_HOME");
    const std::string saved = old ? old : "";
    const std::string home = std::getenv("HOME") ? std::getenv("HOME") : "";
    setenv("XDG_CONFIG_HOME", "/tmp/cfg", 1);
    EXPECT_EQ(DefaultRegistryFile(), std::filesystem::path("/tmp/cfg/tovrel/registry.sqlite"));
    setenv("XDG_CONFIG_HOME", "", 1);
    setenv("HOME", "/home/op", 1);
    EXPECT_EQ(DefaultRegistryFile(), std::filesystem::path("/home/op/.config/tovrel/registry.sqlite"));
    setenv("HOME", home.c_str(), 1);
    if (old)
        setenv("XDG_CONFIG_HOME", saved.c_str(), 1);
    else
        unsetenv("XDG_CONFIG_HOME");
}

#endif

} // namespace
