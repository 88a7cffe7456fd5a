// clashwick-scan: the headless program. It runs the window program's start-up, scan and report
// without windows: the report goes to temp\hackreport.txt and to standard output, messages and
// progress to standard error.
//
// With CLASHWICK_PHASE_TIMES=1 in the environment it also prints the time of each phase of the
// scan and its memory use to standard error (see platform/PhaseTimes.h).
//
// Options: --json prints the scan's facts as one JSON document instead of the report, --explain
// tells them to a person (which conflicts are harmless, which package wins, which packages
// overlap); the report file is written as always. --help (-h) prints the usage text, --version
// the program's name and version; any other argument is bad usage. The manual page is
// docs/clashwick-scan.1.
//
// Exit codes: 0 report written, 1 a fatal start-up message, 2 an error report, 64 bad usage,
// 74 standard output could not be written (the report file is).

#include "app/AppIdentity.h"
#include "app/ConflictFacts.h"
#include "app/ErrorReport.h"
#include "app/FactsExplain.h"
#include "app/FactsJson.h"
#include "app/FindHacks.h"
#include "app/ScanCommand.h"
#include "app/ScanMemory.h"
#include "app/StartUp.h"
#include "platform/CodePage.h"
#include "platform/DateText.h"
#include "platform/PhaseTimes.h"
#include "platform/StandardOutput.h"
#include "platform/TerminalText.h"
#include "platform/WindowServices.h"
#include "errors/modErrorTrap.h"

#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <string_view>

#include <unistd.h>

namespace {

// One progress line on standard error, rewritten in place, when that is a terminal.
void msDrawProgress(std::int32_t done, std::int32_t count)
{
    std::cerr << "\rScanning packages: " << done << " of " << count << (done == count ? "\n" : "") << std::flush;
}

// Prints the facts of the scan as JSON or for a person. The packages of conflict rows are read
// again to compare their contents; those whose copies could not be compared are named on
// standard error. A failure goes to the error trap and the result is false.
bool msPrintFacts(bool json)
{
    return gfblnRunHandled("clashwick-scan", "PrintFacts", [&] {
        ScanFacts facts;
        {
            const platform::PhaseTimer timer(platform::Phase::Comparing);
            facts = gudtScanFacts();
        }
        gsRememberScan(facts);
        const platform::PhaseTimer timer(platform::Phase::Report);
        std::cerr << gfstrNotComparedLines(facts);
        // The explanation says what could not be used of the last scan's memory; JSON has no place for it.
        if (json)
            for (const std::string& note : facts.Notes)
                std::cerr << platform::gfstrPrintable(note) << "\n";
        platform::gsWriteStandard(platform::StandardStream::Output,
                                  json ? gfstrFactsJson(facts) : gfstrFactsExplained(facts));
        std::cout << std::flush;
    });
}

constexpr const char* kUsage =
    "usage: clashwick-scan [--json | --explain | --help | --version]\n"
    "Scans the Sims 2 Downloads folder of the Wine prefix in $WINEPREFIX (default ~/.wine)\n"
    "and prints the conflict report, which it also writes to temp\\hackreport.txt in the\n"
    "program folder: beside the program, or, for a copy installed on Linux,\n"
    "$XDG_DATA_HOME/clashwick (default ~/.local/share/clashwick).\n"
    "\n"
    "  --json       print the conflicts, the pairs of packages that share resources and the\n"
    "               unreadable packages as one JSON document instead of the report\n"
    "  --explain    print them for a person instead of the report: which conflicts are\n"
    "               harmless (identical copies), which package wins, which packages overlap\n"
    "  -h, --help   print this text\n"
    "  --version    print the program's name and version\n";

enum class Output { Report, Json, Explain };

} // namespace

int main(int argc, char** argv)
{
    Output output = Output::Report;
    if (argc > 1) {
        const std::string_view argument = argv[1];
        if (argc == 2 && argument == "--version") {
            std::cout << kAppTitle << " " << gfstrVersionText(kAppVersion) << "\n" << std::flush;
            return 0;
        }
        if (argc == 2 && (argument == "--help" || argument == "-h")) {
            std::cout << kUsage << std::flush;
            return 0;
        }
        if (argc == 2 && argument == "--json") {
            output = Output::Json;
        } else if (argc == 2 && argument == "--explain") {
            output = Output::Explain;
        } else {
            std::cerr << kUsage << std::flush;
            return 64;
        }
    }
    // An unexpected failure writes the error log, prints the error report and ends with exit code 2.
    gsSetErrorTrapPresenter(gsReportErrorToConsole);
    platform::gudtWindowServices().ShowCriticalMessage = [](const std::string& message, const std::string& title) {
        std::cerr << platform::gfstrPrintableLines(title + ": " + message) << "\n";
    };

    std::string caption;
    {
        const platform::PhaseTimer timer(platform::Phase::StartUp);
        if (!gfblnStartUp(caption))
            return 1;
    }

    const bool showProgress = isatty(STDERR_FILENO) == 1;
    ScanCommandHooks hooks;
    hooks.MoveFocusToSink = [] {};
    hooks.ShowScanForm = [&](const std::string& meshPath) {
        platform::gsNoteResidentBeforeScan();
        bool lineOpen = false;
        ProgressDrawer drawProgress;
        if (showProgress)
            drawProgress = [&lineOpen](std::int32_t done, std::int32_t count) {
                msDrawProgress(done, count);
                lineOpen = done != count;
            };
        gfblnFindHacks(meshPath, drawProgress);
        // When the count is no multiple of the step the last bar falls short of it, and its line
        // must still end before the report follows on the same terminal.
        if (lineOpen)
            std::cerr << "\n" << std::flush;
    };
    hooks.DateText = [] { return platform::gfstrGeneralDateNow(); };

    std::string report;
    if (!gfblnScanCommand(hooks, report))
        return 2;
    if (output == Output::Report) {
        const platform::PhaseTimer timer(platform::Phase::Report);
        // The report's lines end in CR LF in the file; printed they end in LF. A terminal gets
        // the names' control characters as '?'; a file or a pipe gets the report as it is.
        const std::string text = platform::gfstrWithLfLineEnds(std::move(report));
        platform::gsWriteStandard(platform::StandardStream::Output,
                                  isatty(STDOUT_FILENO) == 1 ? platform::gfstrPrintableLines(text) : text);
        std::cout << std::flush;
    } else if (!msPrintFacts(output == Output::Json)) {
        return 2;
    }
    if (platform::gfblnPhaseTimesOn())
        platform::gsPrintPhaseTimes(std::cerr);
    // A full disk or a closed file behind standard output is a failure, not a success: whoever
    // reads the output would get it cut short.
    const bool written = static_cast<bool>(std::cout.flush());
    if (!written)
        std::cerr << "clashwick-scan: could not write to standard output (the report file is written).\n";
    // Everything is written and closed. Ending here skips freeing the tables row by row at exit,
    // which would take a tenth of a large scan's time for nothing.
    std::fflush(nullptr);
    std::_Exit(written ? 0 : 74);
}
