// Sender addresses as the program writes them: RFC 5952's text for IPv6,
// whatever form the address came in; anything that is no address refused.
#include "platform/net/NetAddress.h"

#include <gtest/gtest.h>

using namespace qm;

namespace {

TEST(NetAddress, IPv6InTheOneTextRfc5952Gives) {
    const std::pair<const char*, const char*> cases[] = {
        {"2001:0DB8:0000:0000:0000:0000:0000:0001", "2001:db8::1"}, // lower case, no leading zeros
        {"2001:db8:1:2:3:4:5:6", "2001:db8:1:2:3:4:5:6"},         // eight groups, no "::"
        {"2001:db8:0:1:1:1:1:1", "2001:db8:0:1:1:1:1:1"},         // one zero group stays
        {"2001:0:0:1:0:0:0:1", "2001:0:0:1::1"},                  // the longest run
        {"2001:db8:0:0:1:0:0:1", "2001:db8::1:0:0:1"},            // the first of equal runs
        {"0:0:0:0:0:0:0:0", "::"},
        {"::1", "::1"},
        {"1::", "1::"},
        {"fe80::0:0:1", "fe80::1"},
        {"::ffff:192.0.2.1", "::ffff:192.0.2.1"},                 // mapped: the dotted tail
        {"::ffff:c000:0201", "::ffff:192.0.2.1"},
        {"1:2:3:4:5:6:10.0.0.1", "1:2:3:4:5:6:a00:1"},
        {"ABCD:EF01:2345:6789:ABCD:EF01:2345:6789", "abcd:ef01:2345:6789:abcd:ef01:2345:6789"},
    };
    for (const auto& [given, canonical] : cases) {
        const std::optional<std::string> text = CanonicalIPv6(given);
        ASSERT_TRUE(text) << given;
        EXPECT_EQ(*text, canonical) << given;
        EXPECT_EQ(CanonicalIPv6(*text), *text) << "stable: " << given;
    }
}

TEST(NetAddress, WhatIsNoIPv6AddressIsRefused) {
    for (const char* text : {"", ":", ":1", "1:", ":::", "1::2::3", "12345::", "g::1", "1:2:3:4:5:6:7:8:9",
                             "1:2:3:4::5:6:7:8", "::1.2.3", "::1.2.3.256", "::1.2.3.4.5", "1.2.3.4", "fe80::1%eth0",
                             "1.2.3.4::", " ::1", "::1 ", "1:2:3:4:5:6:7", "::01234"})
        EXPECT_FALSE(ParseIPv6(text)) << "'" << text << "'";
}

TEST(NetAddress, IPv4StaysDotted) {
    const unsigned char v4[4] = {10, 0, 0, 1};
    EXPECT_EQ(FormatAddress(v4, 4), "10.0.0.1");
    const unsigned char full[16] = {0x20, 0x01, 0x0d, 0xb8, 0, 1, 0, 2, 0, 3, 0, 4, 0, 5, 0, 6};
    EXPECT_EQ(FormatAddress(full, 16), "2001:db8:1:2:3:4:5:6");
}

} // namespace
