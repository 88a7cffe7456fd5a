#pragma once
// Start-up of the main window: finds the game's folders, stops with a fatal message when one is
// missing or the program folder is refused (platform::UnusableFolder), makes the temp folder,
// sets the caption and fills the identifier table. The window program and the headless program
// run the same steps.

#include "app/AppIdentity.h"

#include <string>

// "Clashwick - Version " and the version as 00.00.00, then " - " and the copyright notice.
std::string gfstrMainCaption(const AppVersion& version);

// Runs the start-up steps. When a fatal check fails, or a step fails unexpectedly, the message
// is shown and the program ended through the window services; the result is then false (only
// seen when a stand-in did not end the program). On success `caption` holds the caption.
bool gfblnStartUp(std::string& caption);
