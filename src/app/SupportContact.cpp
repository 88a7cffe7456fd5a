#include "app/SupportContact.h"

#include "platform/FileAccess.h"
#include "platform/Folders.h"
#include "platform/Shell.h"
#include "platform/WindowServices.h"

#include <string>

namespace {

// The shell's convention: above 32 is success.
constexpr std::int32_t kLastFailureCode = 32;

} // namespace

void gsMailToSupport(std::string_view address)
{
    platform::gudtShellServices().ShellExecute("open", "mailto:" + std::string(address), "");
}

void gsOpenSupportWebPage(std::string_view pageUrl)
{
    // Only the file's type matters; its one line is the quoted text of an empty page.
    platform::OutputFile probe(kBrowserProbeFile);
    probe.Write("\"<HTML> <\\HTML>\"\r\n");
    probe.Close();

    platform::ShellServices& shell = platform::gudtShellServices();
    platform::WindowServices& windows = platform::gudtWindowServices();
    std::string browser;
    if (shell.FindExecutable(kBrowserProbeFile, browser) <= kLastFailureCode)
        windows.ShowCriticalMessage("Could not find the default web browser!", "Error - Browser Not Found");
    else if (shell.ShellExecute("open", browser, pageUrl) <= kLastFailureCode)
        windows.ShowCriticalMessage("Support web page not found!", "Error - Bad URL");

    platform::gsDeleteFile(kBrowserProbeFile);
}
