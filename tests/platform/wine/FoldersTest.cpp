#include "platform/Folders.h"

#include "errors/Failure.h"
#include "support/TestSupport.h"

#include <algorithm>
#include <chrono>
#include <optional>

#include <sys/stat.h>

namespace {

namespace fs = std::filesystem;
using platform::ListKind;
using Names = std::vector<std::string>;

class Folders : public testsupport::TrapTest {
protected:
    void SetUp() override
    {
        TrapTest::SetUp();
        folder_ = Scratch() / "Listing";
        for (const char* name : {"a.package", "B.package", "_x.package", "Z.package", "\xC3\xA9.package",
                                 "Y.PACKAGE", "x.package.bak", ".hidden.package", "back\\slash.package"})
            WriteFile(folder_ / name, name);
        fs::create_directories(folder_ / "Sub");
        fs::create_directories(folder_ / ".HiddenFolder");
        fs::create_symlink(folder_ / "a.package", folder_ / "link.package");
        fs::create_symlink(folder_ / "nothing", folder_ / "dangling");
        ::mkfifo((folder_ / "fifo.package").c_str(), 0600);
    }

    void TearDown() override
    {
        platform::gsSetFaultHook({});
        TrapTest::TearDown();
    }

    std::string Win(const std::string& name = "") const
    {
        return WinPath(folder_) + (name.empty() ? "" : "\\" + name);
    }

