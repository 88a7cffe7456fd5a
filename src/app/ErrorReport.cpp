#include "app/ErrorReport.h"

#include "app/modSims2General.h"
#include "errors/modErrorTrap.h"
#include "platform/AppInfo.h"
#include "platform/CodePage.h"
#include "platform/FileAccess.h"
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

void gsReportErrorToConsole()
{
    std::string report;
    try {
        report = gfstrErrorReport();
        gsWriteErrorLog(report);
    } catch (...) {
        // Nowhere to keep the report: end at once, as the error dialog's load step does.
        platform::gudtWindowServices().EndProgram(2);
        return;
    }
    // The log's lines end in CR LF; on the terminal they end in LF, and the control characters
    // of the names in the report show as '?'.
    std::cerr << platform::gfstrPrintableLines(platform::gfstrWithLfLineEnds(report + kCrLf)) << std::flush;
    platform::gudtWindowServices().EndProgram(2);
}
