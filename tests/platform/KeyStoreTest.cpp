// The contract every key store keeps: the SQLite file here, the Windows
// registry in the Windows build (under a key of the tests' own).
#include "support/StoreFactory.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cstdlib>

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
    void SetUp() override { store.deleteTree(kBase); }
    void TearDown() override { store.deleteTree(kBase); }
};

TEST_F(KeyStoreContract, TypedValuesRoundTripByteForByte) {
    const std::string bytes("a\xB6\xFF\x01 z", 6);
    store.writeText(Key("A"), "Text", bytes);
    store.writeDword(Key("A"), "Num", 0xFFFFFFFEu);
    auto text = store.readValue(Key("A"), "Text");
    auto num = store.readValue(Key("A"), "Num");
    ASSERT_TRUE(text && num);
    EXPECT_EQ(text->type, ValueType::Text);
    EXPECT_EQ(text->text, bytes);
    EXPECT_EQ(num->type, ValueType::Dword);
    EXPECT_EQ(num->number, 0xFFFFFFFEu);
    EXPECT_FALSE(store.readValue(Key("A"), "Missing"));
    EXPECT_FALSE(store.readValue(Key("Nowhere"), "Text"));
}

TEST_F(KeyStoreContract, NamesIgnoreLetterCaseAndKeepCreationOrder) {
    store.writeText(Key("K"), "b", "1");
    store.writeText(Key("K"), "A", "2");
    store.writeText(Key("K"), "c", "3");
    store.writeText(foldCase(Key("K")), "B", "overwritten"); // keeps its place and its first spelling
    if (qmtest::StoreKeepsCreationOrder()) {
        EXPECT_EQ(store.valueNames(Key("k")), (std::vector<std::string>{"b", "A", "c"}));
    }
    EXPECT_EQ(store.valueNames(Key("k")).size(), 3u);
    EXPECT_EQ(store.readValue(Key("K"), "b")->text, "overwritten");
    EXPECT_TRUE(store.keyExists("SOFTWARE\\quillmeretest"));
}

// A number that an imported file left as text stays text when written again.
TEST_F(KeyStoreContract, TypeChangesInPlace) {
    store.writeDword(Key("K"), "Port", 514);
    store.writeText(Key("K"), "Other", "x");
    store.writeText(Key("K"), "port", "600");
    EXPECT_EQ(store.readValue(Key("K"), "Port")->type, ValueType::Text);
    if (qmtest::StoreKeepsCreationOrder()) {
        EXPECT_EQ(store.valueNames(Key("K")), (std::vector<std::string>{"Port", "Other"}));
    }
}

TEST_F(KeyStoreContract, DeleteTreeRemovesOnlyThatSubtree) {
    store.writeText(Key("F\\ID"), "1", "x");
    store.writeText(Key("F\\ID\\Deep"), "2", "y");
    store.writeText(Key("F\\IDX"), "3", "z"); // shares the prefix, not the tree
    store.deleteTree(foldCase(Key("F\\ID")));
    EXPECT_FALSE(store.keyExists(Key("F\\ID")));
    EXPECT_FALSE(store.keyExists(Key("F\\ID\\Deep")));
    EXPECT_TRUE(store.valueNames(Key("F\\ID\\Deep")).empty());
    EXPECT_EQ(store.readValue(Key("F\\IDX"), "3")->text, "z");
    EXPECT_EQ(store.subKeys(Key("F")), (std::vector<std::string>{"IDX"}));
    store.deleteTree(Key("Missing")); // passed over
    store.deleteValue(Key("F\\IDX"), "3");
    EXPECT_FALSE(store.readValue(Key("F\\IDX"), "3"));
}

#ifndef _WIN32

class SqliteKeyStoreTest : public ::testing::Test {
protected:
    qmtest::TempDir dir;
    SqliteKeyStore store{dir / "tovrel" / "registry.sqlite"};
};

TEST_F(SqliteKeyStoreTest, RolledBackTransactionLeavesNothing) {
    store.writeText("K", "keep", "old");
    {
        KeyStoreTransaction t(store);
        store.writeText("K", "keep", "new");
        store.writeText("K", "added", "x");
    } // no commit
    EXPECT_EQ(store.readValue("K", "keep")->text, "old");
    EXPECT_FALSE(store.readValue("K", "added"));
}

TEST_F(SqliteKeyStoreTest, CorruptFileIsKeptAsideAndReplaced) {
    std::filesystem::create_directories(store.file().parent_path());
    std::string garbage(4096, 'x');
    qmtest::WriteFile(store.file(), "SQLite format 3" + garbage);
    store.writeText("K", "v", "1");
    EXPECT_EQ(store.readValue("K", "v")->text, "1");
    const std::string notice = store.takeNotice();
    EXPECT_NE(notice.find("kept as"), std::string::npos) << notice;
    EXPECT_TRUE(store.takeNotice().empty());
    int aside = 0;
    for (auto& entry : std::filesystem::directory_iterator(store.file().parent_path()))
        if (entry.path().filename().string().find(".corrupt-") != std::string::npos) {
            ++aside;
            EXPECT_EQ(qmtest::ReadFile(entry.path()), "SQLite format 3" + garbage);
        }
    EXPECT_EQ(aside, 1);
}

TEST_F(SqliteKeyStoreTest, UnopenableFileRaisesAClearError) {
    std::filesystem::create_directories(store.file()); // a folder where the file belongs
    try {
        store.writeText("K", "v", "1");
        FAIL() << "no error";
    } catch (const KeyStoreError& e) {
        EXPECT_NE(std::string(e.what()).find(store.file().string()), std::string::npos);
    }
}

TEST(DefaultRegistryFile, FollowsXdgConfigHome) {
    const char* old = std::getenv("XDG_CONFIG_HOME");
    const std::string saved = old ? old : "";
    const std::string home = std::getenv("HOME") ? std::getenv("HOME") : "";
    setenv("XDG_CONFIG_HOME", "/tmp/cfg", 1);
    EXPECT_EQ(defaultRegistryFile(), std::filesystem::path("/tmp/cfg/tovrel/registry.sqlite"));
    setenv("XDG_CONFIG_HOME", "", 1);
    setenv("HOME", "/home/op", 1);
    EXPECT_EQ(defaultRegistryFile(), std::filesystem::path("/home/op/.config/tovrel/registry.sqlite"));
    setenv("HOME", home.c_str(), 1);
    if (old)
        setenv("XDG_CONFIG_HOME", saved.c_str(), 1);
    else
        unsetenv("XDG_CONFIG_HOME");
}

#endif

} // namespace
