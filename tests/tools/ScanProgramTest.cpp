// The headless program as a player runs it: on a terminal, where its progress line on standard
// error and the report on standard output share one screen.

#include "app/AppIdentity.h"
#include "app/modUtility.h"
#include "platform/CodePage.h"
#include "support/PackageWriter.h"
#include "support/SampleGame.h"
#include "support/TestSupport.h"

#include <nlohmann/json.hpp>

#include <poll.h>
#include <pty.h>
#include <utmp.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <optional>
#include <utility>
#include <vector>

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

        // The test keeps the program's side of the terminal open as well: when the program's
        // last descriptor closes, the system may drop what it wrote and the reader has not taken.
        int terminal = -1;
        int programSide = -1;
        EXPECT_EQ(::openpty(&terminal, &programSide, nullptr, nullptr, nullptr), 0);
        const pid_t child = ::fork();
        if (child == 0) {
            ::close(terminal);
            ::login_tty(programSide);
            ::setenv("WINEPREFIX", (Scratch() / "prefix").c_str(), 1);
            ::execl(program.c_str(), program.c_str(), static_cast<char*>(nullptr));
            ::_exit(127);
        }
        EXPECT_GT(child, 0);
        std::string received;
        char buffer[4096];
        int status = 0;
        bool ended = false;
        for (;;) {
            pollfd ready{terminal, POLLIN, 0};
            const int polled = ::poll(&ready, 1, 200);
            if (polled > 0 && (ready.revents & POLLIN) != 0) {
                const ssize_t got = ::read(terminal, buffer, sizeof buffer);
                if (got > 0) {
                    received.append(buffer, static_cast<std::size_t>(got));
                    continue;
                }
                if (got < 0 && errno == EINTR)
                    continue;
            }
            if (polled < 0 && errno == EINTR)
                continue;
            // Nothing more to read for a while: done once the program has ended.
            if (ended)
                break;
            ended = ::waitpid(child, &status, WNOHANG) == child;
        }
        ::close(programSide);
        ::close(terminal);
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

// What a run of the program gave: its exit code, standard output and standard error.
struct ProgramRun {
    int ExitCode = -1;
    std::string Out;
    std::string Err;
};

// The variables a run sets (a value) or removes (none), on top of the test's environment.
using Environment = std::vector<std::pair<std::string, std::optional<std::string>>>;

class ScanProgramRun : public ScanProgram {
protected:
    // Runs `program` with the arguments, its standard output and standard error in files below
    // the scratch folder (or standard output in `out`), and WINEPREFIX at the scratch prefix.
    ProgramRun RunProgram(const std::filesystem::path& program, const std::vector<std::string>& arguments,
                          const Environment& environment = {}, std::filesystem::path out = {})
    {
        // Standard output goes to `out` when one is given (then it is not read back).
        const bool readOut = out.empty();
        if (readOut)
            out = Scratch() / "run.out";
        const std::filesystem::path err = Scratch() / "run.err";
        const pid_t child = ::fork();
        if (child == 0) {
            ::setenv("WINEPREFIX", (Scratch() / "prefix").c_str(), 1);
            for (const auto& [name, value] : environment) {
                if (value)
                    ::setenv(name.c_str(), value->c_str(), 1);
                else
                    ::unsetenv(name.c_str());
            }
            if (!std::freopen(out.c_str(), "wb", stdout) || !std::freopen(err.c_str(), "wb", stderr))
                ::_exit(127);
            std::vector<char*> argv{const_cast<char*>(program.c_str())};
            for (const std::string& argument : arguments)
                argv.push_back(const_cast<char*>(argument.c_str()));
            argv.push_back(nullptr);
            ::execv(program.c_str(), argv.data());
            ::_exit(127);
        }
        EXPECT_GT(child, 0);
        int status = 0;
        ::waitpid(child, &status, 0);
        return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, readOut ? ReadFile(out) : std::string(), ReadFile(err)};
    }

    // A copy of the program in `folder` below the scratch folder.
    std::filesystem::path CopyProgramTo(const std::string& folder)
    {
        const std::filesystem::path program = Scratch() / folder / "clashwick-scan";
        std::filesystem::create_directories(program.parent_path());
        std::filesystem::copy_file(CLASHWICK_SCAN_PROGRAM, program);
        return program;
    }

    // The report file after its first line, which holds the date.
    static std::string AfterDateLine(const std::string& report) { return report.substr(report.find('\n') + 1); }
};

