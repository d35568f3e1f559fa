// The standard forms, parsed for display: what real senders send, and what a
// hostile one might.
#include "reception/StructuredSyslog.h"

#include <gtest/gtest.h>

using namespace qm;
using Form = StructuredMessage::Form;
using namespace std::string_literals;

namespace {

TEST(StructuredSyslog, Rfc5424) {
    const StructuredMessage m = ParseStructured(
        "<165>1 2003-10-11T22:14:15.003Z mymachine.example.com evntslog - ID47 [exampleSDID@32473 iut=\"3\" "
        "eventSource=\"Application\"][meta q=\"a\\\"b\\\\c\\]d\"] \xEF\xBB\xBF"
        "An application event");
    ASSERT_EQ(m.form, Form::Rfc5424) << m.problem;
    EXPECT_EQ(m.priority, "165");
    EXPECT_EQ(m.version, "1");
    EXPECT_EQ(m.timestamp, "2003-10-11T22:14:15.003Z");
    EXPECT_EQ(m.host, "mymachine.example.com");
    EXPECT_EQ(m.appName, "evntslog");
    EXPECT_EQ(m.procId, "-");
    EXPECT_EQ(m.msgId, "ID47");
    ASSERT_EQ(m.data.size(), 2u);
    EXPECT_EQ(m.data[0].id, "exampleSDID@32473");
    EXPECT_EQ(m.data[0].params, (std::vector<std::pair<std::string, std::string>>{{"iut", "3"}, {"eventSource", "Application"}}));
    EXPECT_EQ(m.data[1].params[0].second, "a\"b\\c]d"); // escapes undone
    EXPECT_EQ(m.message, "An application event");         // without the BOM

    const StructuredMessage bare = ParseStructured("<13>1 - - - - - -");
    ASSERT_EQ(bare.form, Form::Rfc5424);
    EXPECT_EQ(bare.host, "-");
    EXPECT_TRUE(bare.data.empty());
    EXPECT_EQ(bare.message, "");
}

TEST(StructuredSyslog, Rfc3164AndWhatLogFilesKeep) {
    const StructuredMessage m = ParseStructured("<13>Dec  8 04:00:00 edge-host sshd[123]: Accepted key");
    ASSERT_EQ(m.form, Form::Rfc3164);
    EXPECT_EQ(m.timestamp, "Dec  8 04:00:00");
    EXPECT_EQ(m.host, "edge-host");
    EXPECT_EQ(m.tag, "sshd");
    EXPECT_EQ(m.pid, "123");
    EXPECT_EQ(m.message, "Accepted key");

    // A log line keeps the tag and the message, not the priority.
    const StructuredMessage kept = ParseStructured("Dec 18 14:03:09 host cron: job done", true);
    ASSERT_EQ(kept.form, Form::Rfc3164);
    EXPECT_EQ(kept.priority, "");
    EXPECT_EQ(kept.tag, "cron");
    EXPECT_EQ(kept.pid, "");
}

// Neither form: said why where it looked like one, never a crash.
TEST(StructuredSyslog, MalformedTextIsInNeitherForm) {
    struct Case {
        std::string text;
        std::string problem;
    };
    const Case cases[] = {
        {"<14>python message\0"s, ""}, // Python's SysLogHandler: priority and text only
        {"", ""},
        {"<", ""},
        {"<1234>1 - - - - - -", ""},
        {"<13>1 2026-12-08T04:00:00Z host", "the RFC 5424 header is cut short"},
        {"<13>1 t h a p m [id x=3] m", "the parameter x of [id] has no quoted value"},
        {"<13>1 t h a p m [id x=\"3", "the value of x in [id] is cut short"},
        {"<13>1 t h a p m [id x=\"3\"", "the element [id] is not closed"},
        {"<13>1 t h a p m [ x=\"3\"]", "a structured data element has no name"},
        {"<13>1 t h a p m nodata", "the structured data is missing"},
        {"<13>Dex  8 04:00:00 host tag: m", ""},
    };
    for (const Case& c : cases) {
        const StructuredMessage m = ParseStructured(c.text);
        EXPECT_EQ(m.form, Form::None) << c.text;
        EXPECT_EQ(m.problem, c.problem) << c.text;
    }
}

} // namespace
