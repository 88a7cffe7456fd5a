#pragma once
// The Scan command: runs the scan, writes temp\hackreport.txt from the resource tables and
// gives the lines written for display. The main window and the headless program both run it.

#include <cstdint>
#include <functional>
#include <string>

struct ScanCommandHooks {
    // Moves the keyboard focus to the focus sink.
    std::function<void()> MoveFocusToSink;
    // Shows the scan window modally over the main window with its folder set to `meshPath`;
    // returns when the scan window has unloaded.
    std::function<void(const std::string& meshPath)> ShowScanForm;
    // The current local date and time as the report's first line writes it.
    std::function<std::string()> DateText;
};

// The report's conflict blocks, closing lines and unreadable-packages section, in the code
// page, from the current tables; `conflicts` receives the number of blocks.
std::string gfstrReportBody(std::int32_t& conflicts);
void gsAppendReportBody(std::string& out, std::int32_t& conflicts);  // the same, added to `out`

// The report file's path: the program folder followed by "\temp\hackreport.txt".
std::string gfstrHackReportPath();

// Runs the command. On success `displayText` holds the lines written to the file, each followed
// by CR LF, decoded for display (never read back: another run may have replaced the file since). A failure goes to the error trap under "frmHackMain"/"cmdScan_Click"
// and the result is false.
bool gfblnScanCommand(const ScanCommandHooks& hooks, std::string& displayText);
