#pragma once
// Shared test fixtures: a scratch folder reachable by a Windows-form path, and a stand-in error
// trap that records each call instead of ending the program.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "errors/modErrorTrap.h"
#include "platform/WindowServices.h"

namespace testsupport {

// What the error record held when the trap was called.
struct TrapCall {
    std::int32_t Location;
    std::int32_t Number;
    std::string Description;
    std::string Module;
    std::string Procedure;
    std::string Data;
};

// Empties the error record, installs a recording trap and a scratch folder; restores all after.
class TrapTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // A new empty folder of this test's own (host path); WINEPREFIX points at its "prefix".
    const std::filesystem::path& Scratch() const { return scratch_; }
    // The Windows form of a host path below the scratch folder (Z: drive under the Wine model).
    static std::string WinPath(const std::filesystem::path& host);
    // Writes bytes to a host file, making its folders.
    static void WriteFile(const std::filesystem::path& host, const std::string& bytes);
    static std::string ReadFile(const std::filesystem::path& host);

    std::vector<TrapCall> trapCalls;

private:
    std::filesystem::path scratch_;
    platform::WindowServices saved_;
    ErrorTrapPresenter savedTrap_;
};

void gsResetErrorRecord();

// The error number a call raises, or nothing when it returns.
template <class Call>
std::optional<std::int32_t> RaisedBy(Call&& call)
{
    try {
        call();
    } catch (const Failure& failure) {
        return failure.Number();
    }
    return std::nullopt;
}

} // namespace testsupport
