// The error dialog's support procedures against a stand-in shell.

#include "app/SupportContact.h"

#include "platform/Shell.h"
#include "support/TestSupport.h"

namespace {

struct ShellCall {
    std::string Operation;
    std::string File;
    std::string Parameters;
};

struct Message {
    std::string Text;
    std::string Title;
    bool operator==(const Message&) const = default;
};

class SupportContactTest : public testsupport::TrapTest {
protected:
    void SetUp() override
    {
        TrapTest::SetUp();
        platform::gudtWindowServices().ShowCriticalMessage = [this](const std::string& text, const std::string& title) {
            messages.push_back({text, title});
        };
        platform::ShellServices& shell = platform::gudtShellServices();
        shell.FindExecutable = [this](std::string_view file, std::string& program) {
            findFile = std::string(file);
            probeWhileFinding = ReadFile(Probe());
            program = "Z:\\usr\\bin\\browser";
            return findResult;
        };
        shell.ShellExecute = [this](std::string_view operation, std::string_view file, std::string_view parameters) {
            executed.push_back({std::string(operation), std::string(file), std::string(parameters)});
            return executeResult;
        };
    }
    void TearDown() override
    {
        platform::gudtShellServices() = platform::gudtNoShellServices();
        TrapTest::TearDown();
    }
    // C:\temphtm.HTM in the test's prefix.
    std::filesystem::path Probe() const { return Scratch() / "prefix" / "drive_c" / "temphtm.HTM"; }

    std::int32_t findResult = platform::shellSuccess;
    std::int32_t executeResult = platform::shellSuccess;
    std::string findFile;
    std::string probeWhileFinding;
    std::vector<ShellCall> executed;
    std::vector<Message> messages;
};

TEST_F(SupportContactTest, WebPageFollowsTheShellResults)
{
    struct Case {
        std::int32_t Find;
        std::int32_t Execute;
        bool Started;
        std::vector<Message> Shown;
    };
    const Case cases[] = {
        {32, 33, false, {{"Could not find the default web browser!", "Error - Browser Not Found"}}},
        {33, 32, true, {{"Support web page not found!", "Error - Bad URL"}}},
        {33, 33, true, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "find " << c.Find << ", execute " << c.Execute);
        findResult = c.Find;
        executeResult = c.Execute;
        executed.clear();
        messages.clear();
        probeWhileFinding.clear();

        gsOpenSupportWebPage("https://clashwick.invalid/support");

        EXPECT_EQ(findFile, "C:\\temphtm.HTM");
        EXPECT_EQ(probeWhileFinding, "\"<HTML> <\\HTML>\"\r\n");
        if (c.Started) {
            ASSERT_EQ(executed.size(), 1u);
            EXPECT_EQ(executed[0].Operation, "open");
            EXPECT_EQ(executed[0].File, "Z:\\usr\\bin\\browser");
            EXPECT_EQ(executed[0].Parameters, "https://clashwick.invalid/support");
        } else {
            EXPECT_TRUE(executed.empty());
        }
        EXPECT_EQ(messages, c.Shown);
        EXPECT_FALSE(std::filesystem::exists(Probe()));
    }
}

} // namespace
