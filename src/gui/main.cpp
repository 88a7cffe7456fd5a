// The window program. It takes no arguments: loading the main window runs the start-up, and
// the program then waits for Scan or for the window to close.
//
// CLASHWICK_SCREENSHOT, when set to a file name, makes the program press Scan as soon as the
// main window is up, save a picture of the window with its report to that file (PNG) and end.
// scripts/screenshot uses it to make the README's picture, and scripts/check-installed to run the
// installed program once without a display. CLASHWICK_SCREENSHOT_DETAILS, set with it, also opens
// the details window after the scan and saves its picture to that file.

#include "errors/modErrorTrap.h"
#include "gui/frmDetails.h"
#include "gui/frmErrorDialog.h"
#include "gui/frmHackMain.h"
#include "gui/qt/DesktopShell.h"
#include "gui/qt/QtWindowServices.h"

#include <QApplication>
#include <QIcon>
#include <QPushButton>
#include <QTimer>

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    // The desktop matches the window to its menu entry, and takes the entry's icon, by this name.
    // The icon is the installed one; a program run from its build folder finds none, as before.
    QGuiApplication::setDesktopFileName(QStringLiteral(CLASHWICK_APP_ID));
    QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral(CLASHWICK_APP_ID)));
    gui::qt::gsInstallQtWindowServices();
    gui::qt::gsInstallDesktopShell();
    gsSetErrorTrapPresenter(gsShowErrorDialog);

    frmHackMain window;
    if (!window.Form_Load())
        return 1;
    window.show();

    const QString screenshot = qEnvironmentVariable("CLASHWICK_SCREENSHOT");
    const QString detailsShot = qEnvironmentVariable("CLASHWICK_SCREENSHOT_DETAILS");
    if (!screenshot.isEmpty()) {
        QTimer::singleShot(0, &window, [&window, screenshot, detailsShot] {
            window.cmdScan->click();
            // The details are prepared once the report is drawn; the picture shows their button.
            QApplication::processEvents();
            bool saved = window.grab().save(screenshot, "PNG");
            if (!detailsShot.isEmpty()) {
                window.cmdDetails->click();
                frmDetails* details = window.DetailsForm();
                QApplication::processEvents();
                saved = saved && details && details->grab().save(detailsShot, "PNG");
            }
            QCoreApplication::exit(saved ? 0 : 1);
        });
    }
    return QApplication::exec();
}
