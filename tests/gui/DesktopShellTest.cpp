// Reading the program out of a desktop entry, as the desktop shell finds the web browser.

#include "gui/qt/DesktopShell.h"

#include <gtest/gtest.h>

namespace {

TEST(DesktopShell, ProgramOfTheDesktopEntry)
{
    struct Case {
        const char* Entry;
        const char* Program;
    };
    const Case cases[] = {
        {"[Desktop Entry]\nName=Firefox\nExec=firefox-esr %u\n", "firefox-esr"},
        {"[Desktop Entry]\nExec=\"/opt/My Browser/browser\" --new-window %U\n", "/opt/My Browser/browser"},
        {"[Desktop Entry]\nExec=env GDK_BACKEND=x11 LANG=C chromium %U\n", "chromium"},
        {"[Desktop Entry]\nTryExec=other\nExec[de]=falsch\nExec = spaced %u\r\n", "spaced"},
        {"[Desktop Action new]\nExec=wrong\n[Desktop Entry]\nName=x\n", ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(gui::qt::gfstrDesktopEntryProgram(c.Entry), c.Program) << c.Entry;
}

} // namespace