TEST_F(ScanProgramRun, OptionsPrintTheirTextAndExitWithoutScanning)
{
    EXPECT_EQ(gfstrVersionText({1, 0, 0}), "1.00.00");
    const std::string version = std::string(kAppTitle) + " " + gfstrVersionText(kAppVersion) + "\n";
    struct Case {
        std::vector<std::string> arguments;
        int exitCode;
        bool usageOnOut;  // else on standard error, and standard output stays empty
    };
    const Case cases[] = {
        {{"--help"}, 0, true},
        {{"-h"}, 0, true},
        {{"--bogus"}, 64, false},
        {{"--version", "extra"}, 64, false},
        {{"--help", "extra"}, 64, false},
        {{"scan"}, 64, false},
        {{"--JSON"}, 64, false},
        {{"--json", "--explain"}, 64, false},
        {{"--explain", "extra"}, 64, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.arguments.front() + (c.arguments.size() > 1 ? " " + c.arguments[1] : ""));
        const ProgramRun run = RunProgram(CLASHWICK_SCAN_PROGRAM, c.arguments);
        EXPECT_EQ(run.ExitCode, c.exitCode);
        const std::string& usage = c.usageOnOut ? run.Out : run.Err;
        EXPECT_TRUE(usage.starts_with("usage: clashwick-scan [--json | --explain | --help | --version]\n")) << usage;
        for (const char* option : {"\n  --json ", "\n  --explain ", "\n  -h, --help ", "\n  --version "})
            EXPECT_NE(usage.find(option), std::string::npos) << option << "\n" << usage;
        EXPECT_EQ(c.usageOnOut ? run.Err : run.Out, "");
    }
    // No prefix is needed, and nothing is written.
    const ProgramRun run = RunProgram(CLASHWICK_SCAN_PROGRAM, {"--version"}, {{"WINEPREFIX", "/nonexistent"}});
    EXPECT_EQ(run.ExitCode, 0);
    EXPECT_EQ(run.Out, version);
    EXPECT_EQ(run.Err, "");
}

// --json and --explain print the facts instead of the report; the report file is the same.
TEST_F(ScanProgramRun, FactsOptionsLeaveTheReportFileAsItIs)
{
    gsMakeSampleGame(Scratch() / "prefix");
    const std::filesystem::path program = CopyProgramTo("program");
    const std::filesystem::path reportFile = Scratch() / "program" / "temp" / "hackreport.txt";
    const ProgramRun plain = RunProgram(program, {});
    ASSERT_EQ(plain.ExitCode, 0) << plain.Err;
    const std::string report = ReadFile(reportFile);
    // The plain scan remembers nothing between scans; the facts options do.
    const std::filesystem::path lastScan = Scratch() / "program" / "temp" / "lastscan.json";
    EXPECT_FALSE(std::filesystem::exists(lastScan));

    const ProgramRun json = RunProgram(program, {"--json"});
    EXPECT_EQ(json.ExitCode, 0) << json.Err;
    EXPECT_EQ(json.Err, "");
    EXPECT_EQ(AfterDateLine(ReadFile(reportFile)), AfterDateLine(report));
    const nlohmann::json document = nlohmann::json::parse(json.Out);
    EXPECT_EQ(document["conflicts"].size(), 5u);
    // SpeedUpTime and SpeedUpTime_v2 are one mod's, a group, not a pair.
    EXPECT_EQ(document["pairs"].size(), 1u);
    EXPECT_EQ(document["pairs_omitted"], 0);
    ASSERT_EQ(document["groups"].size(), 1u);
    EXPECT_EQ(document["groups"][0]["winner"], "\\downloads\\Hacks\\SpeedUpTime_v2.package");
    EXPECT_EQ(document["unreadable"].size(), 1u);
    EXPECT_EQ(document["conflicts"][0]["new"], false);
    EXPECT_EQ(nlohmann::json::parse(ReadFile(lastScan))["conflicts"].size(), 5u);

    std::filesystem::remove(reportFile);
    const ProgramRun explain = RunProgram(program, {"--explain"});
    EXPECT_EQ(explain.ExitCode, 0) << explain.Err;
    EXPECT_EQ(AfterDateLine(ReadFile(reportFile)), AfterDateLine(report));
    EXPECT_TRUE(explain.Out.starts_with("5 possible conflicts, 3 of them harmless")) << explain.Out;
    EXPECT_EQ(explain.Out.find("POSSIBLE CONFLICT"), std::string::npos) << explain.Out;
}

