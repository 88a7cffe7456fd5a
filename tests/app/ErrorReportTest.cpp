// The error report, the error log and the trap of the program without windows.

#include "app/ErrorReport.h"

#include "app/modSims2General.h"
#include "platform/AppInfo.h"
#include "platform/CodePage.h"
#include "support/TestSupport.h"

#include <optional>

namespace {

class ErrorReportTest : public testsupport::TrapTest {
protected:
    void SetUp() override
    {
        TrapTest::SetUp();
        std::filesystem::create_directories(Scratch() / "app");
        appPath = WinPath(Scratch() / "app");
        platform::gsSetAppPath(appPath);
        gstrDocumentsPath = "C:\\users\\player\\Documents";
        gstrSims2Path = "C:\\Program Files\\EA GAMES\\The Sims 2";
    }
    void TearDown() override
    {
        platform::gsSetAppPath("");
        gstrDocumentsPath.clear();
        gstrSims2Path.clear();
        TrapTest::TearDown();
    }
    std::filesystem::path LogFile() const { return Scratch() / "app" / "errorlog.txt"; }
    // Read-only or not, as the owner's write permission (the read-only attribute on Windows).
    void SetLogWritable(bool writable) const
    {
        if (std::filesystem::exists(LogFile()))
            std::filesystem::permissions(LogFile(), std::filesystem::perms::owner_write,
                                         writable ? std::filesystem::perm_options::add
                                                  : std::filesystem::perm_options::remove);
    }

