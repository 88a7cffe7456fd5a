// The window tests run without a display: the offscreen platform unless the caller chose one.
// They run inside the application's event loop, so the windows are dropped before the
// application object, as in the program.

#include <QApplication>
#include <QTimer>

#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    int result = 1;
    QTimer::singleShot(0, [&result] {
        result = RUN_ALL_TESTS();
        QCoreApplication::exit(0);
    });
    QApplication::exec();
    return result;
}