// Standard output on a full disk: the program says so and ends with 74, not with success; the
// report file is written all the same.
TEST_F(ScanProgramRun, StandardOutputThatCannotBeWrittenIsAFailure)
{
    gsMakeSampleGame(Scratch() / "prefix");
    const std::filesystem::path program = CopyProgramTo("program");
    for (const std::vector<std::string>& arguments : {std::vector<std::string>{}, {"--json"}, {"--explain"}}) {
        std::filesystem::remove_all(Scratch() / "program" / "temp");
        const ProgramRun run = RunProgram(program, arguments, {}, "/dev/full");
        EXPECT_EQ(run.ExitCode, 74) << run.Err;
        EXPECT_NE(run.Err.find("clashwick-scan: could not write to standard output (the report file is written).\n"),
                  std::string::npos)
            << run.Err;
        EXPECT_NE(ReadFile(Scratch() / "program" / "temp" / "hackreport.txt").find("possible conflicts detected"),
                  std::string::npos);
    }
}

// A resource name reaches the terminal with its control characters as '?': it cannot retitle
// the terminal or clear the screen. The report file, and the report printed to a file, keep
// the name's bytes.
TEST_F(ScanProgramRun, ReportOnATerminalShowsControlCharactersOfNamesAsQuestionMarks)
{
    gsMakeSampleGame(Scratch() / "prefix");
    const std::string name = "\x1B]0;pwned\x07\x1B[2J\x81";  // 0x81 is U+0081 in the code page
    for (const char* package : {"First.package", "Second.package"}) {
        PackagePlan plan;
        plan.Resources = {{kTypeBHAV, 0x7F0000AA, 0x1001, 0, gfstrBehaviourBody(name), false}};
        WriteFile(gfSampleDownloads(Scratch() / "prefix") / "Odd" / package, gudtBuildPackage(plan).Bytes);
    }

    int exitCode = -1;
    const std::string screen = RunOnTerminal(exitCode);
    EXPECT_EQ(exitCode, 0) << screen;
    EXPECT_NE(screen.find("Procedure Name: ?]0;pwned??[2J?\r\n"), std::string::npos) << screen;
    EXPECT_EQ(screen.find('\x1B'), std::string::npos) << screen;
    EXPECT_EQ(screen.find('\x07'), std::string::npos) << screen;
    EXPECT_EQ(screen.find("\xC2\x81"), std::string::npos) << screen;

    const std::string file = ReadFile(Scratch() / "program" / "temp" / "hackreport.txt");
    EXPECT_NE(file.find("Procedure Name: " + name + "\r\n"), std::string::npos) << file;
    const ProgramRun run = RunProgram(Scratch() / "program" / "clashwick-scan", {});
    EXPECT_EQ(run.ExitCode, 0) << run.Err;
    const std::string printed = platform::gfstrWithLfLineEnds(
        platform::gfstrFromCodePage(ReadFile(Scratch() / "program" / "temp" / "hackreport.txt")));
    EXPECT_EQ(AfterDateLine(run.Out), AfterDateLine(printed));
    EXPECT_NE(run.Out.find("Procedure Name: " + platform::gfstrFromCodePage(name) + "\n"), std::string::npos) << run.Out;
}

