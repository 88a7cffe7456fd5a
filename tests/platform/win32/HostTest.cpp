// The Win32 host: what the W calls give back, turned into what the Wine host gives. Each test
// makes its own files below the scratch folder and its own registry keys below
// HKCU\Software\ClashwickTest, and removes them after.

#include "app/modSims2General.h"
#include "errors/Failure.h"
#include "platform/FileAccess.h"
#include "platform/Folders.h"
#include "platform/Names.h"
#include "platform/StandardOutput.h"
#include "platform/modGetRegistryValuesEx.h"
#include "platform/modWINAPI.h"
#include "platform/win32/ConsoleText.h"
#include "platform/win32/OwnFilesFolder.h"
#include "platform/win32/WideText.h"
#include "support/TestSupport.h"

#include <algorithm>
#include <cwchar>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <windows.h>

#include <knownfolders.h>
#include <shlobj.h>

namespace {

namespace fs = std::filesystem;
using platform::ListKind;
using testsupport::RaisedBy;
using Names = std::vector<std::string>;

// ---- Registry ------------------------------------------------------------------------------

const std::wstring kTestRoot = L"Software\\ClashwickTest";

// Registry data as RegSetValueExW takes it.
std::string Utf16(std::wstring_view text, bool terminated = true)
{
    std::string bytes(reinterpret_cast<const char*>(text.data()), text.size() * sizeof(wchar_t));
    if (terminated)
        bytes.append(2, '\0');
    return bytes;
}

class Win32Registry : public testsupport::TrapTest {
protected:
    void SetUp() override
    {
        TrapTest::SetUp();
        keyName_ = kTestRoot + L"\\" + std::to_wstring(::GetCurrentProcessId());
        ASSERT_EQ(::RegCreateKeyExW(HKEY_CURRENT_USER, keyName_.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                                    &key_, nullptr),
                  ERROR_SUCCESS);
    }

    void TearDown() override
    {
        ::RegCloseKey(key_);
        ::RegDeleteTreeW(HKEY_CURRENT_USER, keyName_.c_str());
        ::RegDeleteKeyW(HKEY_CURRENT_USER, kTestRoot.c_str());  // only when no other run still has a key there
        for (auto key = machineKeys_.rbegin(); key != machineKeys_.rend(); ++key)  // subkeys first
            ::RegDeleteKeyExW(HKEY_LOCAL_MACHINE, key->second.c_str(), key->first, 0);
        TrapTest::TearDown();
    }

    void Set(const wchar_t* name, DWORD type, const std::string& data)
    {
        ASSERT_EQ(::RegSetValueExW(key_, name, 0, type, reinterpret_cast<const BYTE*>(data.data()),
                                   static_cast<DWORD>(data.size())),
                  ERROR_SUCCESS);
    }

    // A key below HKLM\Software in one view with one string value (none when `value` is null).
    // False when this user may not write there (a test run without an administrator's rights).
    bool SetMachine(REGSAM view, const std::wstring& path, const wchar_t* value)
    {
        HKEY key = nullptr;
        if (::RegCreateKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS | view, nullptr, &key,
                              nullptr) != ERROR_SUCCESS)
            return false;
        machineKeys_.push_back({view, path});
        if (value != nullptr) {
            const std::string data = Utf16(value);
            ::RegSetValueExW(key, L"Install Dir", 0, REG_SZ, reinterpret_cast<const BYTE*>(data.data()),
                             static_cast<DWORD>(data.size()));
        }
        ::RegCloseKey(key);
        return true;
    }

    std::string KeyPath() const { return "Software\\ClashwickTest\\" + std::to_string(::GetCurrentProcessId()); }

    std::string Read(const std::string& value, std::int32_t& size) const
    {
        return platform::gfstrGetRegistryValue(platform::glngHKEY_CURRENT_USER, KeyPath(), value, size);
    }

    HKEY key_ = nullptr;
    std::wstring keyName_;
    std::vector<std::pair<REGSAM, std::wstring>> machineKeys_;
};

TEST_F(Win32Registry, ReadsEveryKindOfValue)
{
    Set(L"Install Dir", REG_SZ, Utf16(L"C:\\Program Files\\EA GAMES\\The Sims 2"));
    Set(L"Name", REG_SZ, Utf16(L"The Sims\u2122 2 Caf\u00E9"));
    Set(L"Expand", REG_EXPAND_SZ, Utf16(L"%USERPROFILE%\\"));
    Set(L"Multi", REG_MULTI_SZ, Utf16(std::wstring(L"first\0second\0", 13)));
    Set(L"Dword", REG_DWORD, std::string("\x41\x42\x43\x00", 4));
    Set(L"Binary", REG_BINARY, std::string("AB\0C", 4));
    Set(L"", REG_SZ, Utf16(L"the default"));

    const struct {
        std::string key;
        std::string value;
        std::string expected;
    } cases[] = {
        {KeyPath(), "Install Dir", "C:\\Program Files\\EA GAMES\\The Sims 2"},
        {KeyPath(), "INSTALL DIR", "C:\\Program Files\\EA GAMES\\The Sims 2"},
        {KeyPath(), "Name", "The Sims\xE2\x84\xA2 2 Caf\xC3\xA9"},  // whole characters, not code-page bytes
        {KeyPath(), "Expand", "%USERPROFILE%\\"},                     // as stored, not expanded
        {KeyPath(), "Multi", "first"},
        {KeyPath(), "Dword", "ABC"},
        {KeyPath(), "Binary", "AB"},
        {KeyPath(), "", "the default"},
        {KeyPath(), "Missing", "ERROR"},
        {KeyPath() + "\\Missing", "Install Dir", "ERROR"},
    };
    for (const auto& c : cases) {
        std::int32_t size = 0;
        EXPECT_EQ(platform::gfstrGetRegistryValue(platform::glngHKEY_CURRENT_USER, c.key, c.value, size), c.expected)
            << c.key << " / " << c.value;
    }
    std::int32_t size = 0;
    EXPECT_EQ(platform::gfstrGetRegistryValue(0x80000003u, KeyPath(), "Install Dir", size), "ERROR");
}

