#pragma once
// A fixture for tests that scan: a scratch Downloads folder that the tests fill with packages
// made by the package writer, the behaviour types set up, and a program folder of the test's own
// (with its temp folder) for what a scan remembers.

#include "support/PackageWriter.h"
#include "support/TestSupport.h"

#include <filesystem>
#include <string>
#include <vector>

namespace testsupport {

class DownloadsTest : public TrapTest {
protected:
    void SetUp() override;
    void TearDown() override;

    // The folder that holds the packages (host path), and the folder a scan is given for it.
    std::filesystem::path Downloads() const { return Scratch() / "Docs" / "Downloads"; }
    std::string MeshPath() const { return WinPath(Scratch() / "Docs") + "\\downloads"; }
    // The program folder's temp folder, where the program keeps its files.
    std::filesystem::path Temp() const { return Scratch() / "program" / "temp"; }

    // Writes a package of these resources at `relative` below Downloads.
    void Put(const std::string& relative, std::vector<writer::Resource> resources);
};

} // namespace testsupport
