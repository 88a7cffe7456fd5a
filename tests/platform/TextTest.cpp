#include "platform/CodePage.h"
#include "platform/DateText.h"
#include "platform/TerminalText.h"

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

// A text given up to the conversion is changed in place: the result is the same.
TEST(CodePage, TerminalTextEndsLinesInLf)
{
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"a\r\n \r\n\r\nb\r\n", "a\n \n\nb\n"},
        {"lone\rcr and lf\n", "lone\rcr and lf\n"},
        {"", ""},
        {"\r\r\n\n\r", "\r\n\n\r"},
        {"no line end", "no line end"},
        {"\r\nfirst and last\r\n", "\nfirst and last\n"},
    };
    for (const auto& [text, printed] : cases) {
        EXPECT_EQ(platform::gfstrWithLfLineEnds(std::string_view(text)), printed);
        EXPECT_EQ(platform::gfstrWithLfLineEnds(std::string(text)), printed);
    }
    // ASCII comes back as it is, given up or not; other bytes are converted either way.
    for (const std::string bytes : {"plain report\r\n", "caf\xE9 \x80"}) {
        const std::string utf8 = platform::gfstrFromCodePage(std::string_view(bytes));
        EXPECT_EQ(platform::gfstrFromCodePage(std::string(bytes)), utf8);
        EXPECT_EQ(platform::gfstrToCodePage(utf8), bytes);
    }
}

// Every control a terminal acts on becomes '?', whether it comes as a lone byte or in UTF-8;
// every other byte, valid UTF-8 or not, stays.
TEST(TerminalText, ControlCharactersShowAsQuestionMarks)
{
    struct Case {
        std::string text;
        std::string name;   // gfstrPrintable
        std::string lines;  // gfstrPrintableLines
    };
    const Case cases[] = {
        {"Plain Name 1.5 caf\xC3\xA9 \xE2\x82\xAC", "Plain Name 1.5 caf\xC3\xA9 \xE2\x82\xAC", "Plain Name 1.5 caf\xC3\xA9 \xE2\x82\xAC"},
        {"\x1B]0;pwned\x07\x1B[2J", "?]0;pwned??[2J", "?]0;pwned??[2J"},
        {"tab\tcr\rlf\ndel\x7F", "tab?cr?lf?del?", "tab?cr?lf\ndel?"},
        {std::string("nul\0end", 7), "nul?end", "nul?end"},
        {"csi \x9B" "2J, \x80 and \x9F alone", "csi ?2J, ? and ? alone", "csi ?2J, ? and ? alone"},
        {"csi \xC2\x9B" "2J, \xC2\x80 \xC2\x9F encoded", "csi ?2J, ? ? encoded", "csi ?2J, ? ? encoded"},
        {"\xC2\xA0\xC3\x9B\xC4\x80", "\xC2\xA0\xC3\x9B\xC4\x80", "\xC2\xA0\xC3\x9B\xC4\x80"},  // 0x9B, 0x80 inside a character
        {"\xE2\x80\xAA\xE2\x80\xAE\xE2\x81\xA6\xE2\x81\xA9\xE2\x80\xAF\xE2\x81\xAA", "????\xE2\x80\xAF\xE2\x81\xAA",
         "????\xE2\x80\xAF\xE2\x81\xAA"},  // overrides and isolates; their neighbours stay
        {"bad \xFF \xC3 \xE2\x80", "bad \xFF \xC3 \xE2?", "bad \xFF \xC3 \xE2?"},  // cut short: the lone 0x80 is a C1
        {"", "", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(platform::gfstrPrintable(c.text), c.name);
        EXPECT_EQ(platform::gfstrPrintableLines(c.text), c.lines);
    }
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
