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

// Room for every conflict block, so that the report is not copied as it grows: its lines take
// at most 200 bytes besides the resource name and the package names, which take no more bytes
// in the code page than they have.
std::size_t mfintConflictBlocksBytesAtMost()
{
    std::size_t bytes = 0;
    for (const TypedTable& table : gudtTablesInReportOrder())
        for (std::size_t row = 1; row < table.Table.size(); ++row) {
            const RowPackages& packages = table.Table[row].Packages;
            if (packages.size() <= 2)
                continue;
            bytes += 200 + std::string_view(table.Table[row].ResourceName).size();
            for (std::size_t i = 1; i < packages.size(); ++i)
                bytes += packages[i].PackageName.size() + kCrLf.size();
        }
    return bytes;
}

// The position of the first CR or LF from `start` on, or npos. A plain search for either byte:
// find_first_of looks each byte up in the set with a call.
std::size_t mfintNextLineBreak(std::string_view text, std::size_t start)
{
    const auto at = std::find_if(text.begin() + static_cast<std::ptrdiff_t>(start), text.end(),
                                 [](char c) { return c == '\r' || c == '\n'; });
    return at == text.end() ? std::string_view::npos : static_cast<std::size_t>(at - text.begin());
}

// True when the text is lines that each end in CR LF, with no lone CR or LF.
bool mfblnLinesEndInCrLf(std::string_view text)
{
    if (!text.ends_with(kCrLf))
        return text.empty();
    for (std::size_t at = mfintNextLineBreak(text, 0); at != std::string_view::npos; at = mfintNextLineBreak(text, at + 2))
        if (text[at] != '\r' || at + 1 == text.size() || text[at + 1] != '\n')
            return false;
    return true;
}

// The file's lines, each followed by CR LF. A line ends at CR LF, or at a lone CR or LF.
std::string mfstrLinesWithCrLf(std::string&& file)
{
    // A report's lines all end so, unless a name holds a line break.
    if (mfblnLinesEndInCrLf(file))
        return std::move(file);
    const std::string_view lines = file;
    std::string text;
    text.reserve(lines.size() + 2);
    std::size_t start = 0;
    while (start < lines.size()) {
        const std::size_t end = mfintNextLineBreak(lines, start);
        if (end == std::string_view::npos) {
            msAppendLine(text, lines.substr(start));
            break;
        }
        msAppendLine(text, lines.substr(start, end - start));
        start = end + ((lines[end] == '\r' && end + 1 < lines.size() && lines[end + 1] == '\n') ? 2 : 1);
    }
    return text;
}

} // namespace

std::string gfstrHackReportPath() { return platform::gfstrAppPath() + "\\temp\\hackreport.txt"; }

std::string gfstrReportBody(std::int32_t& conflicts)
{
    std::string out;
    gsAppendReportBody(out, conflicts);
    return out;
}

void gsAppendReportBody(std::string& out, std::int32_t& conflicts)
{
    out.reserve(out.size() + mfintConflictBlocksBytesAtMost());
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
        const std::size_t bodyStart = written.size();
        gsAppendReportBody(written, conflicts);
        report.Write(std::string_view(written).substr(bodyStart));
        report.Close();

        glngErrLocation = 3000;
        // What is shown is what this scan wrote: another run may replace the file meanwhile.
        displayText = platform::gfstrFromCodePage(mfstrLinesWithCrLf(std::move(written)));
    });
}
