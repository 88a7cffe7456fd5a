// The headless program as a player runs it: on a terminal, where its progress line on standard
// error and the report on standard output share one screen.

#include "app/modUtility.h"
#include "support/PackageWriter.h"
#include "support/SampleGame.h"
#include "support/TestSupport.h"

#include <pty.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>

namespace {

using namespace writer;

class ScanProgram : public testsupport::TrapTest {
protected:
    // Runs a copy of the program from its own folder below the scratch folder, with standard
    // output and standard error on one terminal; returns what the terminal received.
    std::string RunOnTerminal(int& exitCode)
    {
        const std::filesystem::path program = Scratch() / "program" / "clashwick-scan";
        std::filesystem::create_directories(program.parent_path());
        std::filesystem::copy_file(CLASHWICK_SCAN_PROGRAM, program);

        int terminal = -1;
        const pid_t child = ::forkpty(&terminal, nullptr, nullptr, nullptr);
        if (child == 0) {
            ::setenv("WINEPREFIX", (Scratch() / "prefix").c_str(), 1);
            ::execl(program.c_str(), program.c_str(), static_cast<char*>(nullptr));
            ::_exit(127);
        }
        EXPECT_GT(child, 0);
        std::string received;
        char buffer[4096];
        for (;;) {
            const ssize_t got = ::read(terminal, buffer, sizeof buffer);
            if (got > 0)
                received.append(buffer, static_cast<std::size_t>(got));
            else if (got == 0 || errno != EINTR)
                break;  // EIO once the program has ended and closed its side
        }
        ::close(terminal);
        int status = 0;
        ::waitpid(child, &status, 0);
        exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        return received;
    }
};

// The progress line ends before the report starts, whether or not the last bar reached the
// package count: with 25 to 49 packages the step is 2, and an odd count ends short of it.
TEST_F(ScanProgram, ReportStartsOnALineOfItsOwnAfterTheProgress)
{
    gsMakeSampleGame(Scratch() / "prefix");
    const std::filesystem::path downloads = gfSampleDownloads(Scratch() / "prefix");
    // Plain content packages bring the count to 25, the first count whose step is 2.
    std::vector<std::string> files;
    const std::int32_t sampleCount =
        gflngFindFiles(std::string(kSampleDocuments) + "\\EA Games\\The Sims 2\\Downloads", "*.package", files);
    ASSERT_LT(sampleCount, 25);
    for (std::int32_t extra = sampleCount; extra < 25; ++extra) {
        PackagePlan content;
        content.Resources = {{kTypeOBJD, 1, static_cast<std::uint32_t>(extra), 0, "object", false}};
        WriteFile(downloads / "Extra" / ("Object" + std::to_string(extra) + ".package"), gudtBuildPackage(content).Bytes);
    }

    int exitCode = -1;
    const std::string screen = RunOnTerminal(exitCode);
    EXPECT_EQ(exitCode, 0);
    EXPECT_NE(screen.find("Scanning packages: 24 of 25"), std::string::npos) << screen;
    const std::size_t report = screen.find("Report Start ");
    ASSERT_NE(report, std::string::npos) << screen;
    ASSERT_GT(report, 0u);
    EXPECT_EQ(screen[report - 1], '\n') << screen;
}

// In the prefix of every edition the program scans that edition's own Downloads folder: the
// same packages give the same report, whatever the folders are called.
TEST_F(ScanProgram, EachEditionsOwnDownloadsAreScanned)
{
    std::string discReport;
    for (const SampleEdition edition : {SampleEdition::Disc, SampleEdition::UltimateCollection,
                                        SampleEdition::Legacy, SampleEdition::LegacySpanish}) {
        SCOPED_TRACE(gfstrSampleEditionName(edition));
        std::filesystem::remove_all(Scratch() / "prefix");
        std::filesystem::remove_all(Scratch() / "program");
        gsMakeSampleGame(Scratch() / "prefix", edition);
        int exitCode = -1;
        const std::string screen = RunOnTerminal(exitCode);
        EXPECT_EQ(exitCode, 0) << screen;
        // The report after its first line, which holds the date.
        const std::size_t start = screen.find("Report Start ");
        ASSERT_NE(start, std::string::npos) << screen;
        const std::string body = screen.substr(screen.find('\n', start));
        EXPECT_NE(body.find("possible conflicts detected"), std::string::npos) << body;
        EXPECT_EQ(body.find("OldDiscHack"), std::string::npos) << body;
        if (edition == SampleEdition::Disc)
            discReport = body;
        else
            EXPECT_EQ(body, discReport);
    }
}

} // namespace