// An installed copy writes its report in the user's data folder, which it makes, and the report
// is the one a copy run from its own folder writes there; nothing is written beside it.
TEST_F(ScanProgramRun, InstalledProgramWritesItsReportInTheUsersDataFolder)
{
    gsMakeSampleGame(Scratch() / "prefix");
    const std::filesystem::path local = CopyProgramTo("program");
    const ProgramRun localRun = RunProgram(local, {});
    ASSERT_EQ(localRun.ExitCode, 0) << localRun.Err;
    const std::string localReport = ReadFile(Scratch() / "program" / "temp" / "hackreport.txt");
    ASSERT_NE(localReport.find("possible conflicts detected"), std::string::npos) << localReport;

    const std::filesystem::path installed = CopyProgramTo("usr/bin");
    WriteFile(Scratch() / "usr" / "share" / "clashwick" / "installed", "marker");
    const std::filesystem::path home = Scratch() / "home";
    const ProgramRun run = RunProgram(installed, {}, {{"HOME", home.string()}, {"XDG_DATA_HOME", std::nullopt}});
    EXPECT_EQ(run.ExitCode, 0) << run.Err;
    const std::string report = ReadFile(home / ".local" / "share" / "clashwick" / "temp" / "hackreport.txt");
    EXPECT_EQ(AfterDateLine(report), AfterDateLine(localReport));
    EXPECT_EQ(AfterDateLine(run.Out), AfterDateLine(localRun.Out));
    EXPECT_FALSE(std::filesystem::exists(Scratch() / "usr" / "bin" / "temp"));

    // A failure's error report gives the data folder, in Windows form, as the install path, and
    // the error log goes there. A folder in the report's place makes writing the report fail.
    const std::filesystem::path data = home / ".local" / "share" / "clashwick";
    std::filesystem::remove(data / "temp" / "hackreport.txt");
    std::filesystem::create_directory(data / "temp" / "hackreport.txt");
    const ProgramRun failed = RunProgram(installed, {}, {{"HOME", home.string()}, {"XDG_DATA_HOME", std::nullopt}});
    EXPECT_EQ(failed.ExitCode, 2) << failed.Err;
    const std::string logged = ReadFile(data / "errorlog.txt");
    EXPECT_NE(logged.find("\r\nInstall Path: " + WinPath(data) + "\r\n"), std::string::npos) << logged;

    // Where no data folder can be made, start-up stops with the failure and writes no report.
    WriteFile(Scratch() / "a file", "not a folder");
    const ProgramRun blocked = RunProgram(installed, {}, {{"XDG_DATA_HOME", (Scratch() / "a file").string()}});
    EXPECT_EQ(blocked.ExitCode, 1);
    EXPECT_EQ(blocked.Out, "");
    EXPECT_TRUE(blocked.Err.starts_with("Clashwick: Run-time error '76':")) << blocked.Err;
}

// A data folder the program must not use ends start-up with a fatal message that names it, and
// nothing is written there, nor in the folder its Windows form would lead to.
TEST_F(ScanProgramRun, InstalledProgramStopsAtADataFolderNotItsOwn)
{
    namespace fs = std::filesystem;
    gsMakeSampleGame(Scratch() / "prefix");
    const fs::path installed = CopyProgramTo("usr/bin");
    WriteFile(Scratch() / "usr" / "share" / "clashwick" / "installed", "marker");
    fs::create_directories(Scratch() / "we" / "ird" / "clashwick");
    fs::create_directories(Scratch() / "shared" / "clashwick");
    fs::permissions(Scratch() / "shared" / "clashwick", fs::perms::all);

    const std::pair<fs::path, std::string> cases[] = {
        {Scratch() / "we\\ird", "no Windows path leads to it."},
        {Scratch() / "shared", "other users can write to it."},
    };
    for (const auto& [dataHome, why] : cases) {
        SCOPED_TRACE(dataHome.string());
        const ProgramRun run = RunProgram(installed, {}, {{"XDG_DATA_HOME", dataHome.string()}});
        EXPECT_EQ(run.ExitCode, 1);
        EXPECT_EQ(run.Out, "");
        EXPECT_EQ(run.Err, "Fatal Error: Can not use the data folder " + (dataHome / "clashwick").string() + ": " + why + "\n");
        EXPECT_FALSE(fs::exists(dataHome / "clashwick" / "temp"));
        EXPECT_FALSE(fs::exists(Scratch() / "we" / "ird" / "clashwick" / "temp"));
    }
}

} // namespace