TEST_F(Win32Registry, DataWithItsTerminatorMustFitTheBuffer)
{
    Set(L"254", REG_SZ, Utf16(std::wstring(254, L'a')));
    Set(L"255", REG_SZ, Utf16(std::wstring(255, L'a')));
    Set(L"Unterminated255", REG_SZ, Utf16(std::wstring(255, L'a'), false));
    Set(L"Short", REG_SZ, Utf16(L"abc"));
    Set(L"Accented", REG_SZ, Utf16(L"\u00E9\u00E9"));
    Set(L"Binary4", REG_BINARY, "ABCD");

    const struct {
        std::string value;
        std::int32_t sizeIn;
        std::string expected;
        std::int32_t sizeOut;
    } cases[] = {
        {"254", 0, std::string(254, 'a'), 255},
        {"255", 0, "ERROR", 256},
        {"Unterminated255", 0, "ERROR", 256},   // the terminator counts even when it is not stored
        {"Short", 4, "abc", 4},
        {"Short", 3, "ERROR", 4},
        {"Accented", 3, "\xC3\xA9\xC3\xA9", 3},  // counted per UTF-16 unit, not per UTF-8 byte
        {"Binary4", 4, "ABCD", 4},               // raw kinds need no terminator
        {"Binary4", 3, "ERROR", 4},
        {"Missing", 0, "ERROR", 255},
    };
    for (const auto& c : cases) {
        std::int32_t size = c.sizeIn;
        EXPECT_EQ(Read(c.value, size), c.expected) << c.value << " in " << c.sizeIn;
        EXPECT_EQ(size, c.sizeOut) << c.value << " in " << c.sizeIn;
    }
    std::int32_t negative = -1;
    EXPECT_EQ(RaisedBy([&] { Read("Short", negative); }), errInvalidCall);
}

// The game is a 32-bit program: its view of HKLM\Software comes first, and a key it has without
// the value is "ERROR", though the 64-bit view has the value.
TEST_F(Win32Registry, LocalMachineIsReadAsTheThirtyTwoBitProgramSeesIt)
{
    const std::wstring base = L"Software\\ClashwickTest" + std::to_wstring(::GetCurrentProcessId());
    for (const REGSAM view : {KEY_WOW64_32KEY, KEY_WOW64_64KEY})
        machineKeys_.push_back({view, base});  // removed after its subkeys
    const struct {
        REGSAM view;
        const wchar_t* key;
        const wchar_t* value;
    } machine[] = {
        {KEY_WOW64_32KEY, L"Both", L"32-bit"},   {KEY_WOW64_64KEY, L"Both", L"64-bit"},
        {KEY_WOW64_64KEY, L"Only64", L"64-bit"}, {KEY_WOW64_32KEY, L"Empty32", nullptr},
        {KEY_WOW64_64KEY, L"Empty32", L"64-bit"},
    };
    for (const auto& m : machine) {
        if (!SetMachine(m.view, base + L"\\" + m.key, m.value))
            GTEST_SKIP() << "HKEY_LOCAL_MACHINE cannot be written without an administrator's rights";
    }

    const std::string narrowBase = "Software\\ClashwickTest" + std::to_string(::GetCurrentProcessId());
    const struct {
        std::string key;
        std::string expected;
    } cases[] = {
        {narrowBase + "\\Both", "32-bit"},
        {narrowBase + "\\Only64", "64-bit"},
        {narrowBase + "\\Empty32", "ERROR"},
    };
    for (const auto& c : cases) {
        std::int32_t size = 0;
        EXPECT_EQ(platform::gfstrGetRegistryValue(platform::glngHKEY_LOCAL_MACHINE, c.key, "Install Dir", size),
                  c.expected)
            << c.key;
    }
    EXPECT_EQ(platform::gfstrGetRegistrySubkeys(platform::glngHKEY_LOCAL_MACHINE, narrowBase),
              (Names{"Both", "Empty32"}));
}

