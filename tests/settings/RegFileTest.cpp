#include "settings/RegFile.h"
#include "support/StoreFactory.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

using namespace qm;

namespace {

class RegFileTest : public ::testing::Test {
protected:
    qmtest::TempDir dir;
    std::unique_ptr<KeyStore> owned = qmtest::MakeTestStore(dir);
    KeyStore& store = *owned;
    void SetUp() override {
        for (const char* key : {"Software\\tovrel\\Ferrowick", "Software\\A", "Software\\C", "S"})
            store.DeleteTree(key);
    }
    void TearDown() override { SetUp(); }

    bool Merge(const std::string& text, std::string* error = nullptr) {
        std::vector<RegChange> changes;
        const Result parsed = ParseRegFile(text, changes);
        if (error) *error = parsed.error;
        if (!parsed.ok) return false;
        KeyStoreTransaction t(store);
        ApplyRegChanges(store, changes);
        t.Commit();
        return true;
    }
};

TEST_F(RegFileTest, MergesTheExportedLayoutWithItsLoneCrSeparators) {
    store.WriteText("Software\\tovrel\\Ferrowick\\ID", "99", "Old,No,,1,No,Yes");
    const std::string file = "Windows Registry Editor Version 5.00\r\n\r\r\n"
                             "[HKEY_CURRENT_USER\\Software\\tovrel\\Ferrowick\\General]\r\n\r\r\n"
                             "\"LogDir\"=\"C:\\\\Program Files\\\\Log \\\"x\\\"\"\r\n"
                             "\"Port\"=\"514\"\r\n\r\r\n"
                             "[HKCU\\Software\\tovrel\\Ferrowick\\ID]\n"
                             "; a comment\n"
                             "\"13\"=\"Router,Yes,,255,No,Yes\"\r"
                             "\"Limit\"=dword:0000000A\r\n"
                             "@=\"default\"\r\n";
    std::string error;
    ASSERT_TRUE(Merge(file, &error)) << error;
    EXPECT_EQ(store.ReadValue("Software\\tovrel\\Ferrowick\\General", "LogDir")->text,
              "C:\\Program Files\\Log \"x\"");
    EXPECT_EQ(store.ReadValue("Software\\tovrel\\Ferrowick\\ID", "Limit")->number, 10u);
    EXPECT_EQ(store.ReadValue("Software\\tovrel\\Ferrowick\\ID", "")->text, "default");
    // Merging keeps what the file does not name.
    if (qmtest::StoreKeepsCreationOrder()) {
        EXPECT_EQ(store.ValueNames("Software\\tovrel\\Ferrowick\\ID"),
                  (std::vector<std::string>{"99", "13", "Limit", ""}));
    }
    EXPECT_EQ(store.ValueNames("Software\\tovrel\\Ferrowick\\ID").size(), 4u);
}

TEST_F(RegFileTest, DeletesKeysAndValues) {
    store.WriteText("Software\\A\\B", "x", "1");
    store.WriteText("Software\\C", "keep", "1");
    store.WriteText("Software\\C", "drop", "1");
    ASSERT_TRUE(
        Merge("REGEDIT4\n[-HKEY_CURRENT_USER\\Software\\A]\n[HKEY_CURRENT_USER\\Software\\C]\n\"drop\"=-\n"));
    EXPECT_FALSE(store.KeyExists("Software\\A"));
    EXPECT_EQ(store.ValueNames("Software\\C"), std::vector<std::string>{"keep"});
}

TEST_F(RegFileTest, InvalidFilesNameTheLineAndChangeNothing) {
    struct Case {
        std::string text;
        std::string expected;
    };
    const std::vector<Case> cases = {
        {"", "line 1"},
        {"Not a registry file\n", "line 1"},
        {"REGEDIT4\n[HKEY_LOCAL_MACHINE\\Software]\n", "line 2: only keys under HKEY_CURRENT_USER"},
        {"REGEDIT4\n[HKCU\\S]\n\"a\"=\"1\"\n\"b\"=hex:01,02\n", "line 4: only text"},
        {"REGEDIT4\n\"a\"=\"1\"\n", "line 2: a value must follow"},
        {"REGEDIT4\n[HKCU\\S]\n\"a\"=\"unclosed\n", "line 3"},
        {"REGEDIT4\n[HKCU\\S]\n\"a\"=dword:123456789\n", "line 3: dword"},
        {"REGEDIT4\n[HKCU\\S\n", "line 2"},
        {"REGEDIT4\n[HKCU\\S\\" + std::string(256, 'k') + "]\n", "line 2: a key name is longer than 255"},
        {std::string("R\0E", 3), "NUL"},
    };
    for (const Case& c : cases) {
        std::string error;
        EXPECT_FALSE(Merge(c.text, &error)) << c.text;
        EXPECT_NE(error.find(c.expected), std::string::npos) << error;
    }
    EXPECT_FALSE(store.KeyExists("S"));
}

// The registry nests keys 512 levels deep at most: a deeper file is refused
// with its line, the deepest allowed one merges and exports whole.
TEST_F(RegFileTest, KeysNestAsDeepAsTheRegistryAllowsAndNoDeeper) {
    const auto nested = [](std::size_t levels) {
        std::string path = "S";
        for (std::size_t i = 1; i < levels; ++i)
            path += "\\" + std::string(3, static_cast<char>('a' + i % 26));
        return path;
    };
    std::string error;
    EXPECT_FALSE(Merge("REGEDIT4\n; deep\n[HKCU\\" + nested(513) + "]\n", &error));
    EXPECT_NE(error.find("line 3: keys nest at most 512 levels deep"), std::string::npos) << error;
#ifndef _WIN32 // Wine's registry refuses a path this long before its depth; the stand-in's store takes it
    ASSERT_TRUE(Merge("REGEDIT4\n[HKCU\\" + nested(512) + "]\n\"v\"=\"deep\"\n", &error)) << error;
    EXPECT_EQ(store.ReadValue(nested(512), "v")->text, "deep");
    const std::string exported = ExportRegKey(store, "S");
    EXPECT_NE(exported.find("[HKEY_CURRENT_USER\\" + nested(512) + "]\r\n\"v\"=\"deep\"\r\n"), std::string::npos);
#endif
}

#ifndef _WIN32
TEST_F(RegFileTest, ExportThenMergeGivesTheSameTree) {
    store.WriteText("Software\\tovrel\\Ferrowick\\General", "LogDir", "C:\\Log\\\"q\"");
    store.WriteDword("Software\\tovrel\\Ferrowick\\General", "LimitRows", 1000);
    store.WriteText("Software\\tovrel\\Ferrowick\\ID", "13", "Router,Yes,\"a b\",255,No,Yes");
    const std::string exported = ExportRegKey(store, "Software\\tovrel\\Ferrowick");
    EXPECT_NE(exported.find("\"LimitRows\"=dword:000003e8\r\n"), std::string::npos) << exported;
    EXPECT_NE(exported.find("\"LogDir\"=\"C:\\\\Log\\\\\\\"q\\\"\"\r\n"), std::string::npos) << exported;

    SqliteKeyStore other(dir / "other.sqlite");
    std::vector<RegChange> changes;
    const Result parsed = ParseRegFile(exported, changes);
    ASSERT_TRUE(parsed.ok) << parsed.error;
    ApplyRegChanges(other, changes);
    EXPECT_EQ(ExportRegKey(other, "Software\\tovrel\\Ferrowick"), exported);
    EXPECT_THROW(ExportRegKey(store, "Software\\Missing"), KeyStoreError);
}
#endif

} // namespace
