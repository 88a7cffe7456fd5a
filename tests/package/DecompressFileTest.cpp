#include "package/modSimsPackage.h"
#include "platform/AppInfo.h"
#include "support/PackageWriter.h"
#include "support/RefPackEncoder.h"
#include "support/TestSupport.h"

namespace {

class DecompressFile : public testsupport::TrapTest {
protected:
    void SetUp() override
    {
        TrapTest::SetUp();
        platform::gsSetAppPath(WinPath(Scratch()));
    }
    void TearDown() override
    {
        platform::gsSetAppPath("");
        TrapTest::TearDown();
    }
    std::filesystem::path Log() const { return Scratch() / "DecompError.log"; }
};

// The decompression log is the scan's business (removed once as it starts): decompressing
// neither makes nor removes it.
TEST_F(DecompressFile, InputWithoutTheSignatureComesBackUnchangedAndNoFileIsTouched)
{
    const std::vector<std::string> inputs = {
        "", "A", "ABCDE", std::string("\0\0\0\0\x10", 5),      // too short to carry the signature
        std::string("\0\0\0\0\xFB\x10\0\0\0", 9),              // the signature's bytes the other way round
        writer::gfstrBehaviourBody("Plain", 100),
    };
    WriteFile(Log(), "old log");
    std::string kept = "left by an earlier decoding";
    for (const std::string& input : inputs) {
        EXPECT_EQ(gfstrDecompressFile(input), input);
        EXPECT_EQ(glngErrLocation, 4000);
        // Asked for its first bytes only, it gives just those.
        EXPECT_EQ(gfstrDecompressFile(input, 4), input.substr(0, 4));
        glngErrLocation = 0;
        EXPECT_EQ(gfstrDecompressFile(input, 4, kept), input.substr(0, 4));
        EXPECT_EQ(glngErrLocation, 4000);
    }
    EXPECT_EQ(ReadFile(Log()), "old log");
    EXPECT_TRUE(trapCalls.empty());
}

TEST_F(DecompressFile, CompressedInputIsDecodedWhole)
{
    const std::string raw = writer::gfstrBehaviourBody("Compressed Name", 500) + std::string(200, 'z');
    const std::string stored = gfstrRefPackCompress(raw);
    ASSERT_EQ(stored.substr(4, 2), "\x10\xFB");
    EXPECT_EQ(gfstrDecompressFile(stored), raw);
    EXPECT_EQ(gfstrDecompressFile(stored, 64), raw.substr(0, 64));
    std::string kept(5000, 'k');
    EXPECT_EQ(gfstrDecompressFile(stored, 64, kept), raw.substr(0, 64));
    EXPECT_EQ(gfstrDecompressFile(stored.substr(0, 20), 64, kept), gfstrDecompressFile(stored.substr(0, 20), 64));
    EXPECT_FALSE(std::filesystem::exists(Log())); // no log is ever created

    // Bytes 4-5 alone decide: an uncompressed body that happens to carry them is decoded.
    std::string lookalike = "abcd\x10\xFB";
    lookalike += std::string("\0\0\0", 3);
    EXPECT_EQ(gfstrDecompressFile(lookalike), "");
    EXPECT_TRUE(trapCalls.empty());
}

} // namespace