    std::string appPath;
};

struct ReportCase {
    const char* Name;
    std::int32_t Number;
    std::int32_t Location;
    const char* Documents;
    const char* Data;    // as the program holds it (UTF-8)
    const char* LogData; // as the log holds it (Windows-1252)
};

TEST_F(ErrorReportTest, ReportAndLogHoldTheWholeRecord)
{
    const ReportCase cases[] = {
        {"no extra data", 53, 2500, "C:\\users\\player\\Documents", "", ""},
        {"extra data", 76, 3000, "C:\\users\\player\\Documents", "Filename = C:\\Caf\xC3\xA9 \xE2\x82\xAC \xE4\xB8\xAD.package",
         "Filename = C:\\Caf\xE9 \x80 ?.package"},
        {"negative number", -2147024894, 1000, "C:\\users\\player\\Documents", "", ""},
        {"zero number", 0, 0, "C:\\users\\player\\Documents", "", ""},
        {"empty documents path", 5, 1000, "", "", ""},
    };
    for (const ReportCase& c : cases) {
        SCOPED_TRACE(c.Name);
        glngErrNumber = c.Number;
        glngErrLocation = c.Location;
        gstrErrDescription = "File not found";
        gstrErrModule = "modSimsPackage";
        gstrErrProcedure = "gsLoadPackage";
        gstrErrData = c.Data;
        gstrDocumentsPath = c.Documents;
        // A longer log of an earlier run must be replaced, not appended to.
        WriteFile(LogFile(), std::string(5000, 'x'));

        const std::string expected = "Clashwick - Version 2.00.03\r\n\r\n"
                                     "Error: " + std::to_string(c.Number) + "\r\n"
                                     "File not found\r\n\r\n"
                                     "Module: modSimsPackage\r\n"
                                     "Procedure: gsLoadPackage\r\n"
                                     "Location: " + std::to_string(c.Location) + "\r\n\r\n"
                                     "Install Path: " + appPath + "\r\n"
                                     "Data Path: " + c.Documents + "\r\n"
                                     "Sims Path: C:\\Program Files\\EA GAMES\\The Sims 2\r\n\r\n";
        const std::string extra = *c.Data ? "Additional Error Data:\r\n" : "";
        const std::string report = gfstrErrorReport({2, 0, 3});
        EXPECT_EQ(report, expected + extra + c.Data);

        gsWriteErrorLog(report);
        EXPECT_EQ(ReadFile(LogFile()), expected + extra + c.LogData + "\r\n");
    }
}

TEST_F(ErrorReportTest, VersionPartsKeepTheirWidths)
{
    EXPECT_EQ(gfstrErrorReport({10, 123, 4}).substr(0, 31), "Clashwick - Version 10.123.04\r\n");
}

TEST_F(ErrorReportTest, ConsoleTrapWritesTheLogPrintsTheReportAndEndsWithTwo)
{
    std::optional<int> exitCode;
    platform::gudtWindowServices().EndProgram = [&](int code) { exitCode = code; };
    glngErrNumber = 62;
    gstrErrDescription = "Input past end of file";
    // A name's control characters go to the log as the code page has them, to the terminal as '?'.
    const std::string name = "C:\\Downloads\\\x1B]0;pwned\x07\xC2\x9B" "2J\xE2\x80\xAE.package";
    gstrErrData = name;

    testing::internal::CaptureStderr();
    gsReportErrorToConsole();
    const std::string printed = testing::internal::GetCapturedStderr();

    EXPECT_EQ(exitCode, 2);
    const std::string report = gfstrErrorReport();
    std::string lines = report + "\r\n";
    for (std::size_t at; (at = lines.find("\r\n")) != std::string::npos;)
        lines.replace(at, 2, "\n");
    lines.replace(lines.find(name), name.size(), "C:\\Downloads\\?]0;pwned??2J?.package");
    EXPECT_EQ(printed, lines);
    EXPECT_EQ(ReadFile(LogFile()), platform::gfstrToCodePage(report) + "\r\n");
}

// The report is shown whole wherever the log cannot be written, with one sentence that says
// why; the log, when one is there, is left as it was.
TEST_F(ErrorReportTest, ReportKeptSaysWhenTheLogCannotBeWritten)
{
    const struct {
        const char* Name;
        const char* Data;
        bool ProgramFolderThere;
        bool ReadOnlyLog;
        std::string Sentence;  // after the report; empty when the log is written
    } cases[] = {
        {"log written", "", true, false, ""},
        {"no program folder", "", false, false,
         "The error log " + WinPath(Scratch() / "missing") + "\\errorlog.txt could not be written: "
         "Error 76, Path not found."},
        {"read-only log, extra data", "Filename = C:\\x.package", true, true,
         "\r\n\r\nThe error log " + appPath + "\\errorlog.txt could not be written: Error 70, Permission denied."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        glngErrNumber = 70;
        gstrErrDescription = "Permission denied";
        gstrErrData = c.Data;
        platform::gsSetAppPath(c.ProgramFolderThere ? appPath : WinPath(Scratch() / "missing"));
        SetLogWritable(true);
        WriteFile(LogFile(), "an older log");
        SetLogWritable(!c.ReadOnlyLog);

        const std::string report = gfstrErrorReport({2, 0, 3});
        EXPECT_EQ(gfstrErrorReportKept({2, 0, 3}), report + c.Sentence);
        EXPECT_EQ(ReadFile(LogFile()), c.Sentence.empty() ? report + "\r\n" : "an older log");
    }
    SetLogWritable(true);
}

TEST_F(ErrorReportTest, ConsoleTrapPrintsTheReportWhenTheLogCannotBeWritten)
{
    std::optional<int> exitCode;
    platform::gudtWindowServices().EndProgram = [&](int code) { exitCode = code; };
    platform::gsSetAppPath(WinPath(Scratch() / "missing"));

    testing::internal::CaptureStderr();
    gsReportErrorToConsole();
    const std::string printed = testing::internal::GetCapturedStderr();

    std::string lines = gfstrErrorReport() + "The error log " + WinPath(Scratch() / "missing") +
                        "\\errorlog.txt could not be written: Error 76, Path not found.\r\n";
    for (std::size_t at; (at = lines.find("\r\n")) != std::string::npos;)
        lines.replace(at, 2, "\n");
    EXPECT_EQ(printed, lines);
    EXPECT_EQ(exitCode, 2);
}

} // namespace