TEST_F(Win32Registry, SubkeysComeByNameWithoutRegardToCase)
{
    for (const wchar_t* name : {L"Sims2SP1.exe", L"sims2EP9.exe", L"1.0", L"Sims\u2122 2", L"_last", L"Zeta"}) {
        HKEY subkey = nullptr;
        ASSERT_EQ(::RegCreateKeyExW(key_, name, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &subkey, nullptr),
                  ERROR_SUCCESS);
        ::RegCloseKey(subkey);
    }
    // By upper-cased units: "2" (32) before "™" (2122), "Z" (5A) before "_" (5F).
    EXPECT_EQ(platform::gfstrGetRegistrySubkeys(platform::glngHKEY_CURRENT_USER, KeyPath()),
              (Names{"1.0", "sims2EP9.exe", "Sims2SP1.exe", "Sims\xE2\x84\xA2 2", "Zeta", "_last"}));
    EXPECT_EQ(platform::gfstrGetRegistrySubkeys(platform::glngHKEY_CURRENT_USER, KeyPath() + "\\Missing"), Names{});
    EXPECT_EQ(platform::gfstrGetRegistrySubkeys(platform::glngHKEY_CURRENT_USER, ""), Names{});
}

// ---- The documents folder ------------------------------------------------------------------

const wchar_t kExplorerKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\";

// One value of the user's Explorer key, put back as it was when the test ends.
class SavedExplorerValue {
public:
    SavedExplorerValue(const wchar_t* key, const wchar_t* name) : key_(std::wstring(kExplorerKey) + key), name_(name)
    {
        DWORD size = sizeof(data_);
        saved_ = ::RegGetValueW(HKEY_CURRENT_USER, key_.c_str(), name_, RRF_RT_ANY | RRF_NOEXPAND, &type_, data_,
                                &size) == ERROR_SUCCESS;
        size_ = size;
    }
    ~SavedExplorerValue()
    {
        if (saved_)
            ::RegSetKeyValueW(HKEY_CURRENT_USER, key_.c_str(), name_, type_, data_, size_);
        else
            Set(nullptr);
    }
    SavedExplorerValue(const SavedExplorerValue&) = delete;
    SavedExplorerValue& operator=(const SavedExplorerValue&) = delete;

    // Sets the value to a string, or removes it (null).
    void Set(const wchar_t* text) const
    {
        if (text == nullptr) {
            ::RegDeleteKeyValueW(HKEY_CURRENT_USER, key_.c_str(), name_);
            return;
        }
        const auto bytes = static_cast<DWORD>((std::wcslen(text) + 1) * sizeof(wchar_t));
        ASSERT_EQ(::RegSetKeyValueW(HKEY_CURRENT_USER, key_.c_str(), name_, REG_SZ, text, bytes), ERROR_SUCCESS);
    }

private:
    std::wstring key_;
    const wchar_t* name_;
    bool saved_ = false;
    DWORD type_ = REG_SZ;
    BYTE data_[2048] = {};
    DWORD size_ = 0;
};

// The documents folder as the system gives it, or empty.
std::string SystemDocuments()
{
    PWSTR path = nullptr;
    std::string folder;
    if (SUCCEEDED(::SHGetKnownFolderPath(FOLDERID_Documents, 0, nullptr, &path)))
        folder = platform::win32::gfstrNarrow(path);
    ::CoTaskMemFree(path);
    return folder;
}

// A Documents folder that was moved (or redirected to a cloud drive) leaves the registry's
// "Shell Folders" value missing or naming its old place: the folder is the one the system says
// it is. (Where the system cannot say, the registry's value is read as under the Wine model;
// the system itself rewrites that value as it answers, so it cannot be made stale for that.)
class Win32Documents : public testsupport::TrapTest {};

