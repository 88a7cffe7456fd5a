#include "platform/FileAccess.h"

#include "errors/Failure.h"
#include "support/TestSupport.h"

#include <optional>
#include <algorithm>
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
            // Lines, and now and then a piece larger than any buffer, go in order.
            const std::string line = i % 5000 == 4999 ? std::string(70000 + i, static_cast<char>('a' + i % 26))
                                                      : "line " + std::to_string(i) + "\r\n";
            out.Write(line);
            expected += line;
        }
        out.Close();
        out.Close();  // closing twice is harmless
        EXPECT_EQ(testsupport::RaisedBy([&] { out.Write("late"); }), errBadFileName);
    }
    EXPECT_EQ(ReadFile(Scratch() / "Out.txt"), expected);
}

// The names in a folder besides those of the test's own files: the new files a write leaves.
std::vector<std::string> mstrNamesIn(const fs::path& folder)
{
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

// The file is replaced whole: until Close() the old one stands, a write left unfinished leaves
// it as it was, and two writers at once leave one whole file or the other, never a mix; no new
// file stays behind.
TEST_F(FileAccess, OutputFileReplacesTheFileWhole)
{
    const fs::path folder = Scratch() / "temp";
    fs::create_directories(folder);
    WriteFile(folder / "hackreport.txt", "old report");
    {
        platform::OutputFile out(WinPath(folder / "hackreport.txt"));
        out.Write(std::string(200000, 'n'));
        EXPECT_EQ(ReadFile(folder / "hackreport.txt"), "old report");
        // Never closed: as a write that failed half way.
    }
    EXPECT_EQ(ReadFile(folder / "hackreport.txt"), "old report");
    EXPECT_EQ(mstrNamesIn(folder), std::vector<std::string>{"hackreport.txt"});

    platform::OutputFile first(WinPath(folder / "hackreport.txt"));
    platform::OutputFile second(WinPath(folder / "hackreport.txt"));
    const std::string one(100000, '1');
    const std::string two(70000, '2');
    for (std::size_t at = 0; at < one.size(); at += 10000) {
        first.Write(std::string_view(one).substr(at, 10000));
        if (at < two.size())
            second.Write(std::string_view(two).substr(at, 10000));
    }
    second.Close();
    EXPECT_EQ(ReadFile(folder / "hackreport.txt"), two);
    first.Close();
    EXPECT_EQ(ReadFile(folder / "hackreport.txt"), one);
    EXPECT_EQ(mstrNamesIn(folder), std::vector<std::string>{"hackreport.txt"});
}

TEST_F(FileAccess, OutputFileFailuresRaise)
{
    // A read-only file is not overwritten.
    WriteFile(Scratch() / "locked.txt", "keep");
    fs::permissions(Scratch() / "locked.txt", fs::perms::owner_read);
    EXPECT_EQ(testsupport::RaisedBy([&] { platform::OutputFile out(WinPath(Scratch() / "locked.txt")); }), errPermission);
    EXPECT_EQ(ReadFile(Scratch() / "locked.txt"), "keep");

    // Only a regular file is replaced: a named pipe is not waited on, a link is not followed
    // (the file it leads to stays as it was), a device or a folder is no file to write. Each
    // is refused at once.
    WriteFile(Scratch() / "victim.txt", "the user's own");
    fs::create_symlink(Scratch() / "victim.txt", Scratch() / "planted.txt");
    ASSERT_EQ(::mkfifo((Scratch() / "pipe.txt").c_str(), 0644), 0);
    fs::create_directories(Scratch() / "folder.txt");
    for (const std::string& path : {WinPath(Scratch() / "pipe.txt"), WinPath(Scratch() / "planted.txt"),
                                    std::string("Z:\\dev\\full"), WinPath(Scratch() / "folder.txt")}) {
        SCOPED_TRACE(path);
        EXPECT_EQ(testsupport::RaisedBy([&] { platform::OutputFile out(path); }), errPathFileAccess);
    }
    EXPECT_EQ(ReadFile(Scratch() / "victim.txt"), "the user's own");

    // A folder that refuses the new file refuses the write; a missing one is 76.
    EXPECT_EQ(testsupport::RaisedBy([&] { platform::OutputFile out(WinPath(Scratch() / "none" / "x.txt")); }),
              errPathNotFound);
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

// A found file is opened without asking the host for its kind or length; whatever stands in its
// place by then (a pipe, a link to a device, a folder) fails its first read as its path would
// fail to open, and a read past its end fails as a path's read does.
TEST_F(FileAccess, FoundFilesThatAreNoFilesFailTheirFirstRead)
{
    const fs::path folder = Scratch() / "Kinds";
    WriteFile(folder / "ten.bin", "0123456789");
    ASSERT_EQ(::mkfifo((folder / "pipe.package").c_str(), 0644), 0);
    fs::create_symlink("/dev/null", folder / "empty device.package");
    fs::create_symlink("/dev/zero", folder / "endless device.package");
    fs::create_symlink("ten.bin", folder / "link.package");
    fs::create_directory(folder / "folder.package");
    const auto in = std::make_shared<const platform::Folder>(*platform::gudtFindFolder(WinPath(folder)));
    // The first four bytes, or the error number.
    const auto head = [](const auto& place) -> std::variant<std::string, std::int32_t> {
        try {
            platform::InputFile file(place);
            std::string bytes(4, '#');
            file.ReadAt(0, bytes);
            return bytes;
        } catch (const Failure& failure) {
            return failure.Number();
        }
    };
    for (const std::string name :
         {"ten.bin", "pipe.package", "empty device.package", "endless device.package", "link.package", "folder.package"}) {
        const platform::FoundFile file{in->Windows + "\\" + name, in, name};
        EXPECT_EQ(head(file), head(file.Path)) << name;
    }
    EXPECT_EQ(head(platform::FoundFile{in->Windows + "\\pipe.package", in, "pipe.package"}),
              (std::variant<std::string, std::int32_t>(errPathFileAccess)));

    // Reads of a found file end where a path's do, whether its length is known yet or not.
    for (const bool lengthKnown : {false, true}) {
        platform::InputFile ten(platform::FoundFile{in->Windows + "\\ten.bin", in, "ten.bin"});
        if (lengthKnown) {
            EXPECT_EQ(ten.Size(), 10);
        }
        std::string buffer(6, '#');
        EXPECT_EQ(testsupport::RaisedBy([&] { ten.ReadAt(5, buffer); }), errPastEnd);
        EXPECT_EQ(testsupport::RaisedBy([&] { ten.ReadAt(10, std::span<char>(buffer.data(), 0)); }), std::nullopt);
        EXPECT_EQ(testsupport::RaisedBy([&] { ten.ReadAt(11, std::span<char>(buffer.data(), 0)); }), errPastEnd);
        EXPECT_EQ(testsupport::RaisedBy([&] { ten.ReadAt(INT64_MAX, std::span<char>(buffer.data(), 1)); }), errPastEnd);
        EXPECT_EQ(testsupport::RaisedBy([&] { ten.ReadAt(4, std::span<char>(buffer.data(), 6)); }), std::nullopt);
        EXPECT_EQ(buffer, "456789");
        EXPECT_EQ(ten.ReadAll(), "0123456789");
    }
}

} // namespace
