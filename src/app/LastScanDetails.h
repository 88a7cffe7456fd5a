#pragma once
// The details of the last scan as the main window keeps them: a scan that ends with its report
// leaves its details to be read (app/ScanDetails.h), which the window does once the report is
// drawn, or sooner when Details... or the next Scan needs them. The details read before stay
// until the new ones are read, so that an open details window keeps drawing them meanwhile.

#include "app/ScanCommand.h"
#include "app/ScanDetails.h"

#include <optional>
#include <string>

class LastScanDetails {
public:
    // Runs the Scan command (app/ScanCommand.h) with these hooks. When it ends with a report, the
    // scan's details are to be read, with the folder it scanned and the date its report gives.
    // The details of the scan before must have been read first (Prepare): they are read from
    // the tables this scan replaces.
    bool RunScan(const ScanCommandHooks& hooks, std::string& displayText);

    // True when a scan has ended whose details are not read yet.
    bool Pending() const { return pending_; }

    // Reads the details of the scan that ended, when that is still to be done; a failure goes to
    // the error trap and leaves no details. True when there are details.
    bool Prepare();

    // The details read last, or none (before the first scan, after a failed read). They stay
    // where they are until the next Prepare that reads new ones.
    ScanDetails* Details() { return details_ ? &*details_ : nullptr; }
    const ScanDetails* Details() const { return details_ ? &*details_ : nullptr; }

private:
    std::string folder_;  // the folder and the date of the scan whose details are to be read
    std::string date_;
    bool pending_ = false;
    std::optional<ScanDetails> details_;
};
