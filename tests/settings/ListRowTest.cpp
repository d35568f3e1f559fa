#include "settings/ListRow.h"

#include <gtest/gtest.h>

using namespace qm;
using Fields = std::vector<std::string>;

namespace {

struct SplitCase {
    const char* name;
    std::string row;
    Fields fields;
    friend void PrintTo(const SplitCase& c, std::ostream* os) { *os << c.name; }
};

class SplitListRowTest : public ::testing::TestWithParam<SplitCase> {};

TEST_P(SplitListRowTest, CutsAsStored) {
    EXPECT_EQ(SplitListRow(GetParam().row), GetParam().fields);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, SplitListRowTest,
    ::testing::Values(SplitCase{"EmptyTokenSurvives",
                                "UserID,No,,16777215,No,Yes",
                                {"UserID", "No", "", "16777215", "No", "Yes"}},
                      SplitCase{"BlankInsideSplits", "Core Router,Yes", {"Core", "Router", "Yes"}},
                      SplitCase{"TrailingCommaAddsNothing", "Router,", {"Router"}},
                      SplitCase{"LeadingBlanksSkipped", " \t Router,Yes", {"Router", "Yes"}},
                      SplitCase{"BlanksAroundCommaSkipped", "a , b", {"a", "b"}},
                      SplitCase{"QuotedKeepsBlanksAndCommas", "\"a b,c\",Yes", {"a b,c", "Yes"}},
                      SplitCase{"DoubledQuoteIsOne", "\"say \"\"hi\"\"\",x", {"say \"hi\"", "x"}},
                      SplitCase{"UnclosedQuoteRunsToEnd", "\"abc", {"abc"}},
                      SplitCase{"QuoteInsidePlainFieldIsText", "ab\"c,d", {"ab\"c", "d"}},
                      SplitCase{"EmptyText", "", {}}, SplitCase{"OnlyBlanks", "   ", {}},
                      SplitCase{"LeadingCommaGivesEmptyField", ",x", {"", "x"}},
                      SplitCase{"NulEndsTheRow", std::string("a,b\0,c", 6), {"a", "b"}},
                      SplitCase{"EightBitBytesAreText", "\xC3\xB6l,Yes", {"\xC3\xB6l", "Yes"}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(JoinListRow, PlainFieldsAreWrittenAsTheyStand) {
    IdEntry e{"13", "UserID", "No", "", "16777215", "No", "Yes"};
    EXPECT_EQ(IdListRow(e), "UserID,No,,16777215,No,Yes");
    EXPECT_EQ(IpListRow({.Address = "10.0.0.1", .Name = "Router", .Listen = "Yes"}), "Router,Yes");
    EXPECT_EQ(TokenListRow({.Token = "disk", .UseToken = "Yes", .Color = "255", .Popup = "No"}),
              "Yes,255,No");
}

TEST(JoinListRow, FieldsThePlainFormCannotCarryRoundTrip) {
    const std::vector<Fields> cases = {
        {"Name", "Yes", "disk full", "255", "Yes", "No"},
        {"Name", "Yes", "a,b", "255", "Yes", "No"},
        {"Name", "Yes", "\"quoted\" start", "255", "Yes", "No"},
        {"Name", "Yes", "tab\there", "255", "Yes", "No"},
        {"Name", "Yes", "tok", "255", "Yes", ""}, // empty last field
        {"", "Yes"},
    };
    for (const Fields& f : cases)
        EXPECT_EQ(SplitListRow(JoinListRow(f)), f) << JoinListRow(f);
    EXPECT_EQ(JoinListRow({"N", "Yes", "disk full", "1", "No", "Yes"}), "N,Yes,\"disk full\",1,No,Yes");
}

} // namespace