    fs::path folder_;
};

TEST_F(Folders, ListingsComeInNtfsOrderWithoutHiddenEntries)
{
    const auto folder = platform::gudtFindFolder(Win());
    ASSERT_TRUE(folder);
    const struct {
        std::string pattern;
        ListKind kind;
        Names expected;
    } cases[] = {
        // "_" (5F) sorts after "Z" (5A), "é" as "É" (C9) after both; links count as what they reach.
        {"*.package", ListKind::Files,
         {"a.package", "B.package", "link.package", "Y.PACKAGE", "Z.package", "_x.package", "\xC3\xA9.package"}},
        {"*.*", ListKind::FilesAndFolders,
         {"a.package", "B.package", "dangling", "link.package", "Sub", "x.package.bak", "Y.PACKAGE", "Z.package",
          "_x.package", "\xC3\xA9.package"}},
        {"?.PACKAGE", ListKind::Files, {"a.package", "B.package", "Y.PACKAGE", "Z.package", "\xC3\xA9.package"}},
        {"X.*", ListKind::Files, {"x.package.bak"}},
        {"sub", ListKind::FilesAndFolders, {"Sub"}},
        {"sub", ListKind::Files, {}},
        {"dangling", ListKind::Files, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.pattern);
        EXPECT_EQ(platform::gfstrListFolder(*folder, c.pattern, c.kind), c.expected);
        EXPECT_EQ(platform::gfstrListFolder(Win(c.pattern), c.kind), c.expected);
    }
    EXPECT_EQ(platform::gfstrListFolder(WinPath(Scratch() / "Missing") + "\\*.*", ListKind::FilesAndFolders), Names{});
    EXPECT_EQ(testsupport::RaisedBy([&] { platform::gfstrListFolder(*folder, "a|b", ListKind::Files); }), errBadFileName);
    EXPECT_EQ(testsupport::RaisedBy([&] { platform::gfstrListFolder(Win("bad?\\*.*"), ListKind::Files); }), errBadFileName);
}

// A link that goes round in a loop names nothing, as a link to nothing does: not listed as a
// file, not there when asked, "File not found" when its attributes are read, and "Path not
// found" for anything below it.
TEST_F(Folders, LinkLoopsNameNothing)
{
    fs::create_symlink(folder_ / "self.package", folder_ / "self.package");
    fs::create_symlink(folder_ / "loopB", folder_ / "loopA");
    fs::create_symlink(folder_ / "loopA", folder_ / "loopB");
    for (const std::string name : {"self.package", "loopA", "LOOPB"}) {
        EXPECT_FALSE(platform::gfblnEntryExists(Win(name), ListKind::FilesAndFolders)) << name;
        EXPECT_FALSE(platform::gudtFindFolder(Win(name)).has_value()) << name;
        EXPECT_EQ(testsupport::RaisedBy([&] { platform::gflngGetAttr(Win(name)); }), errFileNotFound) << name;
        EXPECT_EQ(testsupport::RaisedBy([&] { platform::gflngGetAttr(Win(name + "\\x")); }), errPathNotFound) << name;
    }
    const Names files = platform::gfstrListFolder(Win("*.package"), ListKind::Files);
    EXPECT_EQ(std::count(files.begin(), files.end(), "self.package"), 0);
}

TEST_F(Folders, AttributesAndLookups)
{
    WriteFile(folder_ / "ro.txt", "r");
    fs::permissions(folder_ / "ro.txt", fs::perms::owner_read);
    const struct {
        std::string path;
        std::optional<std::int32_t> attributes;  // or the failure below
        std::int32_t number;
        bool file;    // found by a lookup among ordinary files
        bool entry;   // found by a lookup among files and folders
    } cases[] = {
        {Win("A.PACKAGE"), platform::attrArchive, 0, true, true},
        {Win("ro.txt"), platform::attrArchive | platform::attrReadOnly, 0, true, true},
        {Win("sub"), platform::attrDirectory, 0, false, true},
        {Win(".hidden.package"), platform::attrArchive | platform::attrHidden, 0, false, false},
        {Win("missing"), std::nullopt, errFileNotFound, false, false},
        {Win("dangling"), std::nullopt, errFileNotFound, false, false},
        {Win("Missing\\x"), std::nullopt, errPathNotFound, false, false},
    };
    const auto folder = platform::gudtFindFolder(Win());
    ASSERT_TRUE(folder);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        const std::string name = c.path.substr(Win().size() + 1);
        if (c.attributes) {
            EXPECT_EQ(platform::gflngGetAttr(c.path), *c.attributes);
            EXPECT_EQ(platform::gflngGetAttr(*folder, name), *c.attributes);
        } else {
            EXPECT_EQ(testsupport::RaisedBy([&] { platform::gflngGetAttr(c.path); }), c.number);
        }
        EXPECT_EQ(platform::gfblnEntryExists(c.path, ListKind::Files), c.file);
        EXPECT_EQ(platform::gfblnEntryExists(c.path, ListKind::FilesAndFolders), c.entry);
    }
    // A name Windows cannot hold is a bad name, whether the host holds it or not.
    WriteFile(folder_ / "odd?.package", "o");
    EXPECT_EQ(testsupport::RaisedBy([&] { platform::gflngGetAttr(*folder, "odd?.package"); }), errBadFileName);
    EXPECT_EQ(testsupport::RaisedBy([&] { platform::gfblnEntryExists(Win("odd?.package"), ListKind::Files); }), errBadFileName);
    EXPECT_EQ(testsupport::RaisedBy([&] { platform::gflngGetAttr(*folder, "back\\slash.package"); }), errBadFileName);

    const auto sub = platform::gudtFindSubfolder(*folder, "SUB");
    ASSERT_TRUE(sub);
    EXPECT_EQ(sub->Windows, Win("SUB"));
    EXPECT_EQ(fs::path(sub->Host), folder_ / "Sub");
    EXPECT_FALSE(platform::gudtFindSubfolder(*folder, "a.package"));
    EXPECT_FALSE(platform::gudtFindFolder(Win("a.package")));
}

