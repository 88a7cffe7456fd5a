#include "app/ScanCommand.h"

#include "app/FindHacks.h"
#include "app/modSims2General.h"
#include "errors/modErrorTrap.h"
#include "package/modBinarySupport.h"
#include "platform/AppInfo.h"
#include "platform/CodePage.h"
#include "platform/FileAccess.h"
#include "platform/PhaseTimes.h"

#include <algorithm>
#include <array>

namespace {

constexpr std::string_view kCrLf = "\r\n";

// What the report writes of each table besides its type, in the order of
// gudtTablesInReportOrder: BHAV, BCON, TTAB, TTAs.
struct TableReport {
    std::string_view PackagesHeading;
    bool ShowName;
};
constexpr std::array<TableReport, 4> kTableReports = {{
    {"Packages Containing This Procedure:", true},
    {"Packages Containing This Constant File:", false},
    {"Packages Containing This Menu File:", false},
    {"Packages Containing This Menu Strings File:", false},
}};

void msAppendLine(std::string& out, std::string_view line)
{
    out += line;
    out += kCrLf;
}

void msAppendBlock(std::string& out, const TypedTable& table, const TableReport& report, const HackResource& row)
{
    msAppendLine(out, "*** POSSIBLE CONFLICT DETECTED ***");
    out += "File Type: ";
    msAppendLine(out, table.TypeName);
    if (report.ShowName) {
        // Resource names are already bytes of the code page.
        out += "Procedure Name: ";
        msAppendLine(out, row.ResourceName);
    }
    msAppendLine(out, "Group ID: 0x" + gfstrBinToHex(row.GroupID.Bytes()));
    msAppendLine(out, "Instance ID: 0x" + gfstrBinToHex(row.InstanceID.Bytes()));
    msAppendLine(out, report.PackagesHeading);
    for (std::size_t i = 1; i < row.Packages.size(); ++i)
        msAppendLine(out, platform::gfstrToCodePage(row.Packages[i].PackageName));
    msAppendLine(out, " ");
}

// The file's lines, each followed by CR LF. A line ends at CR LF, or at a lone CR or LF.
std::string mfstrLinesWithCrLf(std::string_view file)
{
    std::string text;
    text.reserve(file.size() + 2);
    std::size_t start = 0;
    while (start < file.size()) {
        // A plain search for either byte: find_first_of looks each byte up in the set with a call.
        const auto at = std::find_if(file.begin() + static_cast<std::ptrdiff_t>(start), file.end(),
                                     [](char c) { return c == '\r' || c == '\n'; });
        const std::size_t end = at == file.end() ? std::string_view::npos : static_cast<std::size_t>(at - file.begin());
        if (end == std::string_view::npos) {
            msAppendLine(text, file.substr(start));
            break;
        }
        msAppendLine(text, file.substr(start, end - start));
        start = end + ((file[end] == '\r' && end + 1 < file.size() && file[end + 1] == '\n') ? 2 : 1);
    }
    return text;
}

} // namespace

std::string gfstrHackReportPath() { return platform::gfstrAppPath() + "\\temp\\hackreport.txt"; }

std::string gfstrReportBody(std::int32_t& conflicts)
{
    std::string out;
    conflicts = 0;
    for (std::size_t t = 0; t < kTableReports.size(); ++t) {
        const TypedTable& table = gudtTablesInReportOrder()[t];
        for (std::size_t row = 1; row < table.Table.size(); ++row) {
            if (table.Table[row].Packages.size() > 2) {
                msAppendBlock(out, table, kTableReports[t], table.Table[row]);
                ++conflicts;
            }
        }
    }
    msAppendLine(out, "End Of Report");
    msAppendLine(out, " ");
    msAppendLine(out, std::to_string(conflicts) + " possible conflicts detected.");
    if (gudtUnreadablePackages.size() > 1) {
        msAppendLine(out, " ");
        msAppendLine(out, "The following packages could not be read:");
        for (std::size_t i = 1; i < gudtUnreadablePackages.size(); ++i) {
            const PackageRef& unreadable = gudtUnreadablePackages[i];
            msAppendLine(out, platform::gfstrToCodePage(unreadable.PackageName + "  Error Code: " + unreadable.ErrorCode));
        }
        msAppendLine(out, " ");
    }
    return out;
}

bool gfblnScanCommand(const ScanCommandHooks& hooks, std::string& displayText)
{
    return gfblnRunHandled("frmHackMain", "cmdScan_Click", [&] {
        glngErrLocation = 1000;
        hooks.MoveFocusToSink();
        hooks.ShowScanForm(gstrSims2DataPath + "\\downloads");
        const platform::PhaseTimer timer(platform::Phase::Report);
        const std::string reportPath = gfstrHackReportPath();
        platform::OutputFile report(reportPath);
        std::string written = platform::gfstrToCodePage("Report Start " + hooks.DateText());
        written += kCrLf;
        written += " ";
        written += kCrLf;
        report.Write(written);

        glngErrLocation = 2000;
        std::int32_t conflicts = 0;
        const std::string body = gfstrReportBody(conflicts);
        report.Write(body);
        written += body;
        report.Close();

        glngErrLocation = 3000;
        // What is shown is what this scan wrote: another run may replace the file meanwhile.
        displayText = platform::gfstrFromCodePage(mfstrLinesWithCrLf(written));
    });
}
