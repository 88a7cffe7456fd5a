#pragma once
// The shell services of a Linux desktop (freedesktop.org conventions).
//
// FindExecutable names the program associated with a file's type the way the desktop itself
// decides: the file's MIME type (by name and content), then `xdg-mime query default` for that
// type, then the Exec line of the .desktop entry it names, resolved on PATH. When the desktop
// names no program, a web page falls back to Debian's `sensible-browser`, and any file to
// `xdg-open`, which hands it on by type in turn. The program is returned in Windows form
// (Z:\usr\bin\...), as every path the program holds is.
//
// ShellExecute opens an address ("mailto:...", "https://...") with the desktop's handler,
// starts a program with the parameters split as a command line, and opens any other file
// with the program of its type.

#include <string>
#include <string_view>

namespace gui::qt {

// Installs the desktop's shell into the shell services.
void gsInstallDesktopShell();

// The program named by the Exec key of the [Desktop Entry] group of a .desktop file's text:
// its first word, quotes removed, after any leading "env" and VAR=value words. Empty when
// there is none.
std::string gfstrDesktopEntryProgram(std::string_view desktopFile);

} // namespace gui::qt
