#pragma once
// The window-system services of the window program: Qt message boxes, Qt's event loop, and an
// immediate end. The error trap presents through the error dialog (gui/frmErrorDialog.h),
// which main installs.

#include <QString>

#include <string>

namespace gui::qt {

// Installs ProcessEvents, ShowCriticalMessage and EndProgram into the window services.
void gsInstallQtWindowServices();

// A text as the windows show it: the program's UTF-8 text with CR LF line ends turned into
// the line breaks of a text box.
QString gfqsDisplayText(const std::string& text);

} // namespace gui::qt
