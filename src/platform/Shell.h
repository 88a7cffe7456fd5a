#pragma once
// The desktop shell: open a document or address with the program the desktop associates with
// it, and name that program. Results keep the shell's convention: a value greater than 32 is
// success, 32 or less a failure code. The window program installs the desktop's own shell;
// tests install stand-ins; without one every call fails.

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace platform {

// Failure codes the shell gives.
enum ShellResult : std::int32_t {
    shellFileNotFound = 2,   // the file or program is not there
    shellAccessDenied = 5,   // it is there but could not be started
    shellNoAssociation = 31, // no program is associated with the file's type
    shellSuccess = 42,       // any value above 32 means success
};

struct ShellServices {
    // Performs `operation` ("open") on `file` (a Windows-form path, or an address such as
    // "mailto:..."), passing `parameters` when the file is a program.
    std::function<std::int32_t(std::string_view operation, std::string_view file, std::string_view parameters)>
        ShellExecute;
    // Stores in `program` the Windows-form path of the program that opens `file` (an existing
    // Windows-form path) by its type.
    std::function<std::int32_t(std::string_view file, std::string& program)> FindExecutable;
};

// The services in use.
ShellServices& gudtShellServices();

// Services that fail every call with "no association", for restoring after a stand-in.
ShellServices gudtNoShellServices();

} // namespace platform
