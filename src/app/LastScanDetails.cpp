#include "app/LastScanDetails.h"

#include "errors/Assert.h"

#include <utility>

bool LastScanDetails::RunScan(const ScanCommandHooks& hooks, std::string& displayText)
{
    CLASHWICK_ASSERT(!pending_);
    std::string folder;
    std::string date;
    ScanCommandHooks noted = hooks;
    noted.ShowScanForm = [&](const std::string& meshPath) {
        folder = meshPath;
        hooks.ShowScanForm(meshPath);
    };
    noted.DateText = [&] {
        date = hooks.DateText();
        return date;
    };
    if (!gfblnScanCommand(noted, displayText))
        return false;
    folder_ = std::move(folder);
    date_ = std::move(date);
    pending_ = true;
    return true;
}

bool LastScanDetails::Prepare()
{
    if (pending_) {
        pending_ = false;
        // Read apart first: while a failure's error dialog is up, the old details can still be drawn.
        std::optional<ScanDetails> fresh = gudtDetailsOfLastScan(folder_, date_);
        details_ = std::move(fresh);
    }
    return details_.has_value();
}
