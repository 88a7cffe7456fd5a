#include "app/ErrorReport.h"

#include "app/modSims2General.h"
#include "errors/Failure.h"
#include "errors/modErrorTrap.h"
#include "platform/AppInfo.h"
#include "platform/CodePage.h"
#include "platform/FileAccess.h"
#include "platform/StandardOutput.h"
#include "platform/TerminalText.h"
#include "platform/WindowServices.h"

#include <algorithm>
#include <string_view>
#include <iostream>

namespace {

constexpr const char* kCrLf = "\r\n";

} // namespace

std::string gfstrErrorReport(const AppVersion& version)
{
    std::string report;
    report += std::string(kAppTitle) + " - Version " + gfstrVersionText(version) + kCrLf + kCrLf;
    report += "Error: " + std::to_string(glngErrNumber) + kCrLf;
    report += gstrErrDescription + kCrLf + kCrLf;
    report += "Module: " + gstrErrModule + kCrLf;
    report += "Procedure: " + gstrErrProcedure + kCrLf;
    report += "Location: " + std::to_string(glngErrLocation) + kCrLf + kCrLf;
    report += "Install Path: " + platform::gfstrAppPath() + kCrLf;
    report += "Data Path: " + gstrDocumentsPath + kCrLf;
    report += "Sims Path: " + gstrSims2Path + kCrLf + kCrLf;
    if (!gstrErrData.empty())
        report += std::string("Additional Error Data:") + kCrLf + gstrErrData;
    return report;
}

std::string gfstrErrorLogPath()
{
    return platform::gfstrAppPath() + "\\errorlog.txt";
}

void gsWriteErrorLog(const std::string& report)
{
    platform::OutputFile log(gfstrErrorLogPath());
    log.Write(platform::gfstrToCodePage(report + kCrLf));
    log.Close();
}

std::string gfstrErrorReportKept(const AppVersion& version)
{
    std::string text = gfstrErrorReport(version);
    try {
        gsWriteErrorLog(text);
    } catch (...) {
        // A program folder the player may not write to, a full disk: the report is still what
        // the player needs to see, with the reason there is no log of it.
        const Failure failure = gudtCaughtFailure();
        if (!text.ends_with(std::string(kCrLf) + kCrLf))
            text += std::string(kCrLf) + kCrLf;
        text += "The error log " + gfstrErrorLogPath() + " could not be written: " + gfstrFailureText(failure) + ".";
    }
    return text;
}

void gsReportErrorToConsole()
{
    const std::string text = gfstrErrorReportKept();
    // The log's lines end in CR LF; on the terminal they end in LF, and the control characters
    // of the names in the report show as '?'.
    platform::gsWriteStandard(platform::StandardStream::Error,
                              platform::gfstrPrintableLines(platform::gfstrWithLfLineEnds(text + kCrLf)));
    std::cerr << std::flush;
    platform::gudtWindowServices().EndProgram(2);
}
