// The list pages' grids without widgets: adding, presets, deleting, moving,
// the check before saving, and what OK takes over.
#include "settings/OptionsLists.h"

#include <gtest/gtest.h>

using namespace qm;

namespace {

ListGrid Ids(std::vector<std::vector<std::string>> rows) {
    ListGrid g(IdColumns);
    g.SetRows(std::move(rows));
    return g;
}
ListGrid Ips(std::vector<std::vector<std::string>> rows) {
    ListGrid g(IpColumns);
    g.SetRows(std::move(rows));
    return g;
}
ListGrid Tokens(std::vector<std::vector<std::string>> rows) {
    ListGrid g(TkColumns);
    g.SetRows(std::move(rows));
    return g;
}

TEST(ListGrid, AnEmptyListShowsOneBlankRow) {
    EXPECT_EQ(IdGridFrom({}).RowCount(), 1);
    EXPECT_EQ(TokenGridFrom({}).Cell(0, TkToken), "");
}

TEST(ListGrid, AddsOnlyAfterACompleteLastRow) {
    ListGrid ids = Ids({{"Router", ""}});
    EXPECT_FALSE(AddIdRow(ids)); // no number yet
    ids.SetCell(0, IdNo, "13");
    EXPECT_TRUE(AddIdRow(ids));
    EXPECT_EQ(ids.RowCount(), 2);
    EXPECT_EQ(ids.Current(), 1);
    ListGrid ips = Ips({{"Core", ""}}); // a name alone completes an IP row
    EXPECT_TRUE(AddKeyedRow(ips));
    EXPECT_FALSE(AddKeyedRow(ips));
}

TEST(ListGrid, AllPresetsOnAnEmptyListFillEightRows) {
    ListGrid ids = IdGridFrom({});
    for (int level = 0; level < 8; ++level)
        AddSeverityPreset(ids, level);
    ASSERT_EQ(ids.RowCount(), 8);
    const char* names[] = {"EMERG", "ALERT", "CRIT", "ERR", "WARN", "NOTICE", "INFO", "DEBUG"};
    for (int r = 0; r < 8; ++r) {
        EXPECT_EQ(ids.Cell(r, IdName), names[r]);
        EXPECT_EQ(ids.Cell(r, IdNo), std::to_string(r));
        EXPECT_EQ(ids.Cell(r, IdListen), "No");
        EXPECT_EQ(ids.Cell(r, IdColor), kSeverityColours[static_cast<std::size_t>(r)]);
        EXPECT_EQ(ids.Cell(r, IdUseToken), "No");
        EXPECT_EQ(ids.Cell(r, IdPopup), ""); // left as it was
    }
    EXPECT_EQ(ids.Current(), 7);
}

TEST(ListGrid, APresetNeverOverwritesACompleteEntry) {
    ListGrid ids =
        Ids({{"Router", "13", "Yes", "", "255", "No", "Yes"}, {"Half", "", "", "", "", "", "Yes"}});
    ids.SetCurrent(0);
    AddSeverityPreset(ids, 3);
    EXPECT_EQ(ids.Cell(0, IdName), "Router");
    EXPECT_EQ(ids.Cell(1, IdName), "ERR");
    EXPECT_EQ(ids.Cell(1, IdPopup), "Yes");
    EXPECT_EQ(ids.Current(), 1);
}

TEST(ListGrid, DeleteKeepsEveryColumnTogether) {
    ListGrid t = Tokens({{"a", "Yes", "1", "No"}, {"b", "No", "2", "Yes"}, {"c", "Yes", "3", "No"}});
    t.SetCurrent(1);
    t.DeleteCurrentRow();
    EXPECT_EQ(t.Current(), 1);
    EXPECT_EQ(t.Cell(1, TkToken), "c");
    EXPECT_EQ(t.Cell(1, TkColor), "3");
    EXPECT_EQ(t.Cell(1, TkPopup), "No");
    t.DeleteCurrentRow(); // the last: the new last row becomes current
    EXPECT_EQ(t.Current(), 0);
    t.DeleteCurrentRow(); // the only row: one blank row remains
    EXPECT_EQ(t.RowCount(), 1);
    EXPECT_EQ(t.Cell(0, TkToken), "");
}

TEST(ListGrid, TokensMoveWithTheirCells) {
    ListGrid t = Tokens({{"A"}, {"B", "Yes", "9"}, {"C"}});
    t.SetCurrent(1);
    EXPECT_TRUE(t.MoveCurrent(-1));
    EXPECT_EQ(t.Cell(0, TkToken), "B");
    EXPECT_EQ(t.Cell(0, TkColor), "9");
    EXPECT_EQ(t.Current(), 0);
    EXPECT_FALSE(t.MoveCurrent(-1));
    t.MoveCurrent(1);
    t.MoveCurrent(1);
    EXPECT_EQ(t.Cell(0, TkToken), "A");
    EXPECT_EQ(t.Cell(1, TkToken), "C");
    EXPECT_EQ(t.Cell(2, TkToken), "B");
    EXPECT_FALSE(t.MoveCurrent(1));
}

TEST(ValidateLists, BlankOrCommaBoxWinsOverDuplicates) {
    const ListGrid ids = Ids({{"Core Router", "1"}, {"X", "2"}, {"X", "3"}});
    const Result c = ValidateLists(ids, Ips({}), Tokens({}));
    EXPECT_FALSE(c.ok);
    EXPECT_EQ(c.error, "Error on saving list: \rUser definded name for ID or IP\r"
                      "do not contain blank or comma symbols.\rChange values and save result again.");
    EXPECT_FALSE(ValidateLists(Ids({{"Router,", "1"}}), Ips({}), Tokens({})).ok);
    EXPECT_TRUE(ValidateLists(Ids({{"Router ", "1"}}), Ips({}), Tokens({})).ok); // trimmed
}

TEST(ValidateLists, DuplicatesAreListedFromBothRows) {
    const Result ids = ValidateLists(Ids({{"Dup", "1"}, {"Dup", "2"}}), Ips({}), Tokens({}));
    EXPECT_EQ(ids.error,
              "Error on saving list: \r(Name ID list)\rDoubleValue:UserID-Dup\rDoubleValue:UserID-Dup\r"
              "Change values and save result again.");
    const Result ips =
        ValidateLists(Ids({}), Ips({{"Core", "10.0.0.1"}, {"Core", "10 .0  .0  .1  "}}), Tokens({}));
    EXPECT_EQ(ips.error, "Error on saving list: \r(IP address list)\r(Name IP list)\r"
                        "DoubleValue:IP-10.0.0.1\rDoubleUserValue:IP-Core\r"
                        "DoubleValue:IP-10.0.0.1\rDoubleUserValue:IP-Core\r"
                        "Change values and save result again.");
    const Result both =
        ValidateLists(Ids({{"A", "5"}, {"B", "5"}}), Ips({}), Tokens({{"disk"}, {"DISK"}}));
    EXPECT_EQ(both.error,
              "Error on saving list: \r(ID number list)\r(Token list)\r"
              "DoubleValue:ID-5\rDoubleValue:ID-5\rDoubleValue:Token-disk\rDoubleValue:Token-DISK\r"
              "Change values and save result again.");
    EXPECT_TRUE(ValidateLists(Ids({{"A", ""}, {"B", ""}}), Ips({}), Tokens({{"disk"}, {"disk full"}})).ok);
}

// Named IP rows with blank addresses would meet in one stored value: they
// are duplicates. A single one, and rows with neither name nor address, pass.
TEST(ValidateLists, NamedIpRowsWithBlankAddressesAreDuplicates) {
    const Result two = ValidateLists(Ids({}), Ips({{"Core", ""}, {"Edge", "  "}}), Tokens({}));
    EXPECT_EQ(two.error, "Error on saving list: \r(IP address list)\rDoubleValue:IP-\rDoubleValue:IP-\r"
                         "Change values and save result again.");
    EXPECT_TRUE(ValidateLists(Ids({}), Ips({{"Core", ""}, {"", ""}, {"", ""}}), Tokens({})).ok);
    EXPECT_TRUE(ValidateLists(Ids({}), Ips({{"Core", ""}, {"Edge", "10.0.0.1"}}), Tokens({})).ok);
}

// IPv6 entries: any way of writing one address is stored as the one text
// the program writes for that sender, so two of them are duplicates; what
// is no address is refused with its text.
TEST(ValidateLists, IPv6EntriesAreStoredInTheirOneFormOrRefused) {
    ListGrid ids(IdColumns), tokens(TkColumns), ips(IpColumns);
    const auto row = [&](const char* address, const char* name) {
        AddKeyedRow(ips);
        const int r = ips.RowCount() - 1;
        ips.SetCell(r, IpAddress, address);
        ips.SetCell(r, IpName, name);
    };
    row("2001:0DB8::0001", "one");
    row("10.0.0.1", "two");
    EXPECT_TRUE(ValidateLists(ids, ips, tokens));
    const std::vector<IpEntry> taken = TakeIpList(ips);
    ASSERT_EQ(taken.size(), 2u);
    EXPECT_EQ(taken[0].Address, "2001:db8::1");
    EXPECT_EQ(taken[1].Address, "10.0.0.1");
    row("2001:db8:0:0::1", "three");
    const Result doubled = ValidateLists(ids, ips, tokens);
    EXPECT_NE(doubled.error.find("DoubleValue:IP-2001:db8::1"), std::string::npos) << doubled.error;
    ips.SetCell(2, IpAddress, "2001:db8::zz");
    const Result refused = ValidateLists(ids, ips, tokens);
    EXPECT_NE(refused.error.find("'2001:db8::zz' is not a valid IPv6 address"), std::string::npos) << refused.error;
}

TEST(TakeLists, DropIncompleteRowsAndFillDefaults) {
    ListGrid ids = Ids({{" Router ", " 13 ", "", "a b", "", "", ""}, {"NoNumber", ""}, {"", "7"}});
    const std::vector<IdEntry> idList = TakeIdList(ids);
    ASSERT_EQ(idList.size(), 1u);
    EXPECT_EQ(idList[0].IdNumber, "13");
    EXPECT_EQ(idList[0].Name, "Router");
    EXPECT_EQ(idList[0].Listen, "No");
    EXPECT_EQ(idList[0].Token, "a b");
    EXPECT_EQ(idList[0].Color, "16777215");
    EXPECT_EQ(idList[0].UseToken, "No");
    EXPECT_EQ(idList[0].Popup, "Yes");

    ListGrid ips = Ips({{"Core", "10 .0  .0  .1  ", ""}, {"", "10.0.0.2", "Yes"}, {"Gw", "", "Yes"}});
    const std::vector<IpEntry> ipList = TakeIpList(ips);
    ASSERT_EQ(ipList.size(), 2u);
    EXPECT_EQ(ipList[0].Address, "10.0.0.1");
    EXPECT_EQ(ipList[0].Listen, "No");
    EXPECT_EQ(ipList[1].Address, "");

    ListGrid tokens = Tokens({{"disk"}, {"  "}});
    const std::vector<TokenEntry> tokenList = TakeTokenList(tokens);
    ASSERT_EQ(tokenList.size(), 1u);
    EXPECT_EQ(tokenList[0].UseToken, "No");
    EXPECT_EQ(tokenList[0].Color, "16777215");
    EXPECT_EQ(tokenList[0].Popup, "Yes");
}

} // namespace
