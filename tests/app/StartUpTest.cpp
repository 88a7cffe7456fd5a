#include "app/StartUp.h"
#include "app/modSims2General.h"
#include "package/modSimsPackage.h"
#include "platform/AppInfo.h"
#include "support/SampleGame.h"
#include "support/TestSupport.h"

namespace {

TEST(Caption, VersionNumbersHaveAtLeastTwoDigits)
{
    const std::string tail = " - " + std::string(kAppCopyright);
    EXPECT_EQ(gfstrMainCaption({2, 0, 3}), "Clashwick - Version 02.00.03" + tail);
    EXPECT_EQ(gfstrMainCaption({1, 2, 123}), "Clashwick - Version 01.02.123" + tail);
    EXPECT_EQ(gfstrMainCaption({10, 0, 0}), "Clashwick - Version 10.00.00" + tail);
}

// Start-up on a prefix of the test's own, with message boxes and the end of the program
// recorded instead of shown.
class StartUp : public testsupport::TrapTest {
protected:
    void SetUp() override
    {
        TrapTest::SetUp();
        std::filesystem::create_directories(Program());
        platform::gsSetAppPath(WinPath(Program()));
        platform::WindowServices& services = platform::gudtWindowServices();
        services.ShowCriticalMessage = [this](const std::string& message, const std::string& title) {
            messages.push_back(title + ": " + message);
        };
        services.EndProgram = [this](int code) { endCodes.push_back(code); };
        gstrDocumentsPath = gstrSims2Path = gstrSims2DataPath = "";
        gstrTypeBHAV = SimsID();
    }
    void TearDown() override
    {
        platform::gsSetAppPath("");
        TrapTest::TearDown();
    }

    std::filesystem::path Prefix() const { return Scratch() / "prefix"; }
    std::filesystem::path Program() const { return Scratch() / "program"; }

    std::vector<std::string> messages;
    std::vector<int> endCodes;
    std::string caption;
};

TEST_F(StartUp, OnTheSampleGameEverythingIsFound)
{
    writer::gsMakeSampleGame(Prefix());
    ASSERT_TRUE(gfblnStartUp(caption));
    EXPECT_EQ(caption, gfstrMainCaption(kAppVersion));
    EXPECT_EQ(gstrDocumentsPath, writer::kSampleDocuments);
    EXPECT_EQ(gstrSims2Path, writer::kSampleInstallDir);
    EXPECT_EQ(gstrSims2DataPath, std::string(writer::kSampleDocuments) + "\\EA Games\\The Sims 2");
    EXPECT_TRUE(std::filesystem::is_directory(Program() / "temp"));
    EXPECT_EQ(gstrTypeBHAV.Bytes(), "VAHB");
    EXPECT_TRUE(messages.empty());
    EXPECT_TRUE(endCodes.empty());
}

TEST_F(StartUp, OnlyTheFirstMissingFolderIsReported)
{
    struct Case {
        const char* what;
        std::function<void(const std::filesystem::path&)> make;
        std::string message;
    };
    std::vector<Case> cases = {
        {"no registry at all", [](const auto&) {}, "Fatal Error: Can not find the documents folder!"},
        {"no game key",
         [](const std::filesystem::path& prefix) {
             writer::gsMakeSampleGame(prefix);
             std::filesystem::remove(prefix / "system.reg");
         },
         "Fatal Error: Can not find the path to the Sims 2!"},
        {"no data folder",
         [](const std::filesystem::path& prefix) {
             writer::gsMakeSampleGame(prefix);
             std::filesystem::remove_all(prefix / "drive_c" / "users" / "player" / "Documents" / "EA Games");
         },
         "Fatal Error: Can not find Sims 2 data path!"},
    };
    // A documents folder whose name is a valid Windows name but longer than the host can hold
    // (128 or more two-byte characters; the registry's buffer holds up to 251): it is simply not
    // there.
    for (const int length : {127, 128, 250}) {
        std::string documents = "C:\\";
        for (int i = 0; i < length; ++i)
            documents += "\xC3\xA9";
        cases.push_back({"a documents folder of long characters",
                         [documents](const std::filesystem::path& prefix) {
                             writer::gsMakeSampleGame(prefix);
                             writer::gsWriteSampleRegistry(prefix, writer::kSampleInstallDir, documents, true);
                         },
                         "Fatal Error: Can not find Sims 2 data path!"});
    }
    for (const Case& c : cases) {
        std::filesystem::remove_all(Prefix());
        std::filesystem::create_directories(Prefix());
        c.make(Prefix());
        messages.clear();
        endCodes.clear();
        caption.clear();
        EXPECT_FALSE(gfblnStartUp(caption)) << c.what;
        EXPECT_EQ(messages, std::vector<std::string>{c.message}) << c.what;
        EXPECT_EQ(endCodes, std::vector<int>{1}) << c.what;
        EXPECT_EQ(caption, "") << c.what;
        EXPECT_FALSE(std::filesystem::exists(Program() / "temp")) << c.what;
    }
}

TEST_F(StartUp, AnExistingTempFolderOrFileIsLeftAlone)
{
    writer::gsMakeSampleGame(Prefix());
    WriteFile(Program() / "temp" / "hackreport.txt", "old");
    ASSERT_TRUE(gfblnStartUp(caption));
    EXPECT_EQ(ReadFile(Program() / "temp" / "hackreport.txt"), "old");

    std::filesystem::remove_all(Program() / "temp");
    WriteFile(Program() / "temp", "a file named temp");
    ASSERT_TRUE(gfblnStartUp(caption));
    EXPECT_TRUE(std::filesystem::is_regular_file(Program() / "temp"));
    EXPECT_TRUE(messages.empty());
}

TEST_F(StartUp, AnUnexpectedFailureEndsTheProgramWithItsNumber)
{
    writer::gsMakeSampleGame(Prefix());
    platform::gsSetAppPath(WinPath(Scratch() / "no such folder"));
    EXPECT_FALSE(gfblnStartUp(caption));
    EXPECT_EQ(messages, std::vector<std::string>{"Clashwick: Run-time error '76':\n\nPath not found"});
    EXPECT_EQ(endCodes, std::vector<int>{1});
}

} // namespace
