#pragma once
// What the details window asks of the system beyond its own window: the file manager, to show
// a package, and the Save As dialog, to ask where the details go. Tests put stand-ins here.

#include "app/ScanDetails.h"

#include <windows.h>

#include <functional>
#include <optional>
#include <string>

namespace gui::win32 {

// Where "Save..." writes and what: a file (Windows form, UTF-8) and the kind of its text.
struct SavePlace {
    std::string Path;
    SaveKind Kind = SaveKind::Explained;
};

struct DetailsServices {
    // Opens the folder of a file (Windows form, UTF-8) in Explorer with the file selected.
    std::function<void(const std::string& windowsPath)> ShowInFolder;
    // Asks the player, over `owner`, where to save and as what; nothing when they cancelled.
    std::function<std::optional<SavePlace>(HWND owner)> AskSavePlace;
};

// The services in use; by default Explorer and the system's Save As dialog.
DetailsServices& gudtDetailsServices();

// The default services, for restoring after a stand-in.
DetailsServices gudtDefaultDetailsServices();

} // namespace gui::win32
