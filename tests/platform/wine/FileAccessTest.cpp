#include "platform/FileAccess.h"

#include "errors/Failure.h"
#include "support/TestSupport.h"

#include <optional>
#include <variant>

#include <sys/stat.h>

namespace {

namespace fs = std::filesystem;

class FileAccess : public testsupport::TrapTest {};

TEST_F(FileAccess, ReadAtChecksTheWholeSpanBeforeReading)
{
    WriteFile(Scratch() / "ten.bin", "0123456789");
    platform::InputFile file(WinPath(Scratch() / "TEN.BIN"));
    ASSERT_EQ(file.Size(), 10);

    const struct {
        std::int64_t offset;
        std::size_t size;
        std::optional<std::int32_t> number;
        std::string bytes;
    } cases[] = {
        {0, 10, std::nullopt, "0123456789"},
        {5, 5, std::nullopt, "56789"},
        {10, 0, std::nullopt, ""},
        {5, 6, errPastEnd, ""},
        {11, 0, errPastEnd, ""},
        {-1, 1, errBadRecord, ""},
        {INT64_MAX, 1, errPastEnd, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.offset);
        std::string buffer(c.size, '#');
        EXPECT_EQ(testsupport::RaisedBy([&] { file.ReadAt(c.offset, buffer); }), c.number);
        // A read that fails leaves the buffer as it was: nothing is read before the check.
        EXPECT_EQ(buffer, c.number ? std::string(c.size, '#') : c.bytes);
    }
    EXPECT_EQ(file.ReadAll(), "0123456789");
}

TEST_F(FileAccess, OpenFailuresCarryTheirNumbers)
{
    WriteFile(Scratch() / "Folder" / "x.bin", "x");
    const struct {
        std::string path;
        std::int32_t number;
    } cases[] = {
        {WinPath(Scratch() / "Folder" / "missing.bin"), errFileNotFound},
        {WinPath(Scratch() / "Missing" / "x.bin"), errPathNotFound},
        {WinPath(Scratch() / "Folder"), errPathFileAccess},
        {WinPath(Scratch() / "Folder") + "\\x?.bin", errBadFileName},
    };
    for (const auto& c : cases)
        EXPECT_EQ(testsupport::RaisedBy([&] { platform::InputFile file(c.path); }), c.number) << c.path;
    EXPECT_EQ(testsupport::RaisedBy([&] { platform::OutputFile file(WinPath(Scratch() / "Missing" / "o.txt")); }), errPathNotFound);
    EXPECT_EQ(testsupport::RaisedBy([&] { platform::OutputFile file(WinPath(Scratch() / "Folder")); }), errPathFileAccess);
}

TEST_F(FileAccess, OutputFileWritesEverythingOnClose)
{
    WriteFile(Scratch() / "Out.txt", "old contents that are longer");
    std::string expected;
    {
        platform::OutputFile out(WinPath(Scratch() / "out.txt"));  // replaces Out.txt
        for (int i = 0; i < 20000; ++i) {
            const std::string line = "line " + std::to_string(i) + "\r\n";
            out.Write(line);
            expected += line;
        }
        out.Close();
        out.Close();  // closing twice is harmless
        EXPECT_EQ(testsupport::RaisedBy([&] { out.Write("late"); }), errBadFileName);
    }
    EXPECT_EQ(ReadFile(Scratch() / "Out.txt"), expected);

    // The destructor flushes too.
    {
        platform::OutputFile out(WinPath(Scratch() / "short.txt"));
        out.Write("short");
    }
    EXPECT_EQ(ReadFile(Scratch() / "short.txt"), "short");
}

TEST_F(FileAccess, OutputFileFailuresRaise)
{
    // A read-only file is not overwritten.
    WriteFile(Scratch() / "locked.txt", "keep");
    fs::permissions(Scratch() / "locked.txt", fs::perms::owner_read);
    EXPECT_EQ(testsupport::RaisedBy([&] { platform::OutputFile out(WinPath(Scratch() / "locked.txt")); }), errPermission);
    EXPECT_EQ(ReadFile(Scratch() / "locked.txt"), "keep");

    // A full disk shows when the buffered bytes reach it, at the latest on Close.
    platform::OutputFile full("Z:\\dev\\full");
    full.Write("bytes");
    EXPECT_EQ(testsupport::RaisedBy([&] { full.Close(); }), errDiskFull);
}

// A file found in a folder opens as its path would: the same bytes, or the same failure, for
// names in their own case, in another case, missing, or naming a folder; and each from its
// own folder when files of two folders are opened by turns.
TEST_F(FileAccess, FoundFilesOpenAsTheirPathsDo)
{
    WriteFile(Scratch() / "Docs" / "Hacks" / "Fix.package", "f");
    WriteFile(Scratch() / "Docs" / "Twin" / "a", "lower");
    WriteFile(Scratch() / "Docs" / "Twin" / "A", "upper");
    fs::create_directories(Scratch() / "Docs" / "Hacks" / "Sub");
    const auto read = [](const auto& place) -> std::variant<std::string, std::int32_t> {
        try {
            return platform::InputFile(place).ReadAll();
        } catch (const Failure& failure) {
            return failure.Number();
        }
    };
    const auto found = [this](const std::string& folder, const std::string& name) {
        auto in = platform::gudtFindFolder(WinPath(Scratch() / "Docs") + "\\" + folder);
        EXPECT_TRUE(in.has_value()) << folder;
        const std::shared_ptr<const platform::Folder> shared = std::make_shared<const platform::Folder>(*in);
        return platform::FoundFile{shared->Windows + "\\" + name, shared, name};
    };
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"Hacks", "Fix.package"}, {"hacks", "FIX.PACKAGE"}, {"Hacks", "None.package"}, {"Hacks", "Sub"},
        {"Twin", "a"},            {"Twin", "A"},            {"Hacks", "bad|name"},
    };
    for (const auto& [folder, name] : cases) {
        const platform::FoundFile file = found(folder, name);
        EXPECT_EQ(read(file), read(file.Path)) << folder << "\\" << name;
    }
    for (int round = 0; round < 2; ++round) {
        EXPECT_EQ(read(found("Twin", "A")), (std::variant<std::string, std::int32_t>("upper")));
        EXPECT_EQ(read(found("Hacks", "Fix.package")), (std::variant<std::string, std::int32_t>("f")));
    }
    // Renamed to another case after the walk: still found, as the path would find it.
    const platform::FoundFile renamed = found("Hacks", "Fix.package");
    fs::rename(Scratch() / "Docs" / "Hacks" / "Fix.package", Scratch() / "Docs" / "Hacks" / "FIX.package");
    EXPECT_EQ(read(renamed), (std::variant<std::string, std::int32_t>("f")));
    // A file without its folder opens by its path alone.
    EXPECT_EQ(read(platform::FoundFile{renamed.Path, nullptr, {}}), (std::variant<std::string, std::int32_t>("f")));
}

} // namespace
