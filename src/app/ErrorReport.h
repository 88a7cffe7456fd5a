#pragma once
// The error report: the error record, the program's identity and the game's folders as one
// plain text, and the error log that keeps it in the program folder. The error dialog shows
// it; the program without windows prints it.

#include "app/AppIdentity.h"

#include <string>

// The report, lines separated by CR LF (UTF-8, as the program holds text):
//   <title> - Version <major>.<minor as 00>.<revision as 00>, a blank line,
//   "Error: " number, the description, a blank line,
//   "Module: ", "Procedure: ", "Location: ", a blank line,
//   "Install Path: " program folder, "Data Path: " documents, "Sims Path: " game, a blank line,
//   then "Additional Error Data:" and the data, only when there is extra data.
std::string gfstrErrorReport(const AppVersion& version = kAppVersion);

// The error log's path: the program folder followed by "\errorlog.txt".
std::string gfstrErrorLogPath();

// Writes the report and one CR LF to the error log in the code page, replacing an older log.
// Raises the failure of the path layer when the log cannot be written.
void gsWriteErrorLog(const std::string& report);

// Builds the report from the error record and writes the error log. The result is the text the
// error dialog shows and the program without windows prints: the report, and when the log could
// not be written, after a blank line, one sentence that names the log and the failure:
//   The error log C:\Games\Clashwick\errorlog.txt could not be written: Error 70, Permission denied.
// A log that cannot be written never hides the report.
std::string gfstrErrorReportKept(const AppVersion& version = kAppVersion);

// The error trap of the program without windows: writes the error log, prints the text of
// gfstrErrorReportKept to standard error (lines ending in LF there) and ends the program with
// exit code 2.
void gsReportErrorToConsole();
