#include "settings/OptionsExport.h"
#include "settings/RegFile.h"
#include "settings/SettingsStore.h"
#include "support/StoreFactory.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

using namespace qm;

namespace {

// The expected files are written out here, not produced by the code under test.
const std::string kHead = "Windows Registry Editor Version 5.00\r\n\r\r\n"
                          "[HKEY_CURRENT_USER\\Software\\tovrel]\r\n\r\r\n"
                          "[HKEY_CURRENT_USER\\Software\\tovrel\\Ferrowick]\r\n\r\r\n"
                          "[HKEY_CURRENT_USER\\Software\\tovrel\\Ferrowick\\General]\r\n\r\r\n";

TEST(OptionsExport, DefaultsWithEmptyListsByteForByte) {
    Options o;
    o.General.LogDir = "C:\\Program Files\\Quillmere\\Log";
    const std::string expected = kHead +
                                 "\"StayOnTop\"=\"0\"\r\n"
                                 "\"WriteToLog\"=\"0\"\r\n"
                                 "\"CloseToSysTray\"=\"1\"\r\n"
                                 "\"AutoSizeGrid\"=\"0\"\r\n"
                                 "\"AutoListen\"=\"0\"\r\n"
                                 "\"Port\"=\"514\"\r\n"
                                 "\"LogDir\"=\"C:\\\\Program Files\\\\Quillmere\\\\Log\"\r\n"
                                 "\"ListenUnregisteredID\"=\"1\"\r\n"
                                 "\"ListenUnregisteredIP\"=\"1\"\r\n"
                                 "\"FilterIpFirst\"=\"0\"\r\n"
                                 "\"PopUpsProtocol\"=\"0\"\r\n"
                                 "\"WriteToLogUnknownID\"=\"0\"\r\n"
                                 "\r\r\n[HKEY_CURRENT_USER\\Software\\tovrel\\Ferrowick\\ID]\r\n\r\r\n"
                                 "\r\r\n[HKEY_CURRENT_USER\\Software\\tovrel\\Ferrowick\\IP]\r\n\r\r\n"
                                 "\r\r\n[HKEY_CURRENT_USER\\Software\\tovrel\\Ferrowick\\Token]\r\n\r\r\n";
    EXPECT_EQ(BuildExportFile(o), expected);
}

TEST(OptionsExport, EntriesInListOrderWithEscapes) {
    Options o;
    o.General.LogDir = "D:\\Log";
    o.IdList = {{.IdNumber = "3",
                 .Name = "Three",
                 .Listen = "Yes",
                 .Token = "",
                 .Color = "255",
                 .UseToken = "No",
                 .Popup = "Yes"},
                {.IdNumber = "11",
                 .Name = "Eleven",
                 .Listen = "No",
                 .Token = "say \"hi\"",
                 .Color = "1",
                 .UseToken = "Yes",
                 .Popup = "No"},
                {.IdNumber = "27",
                 .Name = "Back\\slash",
                 .Listen = "No",
                 .Token = "",
                 .Color = "2",
                 .UseToken = "No",
                 .Popup = "Yes"}};
    o.IpList = {{.Address = "10.0.0.1", .Name = "Core", .Listen = "Yes"}};
    for (const char* t : {"e", "d", "c", "b", "a"})
        o.TokenList.push_back({.Token = t, .UseToken = "Yes", .Color = "65280", .Popup = "No"});
    const std::string file = BuildExportFile(o);
    EXPECT_NE(file.find("\"LogDir\"=\"D:\\\\Log\"\r\n"), std::string::npos);
    EXPECT_NE(file.find("[HKEY_CURRENT_USER\\Software\\tovrel\\Ferrowick\\ID]\r\n\r\r\n"
                        "\"3\"=\"Three,Yes,,255,No,Yes\"\r\n"
                        "\"11\"=\"Eleven,No,\\\"say \\\"\\\"hi\\\"\\\"\\\",1,Yes,No\"\r\n"
                        "\"27\"=\"Back\\\\slash,No,,2,No,Yes\"\r\n\r\r\n"),
              std::string::npos)
        << file;
    EXPECT_NE(file.find("\"10.0.0.1\"=\"Core,Yes\"\r\n"), std::string::npos);
    const std::string tail = "\"e\"=\"Yes,65280,No\"\r\n\"d\"=\"Yes,65280,No\"\r\n\"c\"=\"Yes,65280,No\"\r\n"
                             "\"b\"=\"Yes,65280,No\"\r\n\"a\"=\"Yes,65280,No\"\r\n";
    EXPECT_EQ(file.substr(file.size() - tail.size()), tail); // nothing after the last token
    // The registry editor's stand-in reads every line of it.
    std::vector<RegChange> changes;
    const Result parsed = ParseRegFile(file, changes);
    ASSERT_TRUE(parsed.ok) << parsed.error;
}

// The listeners beyond the defined ones follow the defined sections, and
// only when set; the store takes them back through the registry editor's
// format, and a file without them leaves them as they are.
TEST(OptionsExport, TheNetworkSectionOnlyWhenSetAndBackThroughTheEditor) {
    Options o;
    o.General.LogDir = "D:\\Log";
    const std::string defined = BuildExportFile(o);
    o.Network = {.TcpPort = 1514, .IPv6 = true};
    EXPECT_EQ(BuildExportFile(o), defined +
                                      "\r\r\n[HKEY_CURRENT_USER\\Software\\tovrel\\Ferrowick\\Network]\r\n\r\r\n"
                                      "\"TcpPort\"=\"1514\"\r\n\"IPv6\"=\"1\"\r\n");
    o.Network = {.TcpPort = 0, .IPv6 = true}; // what is default stays out
    EXPECT_EQ(BuildExportFile(o), defined +
                                      "\r\r\n[HKEY_CURRENT_USER\\Software\\tovrel\\Ferrowick\\Network]\r\n\r\r\n"
                                      "\"IPv6\"=\"1\"\r\n");

    qmtest::TempDir dir;
    auto store = qmtest::MakeTestStore(dir);
    store->DeleteTree(kSettingsKey);
    const auto import = [&](const std::string& file) {
        std::vector<RegChange> changes;
        ASSERT_TRUE(ParseRegFile(file, changes));
        ApplyRegChanges(*store, changes);
    };
    o.Network = {.TcpPort = 1514, .IPv6 = true};
    import(BuildExportFile(o));
    Options back;
    ASSERT_TRUE(LoadOptions(*store, back));
    EXPECT_EQ(back.Network, o.Network);
    import(defined); // no Network section: nothing of it changes
    ASSERT_TRUE(LoadOptions(*store, back));
    EXPECT_EQ(back.Network, o.Network);
    ASSERT_TRUE(ClearOptions(*store));
    EXPECT_FALSE(store->KeyExists(kNetworkKey));
    store->DeleteTree(kSettingsKey);
}

} // namespace
