#pragma once
// The scan: lists every package below a folder, keeps the packages that hold hack code and
// enters each of their behaviour resources in the table of its type, keyed by group and
// instance, with the packages that hold it. The scan window runs it; so does the headless
// program.

#include "app/HackTables.h"
#include "package/SimsID.h"

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

struct PackageRef {
    std::string PackageName; // relative name, from the downloads folder on
    std::string ErrorCode;   // "62 - Input past end of file"
};

// The tables keep element 0 unused; rows are 1..size()-1 in the order their pairs were met.
// Their texts live in the scan's text store (app/HackTables.h) until the next scan starts.
extern HackTable gudtBHAVTable;
extern HackTable gudtBCONTable;
extern HackTable gudtTTABTable;
extern HackTable gudtTTAsTable;
extern std::vector<PackageRef> gudtUnreadablePackages;

// A resource table with its type: the type's identifier (set by gsInitTypeIDs) and its
// four-letter name.
struct TypedTable {
    const HackTable& Table;
    const SimsID& TypeID;
    std::string_view TypeName;
};
// The four tables in the order the report lists them: BHAV, BCON, TTAB, TTAs.
const std::array<TypedTable, 4>& gudtTablesInReportOrder();

// Draws the progress bar at `done` of `count` packages.
using ProgressDrawer = std::function<void(std::int32_t done, std::int32_t count)>;

// Runs the whole scan of `meshPath`. The bar is drawn after every package whose number is a
// multiple of the step Int(count / 25) + 1, so at most 24 times. A failure goes to the error
// trap under "frmFindHacks"/"Form_Activate"; the result tells whether the scan reached its end
// (the window unloads only then).
bool gfblnFindHacks(const std::string& meshPath, const ProgressDrawer& drawProgress);

// Removes DecompError.log from the program folder, where a decompression library of the past
// left its failures; the scan does it once as it starts. Our decoder never writes the log.
void gsRemoveDecompressionLog();

// A package path from its first "\downloads" (without regard to case) on, in its own case;
// raises 5 when the path holds none.
std::string mfstrRelativePackageName(const std::string& path);
// The same for a path of a scan of `meshPath`: from the scanned folder's own "\downloads" on,
// so that a folder of that name above it (Documents in D:\Downloads\Docs) is not taken for it.
// A path outside `meshPath`, or a `meshPath` without such a name, falls back to the rule above.
std::string mfstrRelativePackageName(const std::string& path, std::string_view meshPath);
