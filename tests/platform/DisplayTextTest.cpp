// Bytes as the operator reads them: UTF-8 where they are UTF-8, else
// Windows-1252 (the ANSI code page on Windows); and typed text back.
#include "platform/qt/DisplayText.h"

#include <gtest/gtest.h>

using namespace qm;

namespace {

TEST(DisplayText, ASenderInAnyCommonEncodingReadsRight) {
    // "café" from a Latin-1 or Windows-1252 sender, never U+FFFD.
    EXPECT_EQ(DisplayText("caf\xE9"), QString::fromUtf8("caf\xC3\xA9"));
    EXPECT_EQ(DisplayText("\x80 5"), QString::fromUtf8("\xE2\x82\xAC 5")); // the euro sign of 1252
    EXPECT_EQ(DisplayText("plain"), "plain");
    // Control bytes show as their pictures; tabs and line breaks stay.
    EXPECT_EQ(DisplayText(std::string_view("a\0b\x1B[0m\x7F\t\n", 10)),
              QString::fromUtf8("a\xE2\x90\x80" "b\xE2\x90\x9B[0m\xE2\x90\xA1\t\n"));
    // Valid UTF-8 from another system reads as UTF-8 everywhere, Windows too.
    EXPECT_EQ(DisplayText("Zo\xC3\xAB caf\xC3\xA9"), QString::fromUtf8("Zo\xC3\xAB caf\xC3\xA9"));
    EXPECT_EQ(DisplayText("\xD0\xB6"), QString::fromUtf8("\xD0\xB6"));                    // Cyrillic zhe
    // Not UTF-8 as a whole: every byte as the legacy code page reads it.
#ifdef _WIN32
    EXPECT_EQ(DisplayText("K\xC3\xB6ln \xE9"), QString::fromLocal8Bit("K\xC3\xB6ln \xE9"));
#else
    EXPECT_EQ(DisplayText("K\xC3\xB6ln \xE9"), QString::fromUtf8("K\xC3\x83\xC2\xB6ln \xC3\xA9"));
#endif
#ifndef _WIN32
    EXPECT_EQ(StoredText(QString::fromUtf8("K\xC3\xB6ln")), "K\xC3\xB6ln");
#endif
    EXPECT_EQ(StoredText("Router"), "Router");
}

} // namespace
