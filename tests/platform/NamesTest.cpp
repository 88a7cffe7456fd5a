#include "platform/Names.h"

#include <algorithm>
#include <chrono>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace {

TEST(Names, SortInNtfsOrder)
{
    // Upper-cased UTF-16 units: "_" (5F) after "Z" (5A); "é" as "É" (C9); "ω" as "Ω" (3A9);
    // a character beyond the BMP by its surrogates (D83D), before "ｚ" as "Ｚ" (FF3A).
    std::vector<std::string> names = {"\xEF\xBD\x9A", "_x", "\xF0\x9F\x98\x80", "Z", "\xCF\x89", "B", "\xC3\xA9", "a"};
    std::sort(names.begin(), names.end(), [](const std::string& l, const std::string& r) {
        return platform::gfblnNameBefore(l, r);
    });
    const std::vector<std::string> expected = {"a", "B", "Z", "_x", "\xC3\xA9", "\xCF\x89", "\xF0\x9F\x98\x80", "\xEF\xBD\x9A"};
    EXPECT_EQ(names, expected);

    EXPECT_TRUE(platform::gfblnSameName("Downloads", "dOWNLOADS"));
    EXPECT_TRUE(platform::gfblnSameName("\xC3\xA9t\xC3\xA9", "\xC3\x89T\xC3\x89"));
    EXPECT_FALSE(platform::gfblnSameName("a\xFF", "a\xFE"));  // bytes that are not UTF-8 stay distinct
    EXPECT_TRUE(platform::gfblnNameBefore("A", "a"));          // equal keys fall back to the bytes
}

TEST(Names, PatternsMatchAsAWindowsSearchDoes)
{
    const struct {
        const char* pattern;
        const char* name;
        bool matches;
    } cases[] = {
        {"*.package", "x.package", true},      {"*.package", "X.PACKAGE", true},
        {"*.package", "x.package.bak", false}, {"*.package", "package", false},
        {"*.*", "README", true},               {"*.*", "a.b.c", true},
        {"readme.*", "README", true},          {"readme.*", "readmes", false},
        {"a?c", "abc", true},                  {"a?c", "ac", false},
        {"a?c", "a\xC3\xA9" "c", true},        {"*a*b*c", "xaYbZc", true},
        {"\xC3\xA9*", "\xC3\x89T\xC3\x89", true},
    };
    for (const auto& c : cases)
        EXPECT_EQ(platform::gfblnPatternMatches(c.pattern, c.name), c.matches) << c.pattern << " / " << c.name;

    // Many stars against a long name that fails at the very end: no exponential backtracking.
    const auto started = std::chrono::steady_clock::now();
    EXPECT_FALSE(platform::gfblnPatternMatches("*a*a*a*a*a*a*a*a*a*a*a*a*b", std::string(250, 'a')));
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::milliseconds(100));
}

TEST(Names, WhichNamesAndPatternsAPathCanHold)
{
    const struct {
        std::string text;
        bool name;     // gfblnValidName
        bool entry;    // gfblnEntryName
        bool pattern;  // gfblnValidPattern
    } cases[] = {
        {"Hack.package", true, true, true},   {".", true, false, true},
        {"..", true, false, true},            {"", false, false, false},
        {std::string(255, 'a'), true, true, true}, {std::string(256, 'a'), false, false, false},
        {"a*b", false, false, true},          {"a?b", false, false, true},
        {"a:b", false, false, false},         {"a\\b", false, false, false},
        {"a/b", false, false, false},         {"a|b", false, false, false},
        {"a\x01b", false, false, false},
        // Windows counts characters (UTF-16 units), not bytes: 128 "é" is 256 bytes, 128 characters.
        {[] { std::string s; for (int i = 0; i < 255; ++i) s += "\xC3\xA9"; return s; }(), true, true, true},
        {[] { std::string s; for (int i = 0; i < 256; ++i) s += "\xC3\xA9"; return s; }(), false, false, false},
        {[] { std::string s; for (int i = 0; i < 128; ++i) s += "\xF0\x9F\x98\x80"; return s; }(), false, false, false},       {"\xC3\xA9t\xC3\xA9", true, true, true},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(platform::gfblnValidName(c.text), c.name) << c.text;
        EXPECT_EQ(platform::gfblnEntryName(c.text), c.entry) << c.text;
        EXPECT_EQ(platform::gfblnValidPattern(c.text), c.pattern) << c.text;
    }
}

} // namespace
