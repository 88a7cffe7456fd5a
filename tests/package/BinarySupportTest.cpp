#include "package/modBinarySupport.h"
#include "package/modSimsPackage.h"
#include "support/TestSupport.h"

#include <random>

namespace {

std::string Bytes(std::initializer_list<int> values)
{
    std::string result;
    for (int v : values)
        result += static_cast<char>(v);
    return result;
}

TEST(HexConversion, HexToLongFollowsTheDigitRules)
{
    const std::vector<std::pair<std::string, std::int32_t>> cases = {
        {"7", 7}, {"0F", 15}, {"ff", 255}, {"1A", 26}, {"G1", 1}, {"1G", 16},
        {"", -1}, {"123", -1}, {"00", 0}, {"zz", 0}, {"a", 10},
    };
    for (const auto& [text, expected] : cases)
        EXPECT_EQ(gflngHexToLong(text), expected) << "text '" << text << "'";
}

TEST(HexConversion, HexToBinPutsTheLastPairFirst)
{
    EXPECT_EQ(gfstrHexToBin("FB10"), Bytes({0x10, 0xFB}));
    EXPECT_EQ(gfstrHexToBin("42484156"), "VAHB");
    EXPECT_EQ(gfstrHexToBin("ABC"), Bytes({0x0C, 0xAB})); // odd length: a last 1-digit piece
    EXPECT_EQ(gfstrHexToBin("7"), Bytes({0x07}));
    try {
        gfstrHexToBin("");
        FAIL() << "an empty text must raise";
    } catch (const Failure& failure) {
        EXPECT_EQ(failure.Number(), 5);
        EXPECT_EQ(failure.Description(), "Invalid procedure call or argument");
    }
}

TEST(HexConversion, ByteAndBinToHexGiveTwoUpperCaseDigitsPerByte)
{
    EXPECT_EQ(gfstrByteToHex(0), "00");
    EXPECT_EQ(gfstrByteToHex(10), "0A");
    EXPECT_EQ(gfstrByteToHex(255), "FF");
    EXPECT_EQ(gfstrBinToHex("VAHB"), "42484156");
    EXPECT_EQ(gfstrBinToHex(Bytes({1, 0, 0, 0})), "00000001");
    EXPECT_EQ(gfstrBinToHex(""), "");
}

TEST(HexConversion, SimsIdRoundTripsAnyEightDigitText)
{
    std::mt19937 random(7);
    const char* digits = "0123456789abcdefABCDEF";
    for (int round = 0; round < 500; ++round) {
        std::string text;
        for (int i = 0; i < 8; ++i)
            text += digits[random() % 22];
        std::string upper = text;
        for (char& c : upper)
            c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        const SimsID id = gfstr4HexToSimsID(text);
        EXPECT_EQ(id, gfstr4HexToSimsID(upper));
        EXPECT_EQ(gfstrBinToHex(id.Bytes()), upper);
        EXPECT_EQ(id.Bytes(), gfstrHexToBin(upper));
    }
}

TEST(HexConversion, SimsIdOfShortTextIsEmptyAndExtraCharactersAreIgnored)
{
    EXPECT_TRUE(gfstr4HexToSimsID("").Empty());
    EXPECT_TRUE(gfstr4HexToSimsID("4248415").Empty());
    EXPECT_EQ(gfstr4HexToSimsID("42484156FF"), gfstr4HexToSimsID("42484156"));
    EXPECT_EQ(gfstr4HexToSimsID("42484156").Bytes(), "VAHB");
}

TEST(HexConversion, TrimAtNull)
{
    EXPECT_EQ(gfstrTrimAtNull("Name"), "Name");
    EXPECT_EQ(gfstrTrimAtNull(std::string("\0Name", 5)), "");
    EXPECT_EQ(gfstrTrimAtNull(std::string("Na\0me\0", 6)), "Na");
    EXPECT_EQ(gfstrTrimAtNull(""), "");
}

TEST(TypeIds, InitSetsTheFiveIdentifiersInFileOrder)
{
    gstrIgnoredGroup = gstrTypeBHAV = gstrTypeTTAB = gstrTypeTTAs = gstrTypeBCON = SimsID();
    gsInitTypeIDs();
    EXPECT_EQ(gstrIgnoredGroup.Bytes(), Bytes({0xFF, 0xFF, 0xFF, 0xFF}));
    EXPECT_EQ(gstrTypeBHAV.Bytes(), "VAHB");
    EXPECT_EQ(gstrTypeTTAB.Bytes(), "BATT");
    EXPECT_EQ(gstrTypeTTAs.Bytes(), "sATT");
    EXPECT_EQ(gstrTypeBCON.Bytes(), "NOCB");
    EXPECT_EQ(glngErrLocation, 1000);
}

} // namespace
