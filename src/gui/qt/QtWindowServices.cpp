#include "gui/qt/QtWindowServices.h"

#include "platform/WindowServices.h"

#include <QCoreApplication>
#include <QMessageBox>

#include <cstdio>
#include <cstdlib>
#include <iostream>

namespace gui::qt {

using namespace platform;

void gsInstallQtWindowServices()
{
    WindowServices& services = gudtWindowServices();
    services.ProcessEvents = [] { QCoreApplication::processEvents(); };
    services.ShowCriticalMessage = [](const std::string& message, const std::string& title) {
        QMessageBox box(QMessageBox::Critical, QString::fromStdString(title), QString::fromStdString(message),
                        QMessageBox::Ok);
        box.exec();
    };
    // At once: no window gets another event and nothing is unloaded; only buffered output is
    // written out first.
    services.EndProgram = [](int exitCode) {
        std::cout.flush();
        std::cerr.flush();
        std::fflush(nullptr);
        std::_Exit(exitCode);
    };
}

QString gfqsDisplayText(const std::string& text)
{
    QString display = QString::fromStdString(text);
    display.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return display;
}

} // namespace gui::qt