TEST_F(Win32Documents, DocumentsFolderIsWhereTheSystemSaysItIs)
{
    const SavedExplorerValue shellFolder(L"Shell Folders", L"Personal");
    const std::string system = SystemDocuments();
    ASSERT_FALSE(system.empty());
    const struct {
        const char* name;
        const wchar_t* registry;  // "Shell Folders\Personal", null when missing
    } cases[] = {
        {"stale registry value", L"C:\\users\\Former\\Documents"},
        {"no registry value", nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        shellFolder.Set(c.registry);
        gsGetSims2Paths();
        EXPECT_EQ(gstrDocumentsPath, system);
    }
    EXPECT_TRUE(trapCalls.empty());
}

// ---- Files and folders ---------------------------------------------------------------------

class Win32Host : public testsupport::TrapTest {
protected:
    std::string Win(const std::string& relative = "") const
    {
        return WinPath(Scratch()) + (relative.empty() ? "" : "\\" + relative);
    }
    fs::path HostPath(const std::string& relative) const { return Scratch() / fs::u8path(relative); }

    static void SetAttributes(const fs::path& path, DWORD attributes)
    {
        ASSERT_TRUE(::SetFileAttributesW(path.wstring().c_str(), attributes)) << path;
    }

    void TearDown() override
    {
        msRemoveTree(L"\\\\?\\" + fs::absolute(Scratch()).make_preferred().wstring());
        TrapTest::TearDown();
    }

private:
    // Removes a folder and all below it, read-only files and paths past MAX_PATH included (the
    // long form reaches them; the standard library's removal does not).
    static void msRemoveTree(const std::wstring& folder)
    {
        WIN32_FIND_DATAW found{};
        const HANDLE search = ::FindFirstFileW((folder + L"\\*").c_str(), &found);
        if (search != INVALID_HANDLE_VALUE) {
            do {
                const std::wstring name = found.cFileName;
                if (name == L"." || name == L"..")
                    continue;
                const std::wstring path = folder + L"\\" + name;
                ::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
                if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
                    msRemoveTree(path);
                else
                    ::DeleteFileW(path.c_str());
            } while (::FindNextFileW(search, &found));
            ::FindClose(search);
        }
        ::RemoveDirectoryW(folder.c_str());
    }
};

TEST_F(Win32Host, ListingsAreSortedByNameKeyWithoutHiddenOrSystemEntries)
{
    for (const char* name : {"a.package", "B.package", "_x.package", "Z.package", "\xC3\xA9.package", "Y.PACKAGE",
                             "x.package.bak", "Hidden.package", "System.package", "LongPackageName.package"})
        WriteFile(HostPath("Listing\\" + std::string(name)), name);
    fs::create_directories(HostPath("Listing\\Sub"));
    fs::create_directories(HostPath("Listing\\HiddenFolder"));
    SetAttributes(HostPath("Listing\\Hidden.package"), FILE_ATTRIBUTE_HIDDEN);
    SetAttributes(HostPath("Listing\\System.package"), FILE_ATTRIBUTE_SYSTEM);
    SetAttributes(HostPath("Listing\\HiddenFolder"), FILE_ATTRIBUTE_HIDDEN);

    const auto folder = platform::gudtFindFolder(Win("Listing"));
    ASSERT_TRUE(folder);
    const struct {
        std::string pattern;
        ListKind kind;
        Names expected;
    } cases[] = {
        {"*.package", ListKind::Files,
         {"a.package", "B.package", "LongPackageName.package", "Y.PACKAGE", "Z.package", "_x.package",
          "\xC3\xA9.package"}},
        {"*.*", ListKind::FilesAndFolders,
         {"a.package", "B.package", "LongPackageName.package", "Sub", "x.package.bak", "Y.PACKAGE", "Z.package",
          "_x.package", "\xC3\xA9.package"}},
        {"\xC3\x89.*", ListKind::Files, {"\xC3\xA9.package"}},
        // The search's own matching would find "LONGPA~1.PAC", the 8.3 name of a ".package".
        {"*.pac", ListKind::Files, {}},
        {"sub", ListKind::Files, {}},
        {"hidden*", ListKind::FilesAndFolders, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.pattern);
        EXPECT_EQ(platform::gfstrListFolder(*folder, c.pattern, c.kind), c.expected);
        EXPECT_EQ(platform::gfstrListFolder(Win("Listing\\" + c.pattern), c.kind), c.expected);
    }
    EXPECT_EQ(platform::gfstrListFolder(Win("Missing\\*.*"), ListKind::FilesAndFolders), Names{});

    // A hidden entry is there to open, but not to be found.
    EXPECT_FALSE(platform::gfblnEntryExists(Win("Listing\\Hidden.package"), ListKind::Files));
    EXPECT_FALSE(platform::gfblnEntryExists(Win("Listing\\HiddenFolder"), ListKind::FilesAndFolders));
    EXPECT_TRUE(platform::gfblnEntryExists(Win("LISTING\\SUB"), ListKind::FilesAndFolders));
    EXPECT_FALSE(platform::gfblnEntryExists(Win("Listing\\Sub"), ListKind::Files));
    EXPECT_EQ(platform::gflngGetAttr(Win("Listing\\Hidden.package")) & platform::attrHidden, platform::attrHidden);

    // One folder by two spellings is one folder to a walk; another folder is another.
    const auto again = platform::gudtFindFolder(Win("LISTING"));
    const auto sub = platform::gudtFindSubfolder(*folder, "sub");
    ASSERT_TRUE(again && sub);
    EXPECT_EQ(again->Identity, folder->Identity);
    EXPECT_NE(sub->Identity, folder->Identity);
    EXPECT_FALSE(platform::gudtFindSubfolder(*folder, "a.package"));
}

// A name the system holds with a lone surrogate (no UTF-8 can spell it) is listed, and the
// name listed opens the same file again.
TEST_F(Win32Host, NamesWithALoneSurrogateSurviveTheRoundTrip)
{
    fs::create_directories(HostPath("Odd"));
    const std::wstring name = L"lone\xD800.package";
    const std::wstring path = HostPath("Odd").wstring() + L"\\" + name;
    const HANDLE handle =
        ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        GTEST_SKIP() << "this file system cannot hold a lone surrogate";
    DWORD written = 0;
    ::WriteFile(handle, "odd", 3, &written, nullptr);
    ::CloseHandle(handle);

    const auto folder = platform::gudtFindFolder(Win("Odd"));
    ASSERT_TRUE(folder);
    const Names listed = platform::gfstrListFolder(*folder, "*.package", ListKind::Files);
    ASSERT_EQ(listed, Names{"lone\xED\xA0\x80.package"});
    platform::InputFile byPath(Win("Odd\\" + listed[0]));
    EXPECT_EQ(byPath.ReadAll(), "odd");
    const auto in = std::make_shared<const platform::Folder>(*folder);
    platform::InputFile found(platform::FoundFile{Win("Odd\\" + listed[0]), in, listed[0]});
    EXPECT_EQ(found.ReadAll(), "odd");
}

TEST_F(Win32Host, FailedOperationsCarryTheirNumbers)
{
    WriteFile(HostPath("Folder\\x.bin"), "x");
    WriteFile(HostPath("Folder\\readonly.bin"), "r");
    WriteFile(HostPath("Folder\\locked.bin"), "l");
    SetAttributes(HostPath("Folder\\readonly.bin"), FILE_ATTRIBUTE_READONLY);
    // Another program holds this one open and shares it with no one.
    const HANDLE locked = ::CreateFileW(HostPath("Folder\\locked.bin").wstring().c_str(), GENERIC_READ, 0, nullptr,
                                        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(locked, INVALID_HANDLE_VALUE);

    const struct {
        const char* what;
        std::function<void()> call;
        std::int32_t number;
    } cases[] = {
        {"open missing file", [&] { platform::InputFile f(Win("Folder\\missing.bin")); }, errFileNotFound},
        {"open in missing folder", [&] { platform::InputFile f(Win("Missing\\x.bin")); }, errPathNotFound},
        {"open below a file", [&] { platform::InputFile f(Win("Folder\\x.bin\\y.bin")); }, errPathNotFound},
        {"open a folder", [&] { platform::InputFile f(Win("Folder")); }, errPathFileAccess},
        {"open a wildcard", [&] { platform::InputFile f(Win("Folder\\x?.bin")); }, errBadFileName},
        {"open a stream", [&] { platform::InputFile f(Win("Folder\\x.bin:stream")); }, errBadFileName},
        {"open with a NUL", [&] { platform::InputFile f(Win("Folder\\x.bin") + std::string(1, '\0')); }, errBadFileName},
        {"open not UTF-8", [&] { platform::InputFile f(Win("Folder\\\xFF.bin")); }, errBadFileName},
        {"open a locked file", [&] { platform::InputFile f(Win("Folder\\locked.bin")); }, errPermission},
        {"open a locked file found in its folder",
         [&] {
             const auto in = std::make_shared<const platform::Folder>(platform::gudtFindFolder(Win("Folder")).value());
             platform::InputFile f(platform::FoundFile{Win("Folder\\locked.bin"), in, "locked.bin"});
         },
         errPermission},
        {"write in missing folder", [&] { platform::OutputFile f(Win("Missing\\o.txt")); }, errPathNotFound},
        {"write a folder", [&] { platform::OutputFile f(Win("Folder")); }, errPathFileAccess},
        {"write a read-only file", [&] { platform::OutputFile f(Win("Folder\\readonly.bin")); }, errPermission},
        {"attributes of missing", [&] { platform::gflngGetAttr(Win("Folder\\missing.bin")); }, errFileNotFound},
        {"attributes in missing folder", [&] { platform::gflngGetAttr(Win("Missing\\x.bin")); }, errPathNotFound},
        {"delete read-only", [&] { platform::gsDeleteFile(Win("Folder\\readonly.bin")); }, errPermission},
        {"delete a folder", [&] { platform::gsDeleteFile(Win("Folder")); }, errPathFileAccess},
        {"delete missing", [&] { platform::gsDeleteFile(Win("Folder\\missing.bin")); }, errFileNotFound},
        {"make existing folder", [&] { platform::gsMakeFolder(Win("Folder")); }, errPathFileAccess},
        {"make in missing folder", [&] { platform::gsMakeFolder(Win("Missing\\New")); }, errPathNotFound},
    };
    for (const auto& c : cases)
        EXPECT_EQ(RaisedBy(c.call), c.number) << c.what;
    ::CloseHandle(locked);

    // Read-only comes off, and the file can go.
    platform::gsSetAttrNormal(Win("Folder\\readonly.bin"));
    EXPECT_EQ(platform::gflngGetAttr(Win("Folder\\readonly.bin")) & platform::attrReadOnly, 0);
    platform::gsDeleteFile(Win("Folder\\readonly.bin"));
    EXPECT_FALSE(fs::exists(HostPath("Folder\\readonly.bin")));
}

// The file is replaced whole: until Close() the old one stands, a write left unfinished leaves
// it as it was, and two writers at once (two runs of the program) leave one whole file or the
// other; no file of their own stays behind.
TEST_F(Win32Host, OutputReplacesTheFileWhole)
{
    platform::gsMakeFolder(Win("temp"));
    WriteFile(HostPath("temp\\hackreport.txt"), "old report");
    {
        platform::OutputFile out(Win("temp\\hackreport.txt"));
        out.Write(std::string(200000, 'n'));
        EXPECT_EQ(ReadFile(HostPath("temp\\hackreport.txt")), "old report");
    }
    EXPECT_EQ(ReadFile(HostPath("temp\\hackreport.txt")), "old report");
    platform::OutputFile first(Win("temp\\hackreport.txt"));
    platform::OutputFile second(Win("temp\\hackreport.txt"));
    first.Write(std::string(100000, '1'));
    second.Write(std::string(70000, '2'));
    second.Close();
    EXPECT_EQ(ReadFile(HostPath("temp\\hackreport.txt")), std::string(70000, '2'));
    first.Close();
    EXPECT_EQ(ReadFile(HostPath("temp\\hackreport.txt")), std::string(100000, '1'));
    EXPECT_EQ(platform::gfstrListFolder(Win("temp\\*.*"), ListKind::FilesAndFolders), Names{"hackreport.txt"});
}

// The output replaces a hidden file as it does any other, and the input is read whole from its
// offsets; a path past MAX_PATH is reached too.
TEST_F(Win32Host, FilesAreWrittenAndReadBackBeyondMaxPath)
{
    std::string deep = "Deep";
    platform::gsMakeFolder(Win(deep));
    while (Win(deep).size() < 300) {
        deep += "\\A folder name of some length";
        platform::gsMakeFolder(Win(deep));
    }
    const struct {
        std::string relative;
        bool hidden;
    } cases[] = {{"Hidden.txt", true}, {deep + "\\Report.txt", false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.relative);
        if (c.hidden) {
            WriteFile(HostPath(c.relative), "old contents, longer than the new");
            SetAttributes(HostPath(c.relative), FILE_ATTRIBUTE_HIDDEN);
        }
        std::string expected;
        {
            platform::OutputFile out(Win(c.relative));
            for (int i = 0; i < 10000; ++i) {
                // Lines, and once a piece larger than any buffer, go in order.
                const std::string line = i == 5000 ? std::string(70000, 'p') : "line " + std::to_string(i) + "\r\n";
                out.Write(line);
                expected += line;
            }
            out.Close();
        }
        platform::InputFile in(Win(c.relative));
        ASSERT_EQ(in.Size(), static_cast<std::int64_t>(expected.size()));
        EXPECT_EQ(in.ReadAll(), expected);
        std::string middle(6, '#');
        in.ReadAt(5, middle);
        EXPECT_EQ(middle, "0\r\nlin");
        EXPECT_EQ(RaisedBy([&] { in.ReadAt(in.Size() - 2, middle); }), errPastEnd);
        EXPECT_EQ(RaisedBy([&] { in.ReadAt(-1, middle); }), errBadRecord);
    }
    EXPECT_EQ(platform::gfstrListFolder(Win(deep + "\\*.txt"), ListKind::Files), Names{"Report.txt"});
    platform::gsDeleteFile(Win(deep + "\\Report.txt"));
    EXPECT_FALSE(platform::gfblnEntryExists(Win(deep + "\\Report.txt"), ListKind::Files));
}

// Names the system takes for something else are files and folders like any other on the disk:
// a device's name (CON, nul, aux, COM1) with or without an extension, a name ending in a dot or
// a space (which the system cuts off), and such names past MAX_PATH. Each is listed, looked up,
// opened and read as what it is; no device is opened in its place.
TEST_F(Win32Host, NamesTheSystemTakesForOthersAreWhatTheyAreOnDisk)
{
    std::string deep = "Special\\Deep";
    while (deep.size() < 280)
        deep += "\\A folder name of some length";
    const std::string files[] = {
        "Special\\CON.package",          "Special\\nul.package",           "Special\\aux\\inside.package",
        "Special\\COM1.package",         "Special\\Dotted.\\inside.package", "Special\\Spaced \\inside.package",
        "Special\\Ends in a dot.",       "Special\\CON",                   deep + "\\aux\\Lpt1.package",
        deep + "\\Dotted.\\inside.package",
    };
    // Made through the long form, which takes every name as written.
    const std::wstring root = L"\\\\?\\" + fs::absolute(Scratch()).make_preferred().wstring();
    for (const std::string& file : files) {
        const std::wstring wide = platform::win32::gfstrWide(file).value();
        for (std::size_t at = wide.find(L'\\'); at != std::wstring::npos; at = wide.find(L'\\', at + 1))
            ::CreateDirectoryW((root + L"\\" + wide.substr(0, at)).c_str(), nullptr);
        const HANDLE handle = ::CreateFileW((root + L"\\" + wide).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                            FILE_ATTRIBUTE_NORMAL, nullptr);
        ASSERT_NE(handle, INVALID_HANDLE_VALUE) << file;
        DWORD written = 0;
        ::WriteFile(handle, file.data(), static_cast<DWORD>(file.size()), &written, nullptr);
        ::CloseHandle(handle);
    }

    // The contents, or the error that stopped the reading.
    const auto read = [](const auto& opened) -> std::string {
        try {
            platform::InputFile in(opened);
            return in.ReadAll();
        } catch (const Failure& failure) {
            return "error " + std::to_string(failure.Number());
        }
    };
    const auto attributes = [](const std::string& path) -> std::string {
        try {
            return std::to_string(platform::gflngGetAttr(path) & platform::attrDirectory);
        } catch (const Failure& failure) {
            return "error " + std::to_string(failure.Number());
        }
    };
    for (const std::string& file : files) {
        SCOPED_TRACE(file);
        const auto separator = file.rfind('\\');
        const std::string parent = file.substr(0, separator);
        const std::string name = file.substr(separator + 1);
        EXPECT_EQ(read(Win(file)), file);
        EXPECT_EQ(attributes(Win(file)), "0");
        EXPECT_EQ(RaisedBy([&] { EXPECT_TRUE(platform::gfblnEntryExists(Win(file), ListKind::Files)); }), std::nullopt);
        // As a walk reaches it: the folder looked up once, then listed, then the file opened in it.
        std::optional<platform::Folder> folder;
        ASSERT_EQ(RaisedBy([&] { folder = platform::gudtFindFolder(Win(parent)); }), std::nullopt);
        ASSERT_TRUE(folder);
        Names listed;
        ASSERT_EQ(RaisedBy([&] { listed = platform::gfstrListFolder(*folder, "*.*", ListKind::Files); }), std::nullopt);
        EXPECT_NE(std::find(listed.begin(), listed.end(), name), listed.end());
        const auto in = std::make_shared<const platform::Folder>(*folder);
        EXPECT_EQ(read(platform::FoundFile{Win(file), in, name}), file);
    }
    const auto special = platform::gudtFindFolder(Win("Special"));
    ASSERT_TRUE(special);
    for (const char* subfolder : {"aux", "Dotted.", "Spaced "}) {
        SCOPED_TRACE(subfolder);
        std::optional<platform::Folder> below;
        Names listed;
        EXPECT_EQ(RaisedBy([&] {
                      below = platform::gudtFindSubfolder(*special, subfolder);
                      if (below)
                          listed = platform::gfstrListFolder(*below, "*.package", ListKind::Files);
                  }),
                  std::nullopt);
        EXPECT_EQ(listed, Names{"inside.package"});
    }
    // A device's name where no such file is: not found, never the device.
    EXPECT_EQ(RaisedBy([&] { platform::InputFile f(Win("Special\\PRN.package")); }), errFileNotFound);
    EXPECT_EQ(RaisedBy([&] { platform::InputFile f(Win("Special\\aux\\nul")); }), errFileNotFound);
    EXPECT_EQ(RaisedBy([&] { platform::InputFile f("NUL"); }), errFileNotFound);
    EXPECT_FALSE(platform::gfblnEntryExists(Win("Special\\COM2.package"), ListKind::Files));
}

// The long form gives each name as stored; it must fit 260 units with its terminator.
TEST_F(Win32Host, LongPathNamesAreStoredNamesWithinMaxPath)
{
    WriteFile(HostPath("MixedCase Folder Name\\Stored Name.package"), "s");
    const std::string scratch = platform::gfstrGetLongPathName(Win());
    ASSERT_FALSE(scratch.empty());
    // The short form, where the volume has 8.3 names ("MIXEDC~1"): the stored names come back.
    const std::wstring stored = HostPath("MixedCase Folder Name\\Stored Name.package").wstring();
    std::wstring shortForm(MAX_PATH, L'\0');
    shortForm.resize(::GetShortPathNameW(stored.c_str(), shortForm.data(), MAX_PATH));
    ASSERT_FALSE(shortForm.empty());
    EXPECT_EQ(platform::gfstrGetLongPathName(platform::win32::gfstrNarrow(shortForm)),
              scratch + "\\MixedCase Folder Name\\Stored Name.package");

    // 259 units fit, 260 do not: counted in UTF-16 units ("™" is three bytes, one unit).
    const std::string base = scratch + "\\\xE2\x84\xA2";
    const std::size_t baseUnits = platform::win32::gfstrWide(base).value().size();
    if (baseUnits + 2 > 259)
        GTEST_SKIP() << "the scratch folder's path is too long for this test";
    for (const std::size_t units : {std::size_t{259}, std::size_t{260}}) {
        const std::string path = base + std::string(units - baseUnits, 'n');
        platform::gsMakeFolder(path);
        EXPECT_EQ(platform::gfstrGetLongPathName(path), units < 260 ? path : "") << units;
    }
    EXPECT_EQ(platform::gfstrGetLongPathName(Win("Missing\\Stored Name.package")), "");
    EXPECT_EQ(platform::gfstrGetLongPathName(Win("MixedCase*")), "");
    EXPECT_EQ(platform::gfstrGetLongPathName(""), "");
}

// LOCALAPPDATA for one test, put back after.
class SavedLocalAppData {
public:
    SavedLocalAppData()
    {
        wchar_t value[32768];
        const DWORD length = ::GetEnvironmentVariableW(L"LOCALAPPDATA", value, 32768);
        if (length > 0 && length < 32768)
            saved_ = std::wstring(value, length);
    }
    ~SavedLocalAppData() { ::SetEnvironmentVariableW(L"LOCALAPPDATA", saved_ ? saved_->c_str() : nullptr); }
    SavedLocalAppData(const SavedLocalAppData&) = delete;
    SavedLocalAppData& operator=(const SavedLocalAppData&) = delete;
    void Set(const std::string& value) const
    {
        ::SetEnvironmentVariableW(L"LOCALAPPDATA", platform::win32::gfstrWide(value).value().c_str());
    }

private:
    std::optional<std::wstring> saved_;
};

// A copy unpacked where the player may not write (C:\Program Files\...) keeps its files in the
// user's own data folder, made when missing; a copy that may write keeps them beside itself and
// leaves nothing of its test there.
TEST_F(Win32Host, OwnFilesGoToTheUserDataFolderWhenTheProgramFolderCannotBeWritten)
{
    fs::create_directories(HostPath("Unpacked"));
    fs::create_directories(HostPath("Local"));
    const SavedLocalAppData localAppData;
    localAppData.Set(Win("Local"));
    const struct {
        const char* name;
        std::string programFolder;
        std::string expected;
    } cases[] = {
        {"writable", Win("Unpacked"), Win("Unpacked")},
        {"cannot be written, data folder missing", Win("Not There"), Win("Local\\Clashwick")},
        {"cannot be written, data folder there", Win("Not There"), Win("Local\\Clashwick")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(platform::win32::gfstrOwnFilesFolder(c.programFolder), c.expected);
    }
    EXPECT_TRUE(fs::is_directory(HostPath("Local\\Clashwick")));
    EXPECT_TRUE(fs::is_empty(HostPath("Unpacked")));
    EXPECT_TRUE(platform::win32::gfblnFolderWritable(Win("Unpacked")));
    EXPECT_FALSE(platform::win32::gfblnFolderWritable(Win("Not There")));

    // A drive's root and trailing separators give one "\"; a relative value is no folder of the
    // user's, and the system's own local data folder is asked instead.
    localAppData.Set("C:\\");
    EXPECT_EQ(platform::win32::gfstrUserDataFolder(), "C:\\Clashwick");
    localAppData.Set(Win("Local") + "\\");
    EXPECT_EQ(platform::win32::gfstrUserDataFolder(), Win("Local\\Clashwick"));
    localAppData.Set("relative\\Local");
    const std::string system = platform::win32::gfstrUserDataFolder();
    EXPECT_TRUE(system.size() > 13 && system.ends_with("\\Clashwick") && system[1] == ':') << system;
}

// Text crosses to the W calls and back whole; a lone surrogate a name may hold keeps its
// three-byte form both ways; text no W call can take whole is refused.
TEST(Win32Text, WideTextRoundTrips)
{
    const struct {
        std::string narrow;
        std::optional<std::wstring> wide;
    } cases[] = {
        {"plain", L"plain"},
        {"Caf\xC3\xA9\xE2\x84\xA2", L"Caf\u00E9\u2122"},
        {"\xF0\x9F\x98\x80", L"\xD83D\xDE00"},       // past U+FFFF: a surrogate pair
        {"a\xED\xA0\x80z", std::wstring{L'a', wchar_t(0xD800), L'z'}},  // lone high surrogate
        {"\xED\xBF\xBF", std::wstring{wchar_t(0xDFFF)}},              // lone low surrogate
        {"bad\xFF", std::nullopt},
        {"\xC3", std::nullopt},                          // cut short
        {"\xC0\xAF", std::nullopt},                      // overlong "/"
        {std::string("nul\0after", 9), std::nullopt},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(platform::win32::gfstrWide(c.narrow), c.wide) << c.narrow;
        if (c.wide) {
            EXPECT_EQ(platform::win32::gfstrNarrow(*c.wide), c.narrow) << c.narrow;
        }
    }
}

// A console is handed whole characters, whatever bytes the text holds; a file or a pipe gets
// the bytes as they are. (A console itself is checked by scripts/smoke-windows, which runs the
// program in a terminal.)
TEST(Win32Console, ConsoleGetsCharactersAndFilesGetBytes)
{
    const struct {
        std::string text;
        std::wstring units;
    } cases[] = {
        {"Sims\xE2\x84\xA2 Hack.package\n", L"Sims\u2122 Hack.package\n"},
        {"\xF0\x9F\x98\x80", L"\xD83D\xDE00"},                                // past U+FFFF: a pair
        {"lone\xED\xA0\x80.package", std::wstring(L"lone") + wchar_t(0xD800) + L".package"},
        {"Caf\xE9 \x80 \x81", L"Caf\u00E9 \u20AC \u0081"},                   // Windows-1252 bytes
        {"cut \xE2\x84", L"cut \u00E2\u201E"},
        {"", L""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(platform::win32::gfstrConsoleUnits(c.text), c.units) << c.text;

    testing::internal::CaptureStdout();
    platform::gsWriteStandard(platform::StandardStream::Output, "Sims\xE2\x84\xA2 Hack.package\n\xE9");
    std::cout << std::flush;
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Sims\xE2\x84\xA2 Hack.package\n\xE9");
}

TEST(Win32UpperCase, UnitsUpperCaseByTheInvariantTable)
{
    const struct {
        char16_t unit;
        char16_t upper;
    } cases[] = {
        {u'\u00E9', u'\u00C9'},  // é
        {u'\u00FF', u'\u0178'},  // ÿ: its capital is outside Latin-1
        {u'\u03C3', u'\u03A3'},  // σ
        {u'\u00DF', u'\u00DF'},  // ß: no capital of one unit
        {u'\u2122', u'\u2122'},  // ™
        {u'\u00C9', u'\u00C9'},
    };
    for (const auto& c : cases)
        EXPECT_EQ(platform::gfchrUpperCaseUnit(c.unit), c.upper) << static_cast<int>(c.unit);
}

} // namespace
