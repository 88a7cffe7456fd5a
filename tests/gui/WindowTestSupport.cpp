#include "WindowTestSupport.h"

#include "platform/AppInfo.h"
#include "platform/Shell.h"

#include <QApplication>
#include <QDialog>
#include <QTest>
#include <QTimer>


namespace windowtest {

void WindowTest::SetUp()
{
    TrapTest::SetUp();
    std::filesystem::create_directories(AppFolder());
    platform::gsSetAppPath(WinPath(AppFolder()));
    platform::WindowServices& services = platform::gudtWindowServices();
    services.EndProgram = [this](int code) { exitCode = code; };
    services.ShowCriticalMessage = [this](const std::string& message, const std::string& title) {
        criticalMessages.push_back(title + ": " + message);
    };
}

void WindowTest::TearDown()
{
    platform::gsSetAppPath("");
    platform::gudtShellServices() = platform::gudtNoShellServices();
    TrapTest::TearDown();
}

bool WindowTest::ShowActive(QWidget& window)
{
    window.show();
    window.activateWindow();
    return QTest::qWaitForWindowActive(&window);
}

ModalAnswer::ModalAnswer(std::function<void(QWidget& modal)> inspect)
{
    timer_.setInterval(10);
    QObject::connect(&timer_, &QTimer::timeout, [this, inspect = std::move(inspect)] {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal || !modal->isVisible())
            return;
        found_ = true;
        timer_.stop();
        inspect(*modal);
        if (auto* dialog = qobject_cast<QDialog*>(modal))
            dialog->reject();
        else
            modal->close();
    });
    timer_.start();
}

} // namespace windowtest
