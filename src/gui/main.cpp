// The window program. It takes no arguments: loading the main window runs the start-up, and
// the program then waits for Scan or for the window to close.
//
// CLASHWICK_SCREENSHOT, when set to a file name, makes the program press Scan as soon as the
// main window is up, save a picture of the window with its report to that file (PNG) and end.
// scripts/screenshot uses it to make the README's picture, and scripts/check-installed to run the
// installed program once without a display.

#include "errors/modErrorTrap.h"
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
    if (!screenshot.isEmpty()) {
        QTimer::singleShot(0, &window, [&window, screenshot] {
            window.cmdScan->click();
            QCoreApplication::exit(window.grab().save(screenshot, "PNG") ? 0 : 1);
        });
    }
    return QApplication::exec();
}
