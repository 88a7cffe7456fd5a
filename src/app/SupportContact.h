#pragma once
// The error dialog's two ways to reach support: a new e-mail, and the support web page in the
// desktop's web browser. The window only forwards its button clicks here.

#include <string_view>

// The file whose type makes the shell name the program that opens web pages.
inline constexpr std::string_view kBrowserProbeFile = "C:\\temphtm.HTM";

// Opens a new e-mail to `address` ("mailto:" and the address, verb "open"). Whether the shell
// managed is not examined: there is nothing the user could do about it here.
void gsMailToSupport(std::string_view address);

// Writes the probe file, asks the shell for the program that opens it and starts that program
// with `pageUrl`. A shell result of 32 or less shows "Could not find the default web browser!"
// or, when the browser would not start, "Support web page not found!". The probe file is
// deleted in every case. A failure to write or delete the probe is raised to the caller.
void gsOpenSupportWebPage(std::string_view pageUrl);