// The listed kind of an entry spares the host's answer only for a regular file after the host
// has answered for an earlier entry of the folder; the listings here are stale on purpose, so
// the cases show who answered.
TEST_F(Folders, FolderEntriesAskTheHostUnlessTheListingSettlesIt)
{
    using platform::HostEntryType;
    WriteFile(folder_ / "odd?.package", "o");
    const auto folder = platform::gudtFindFolder(Win());
    ASSERT_TRUE(folder);
    const struct {
        platform::FolderEntry entry;
        bool answeredBefore;
        bool folder;          // the result when nothing is raised
        std::optional<std::int32_t> number;  // the failure raised
    } cases[] = {
        {{"Sub", HostEntryType::Folder}, true, true, {}},
        {{"Sub", HostEntryType::File}, false, true, {}},   // the first entry: the host says "folder"
        {{"Sub", HostEntryType::File}, true, false, {}},   // later: a regular file is taken at its word
        {{"a.package", HostEntryType::File}, false, false, {}},
        {{"gone.package", HostEntryType::File}, false, false, errFileNotFound},
        {{"gone.package", HostEntryType::File}, true, false, {}},  // vanished: passed over all the same
        {{"odd?.package", HostEntryType::File}, true, false, errBadFileName},
        {{"dangling", HostEntryType::Link}, true, false, errFileNotFound},
        {{"Sub", HostEntryType::Link}, true, true, {}},
        {{"Sub", HostEntryType::Unknown}, true, true, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.entry.Name + (c.answeredBefore ? " answered" : " first"));
        bool answered = c.answeredBefore;
        bool result = false;
        EXPECT_EQ(testsupport::RaisedBy([&] { result = platform::gfblnIsFolderEntry(*folder, c.entry, answered); }),
                  c.number);
        EXPECT_EQ(result, c.folder);
        EXPECT_EQ(answered, c.answeredBefore || !c.number);
    }

    // The fault seam sees every entry, settled by the listing or not.
    platform::gsSetFaultHook([](platform::FileOperation, std::string_view) -> std::int32_t { return 57; });
    bool answered = true;
    EXPECT_EQ(testsupport::RaisedBy([&] {
                  platform::gfblnIsFolderEntry(*folder, {"a.package", HostEntryType::File}, answered);
              }),
              57);
}

TEST_F(Folders, DeletingMakingAndTheFaultSeam)
{
    WriteFile(folder_ / "ro.txt", "r");
    fs::permissions(folder_ / "ro.txt", fs::perms::owner_read);
    EXPECT_EQ(testsupport::RaisedBy([&] { platform::gsDeleteFile(Win("ro.txt")); }), errPermission);
    platform::gsSetAttrNormal(Win("RO.TXT"));
    EXPECT_EQ(platform::gflngGetAttr(Win("ro.txt")), platform::attrArchive);
    platform::gsDeleteFile(Win("ro.txt"));
    EXPECT_FALSE(fs::exists(folder_ / "ro.txt"));

    EXPECT_EQ(testsupport::RaisedBy([&] { platform::gsDeleteFile(Win("ro.txt")); }), errFileNotFound);
    EXPECT_EQ(testsupport::RaisedBy([&] { platform::gsDeleteFile(Win("Sub")); }), errPathFileAccess);

    platform::gsMakeFolder(Win("New"));
    EXPECT_TRUE(fs::is_directory(folder_ / "New"));
    EXPECT_EQ(testsupport::RaisedBy([&] { platform::gsMakeFolder(Win("new")); }), errPathFileAccess);
    EXPECT_EQ(testsupport::RaisedBy([&] { platform::gsMakeFolder(Win("Missing\\New")); }), errPathNotFound);

    std::vector<std::string> seen;
    platform::gsSetFaultHook([&](platform::FileOperation operation, std::string_view path) -> std::int32_t {
        seen.emplace_back(path);
        return operation == platform::FileOperation::Delete ? errPermission : 0;
    });
    EXPECT_EQ(testsupport::RaisedBy([&] { platform::gsDeleteFile(Win("a.package")); }), errPermission);
    EXPECT_TRUE(fs::exists(folder_ / "a.package"));
    EXPECT_EQ(seen, Names{Win("a.package")});
}

} // namespace
