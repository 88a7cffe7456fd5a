#include "platform/CodePage.h"
#include "platform/DateText.h"

#include <gtest/gtest.h>

namespace {

TEST(CodePage, ConvertsUtf8ToWindows1252AndBack)
{
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"plain \\downloads\\Fix.package", "plain \\downloads\\Fix.package"},
        {"caf\xC3\xA9", "caf\xE9"},                  // é is in the code page
        {"\xE2\x82\xAC 5", "\x80 5"},                // the euro sign sits at 0x80
        {"\xE6\xBC\xA2\xE5\xAD\x97", "??"},          // characters the code page lacks
        {"bad \xFF byte", "bad ? byte"},             // a byte that starts no sequence
        {"\xC3", "?"},                               // a sequence cut short
    };
    for (const auto& [utf8, codePage] : cases)
        EXPECT_EQ(platform::gfstrToCodePage(utf8), codePage) << utf8;

    // Every byte of the code page survives the way back.
    std::string all;
    for (int b = 1; b < 256; ++b)
        all += static_cast<char>(b);
    EXPECT_EQ(platform::gfstrToCodePage(platform::gfstrFromCodePage(all)), all);
}

TEST(CodePage, TerminalTextEndsLinesInLf)
{
    EXPECT_EQ(platform::gfstrWithLfLineEnds("a\r\n \r\n\r\nb\r\n"), "a\n \n\nb\n");
    EXPECT_EQ(platform::gfstrWithLfLineEnds("lone\rcr and lf\n"), "lone\rcr and lf\n");
    EXPECT_EQ(platform::gfstrWithLfLineEnds(""), "");
}

TEST(DateText, MidnightShowsTheDateAlone)
{
    std::tm midnight{};
    midnight.tm_year = 126;
    midnight.tm_mon = 11;
    midnight.tm_mday = 6;
    std::tm morning = midnight;
    morning.tm_hour = 6;
    morning.tm_min = 30;
    const std::string date = platform::gfstrGeneralDate(midnight);
    EXPECT_FALSE(date.empty());
    EXPECT_EQ(date.find(' '), std::string::npos) << date;
    const std::string dateAndTime = platform::gfstrGeneralDate(morning);
    EXPECT_EQ(dateAndTime.substr(0, date.size() + 1), date + " ");
    EXPECT_NE(dateAndTime.find("30"), std::string::npos) << dateAndTime;
}

} // namespace
