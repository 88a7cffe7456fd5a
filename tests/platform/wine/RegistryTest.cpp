#include "platform/modGetRegistryValuesEx.h"

#include "app/modSims2General.h"
#include "errors/Failure.h"
#include "platform/wine/RegistryFiles.h"
#include "support/TestSupport.h"

#include <string>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using platform::gfstrGetRegistryValue;
using platform::glngHKEY_CURRENT_USER;
using platform::glngHKEY_LOCAL_MACHINE;

const std::string kSims2Key = "SOFTWARE\\EA GAMES\\The Sims 2";

// A registry file as Wine writes it, keys and values given in the file's own notation.
std::string RegFile(const std::string& relativeTo, const std::string& arch, const std::string& body)
{
    return "WINE REGISTRY Version 2\n;; All keys relative to " + relativeTo + "\n\n#arch=" + arch + "\n\n" + body;
}

std::string MachineFile(const std::string& arch, const std::string& body)
{
    return RegFile("\\\\Machine", arch, body);
}

const std::string kShellFoldersKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
// Its key line, as the file writes it.
const std::string kShellFoldersLine =
    "[Software\\\\Microsoft\\\\Windows\\\\CurrentVersion\\\\Explorer\\\\Shell Folders] 1\n";

class Registry : public testsupport::TrapTest {
protected:
    std::filesystem::path SystemFile() const { return Scratch() / "prefix" / "system.reg"; }
    std::filesystem::path UserFile() const { return Scratch() / "prefix" / "user.reg"; }
    void WriteSystem(const std::string& text) { WriteFile(SystemFile(), text); }
    void WriteUser(const std::string& text) { WriteFile(UserFile(), text); }

    // Gives a file a modification time long past, as a prefix's registry has between runs of
    // Wine; what is read of a file written a moment ago is not kept.
    static void Settle(const std::filesystem::path& host)
    {
        const timespec times[2] = {{1'700'000'000, 0}, {1'700'000'000, 0}};
        ASSERT_EQ(::utimensat(AT_FDCWD, host.c_str(), times, 0), 0);
    }

    static std::string Read(std::uint32_t root, const std::string& key, const std::string& value)
    {
        std::int32_t size = 0;
        return gfstrGetRegistryValue(root, key, value, size);
    }
};

TEST_F(Registry, ReadsEveryKindOfValue)
{
    WriteSystem(MachineFile("win32",
        "[Software\\\\EA GAMES\\\\The Sims 2] 1733580000\n"
        "#time=1db48a5c0e2f3a0\n"
        "\"Install Dir\"=\"C:\\\\Program Files\\\\EA GAMES\\\\The Sims 2\"\n"
        "\"Escapes\"=\"q\\\"b\\\\s\\tt\\x263a\\xe9-\\101\\x41g \xC3\xA9\"\n"
        "\"Dword\"=dword:00434241\n"
        "\"Binary\"=hex:41,42,00,43\n"
        "\"Expand\"=hex(2):25,00,55,00,53,00,45,00,52,00,50,00,52,00,4f,00,46,00,49,00,4c,00,45,00,\\\n"
        "  25,00,5c,00,00,00\n"
        "\"Multi\"=str(7):\"first\\0second\\0\"\n"
        "\"Plain\"=str:\"plain\"\n"
        "@=\"the default\"\n"
        "\n"
        "[Software\\\\EA GAMES\\\\The Sims 2\\\\Sub\\\\Deeper] 1733580000\n"
        "\"Inner\"=\"x\"\n"
        "\n"
        "[Software\\\\Split] 1733580000\n"
        "\"Twice\"=\"first\"\n"
        "[Software\\\\Other] 1733580000\n"
        "\"Twice\"=\"not this key\"\n"
        "[software\\\\split] 1733580000\n"
        "\"Twice\"=\"second\"\n"
        "\"Broken\"=hex:4g\n"));
    WriteUser(RegFile("\\\\User\\\\S-1-5-21-0-0-0-1000", "win32",
        "[Software\\\\Microsoft\\\\Windows\\\\CurrentVersion\\\\Explorer\\\\Shell Folders] 1733580000\n"
        "\"Personal\"=\"C:\\\\users\\\\player\\\\Documents\"\n"));

    struct Case {
        std::uint32_t root;
        std::string key;
        std::string value;
        std::string expected;
    };
    const Case cases[] = {
        {glngHKEY_LOCAL_MACHINE, kSims2Key, "Install Dir", "C:\\Program Files\\EA GAMES\\The Sims 2"},
        {glngHKEY_LOCAL_MACHINE, "software\\ea games\\THE SIMS 2", "INSTALL DIR", "C:\\Program Files\\EA GAMES\\The Sims 2"},
        {glngHKEY_LOCAL_MACHINE, kSims2Key, "Escapes", "q\"b\\s\tt\xE2\x98\xBA\xC3\xA9-AAg \xC3\xA9"},
        {glngHKEY_LOCAL_MACHINE, kSims2Key, "Dword", "ABC"},
        {glngHKEY_LOCAL_MACHINE, kSims2Key, "Binary", "AB"},
        {glngHKEY_LOCAL_MACHINE, kSims2Key, "Expand", "%USERPROFILE%\\"},
        {glngHKEY_LOCAL_MACHINE, kSims2Key, "Multi", "first"},
        {glngHKEY_LOCAL_MACHINE, kSims2Key, "Plain", "plain"},
        {glngHKEY_LOCAL_MACHINE, kSims2Key, "", "the default"},
        {glngHKEY_LOCAL_MACHINE, "Software\\Split", "Twice", "second"},  // the file's last word holds
        {glngHKEY_CURRENT_USER, "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders", "Personal",
         "C:\\users\\player\\Documents"},
        // Not there: missing value, missing key, a key that exists only through a subkey, a
        // value of a subkey asked of its parent, a damaged value, the wrong file, another root.
        {glngHKEY_LOCAL_MACHINE, kSims2Key, "Missing", "ERROR"},
        {glngHKEY_LOCAL_MACHINE, "SOFTWARE\\EA GAMES\\The Sims 3", "Install Dir", "ERROR"},
        {glngHKEY_LOCAL_MACHINE, kSims2Key + "\\Sub", "Inner", "ERROR"},
        {glngHKEY_LOCAL_MACHINE, "Software\\Split", "Broken", "ERROR"},
        {glngHKEY_CURRENT_USER, kSims2Key, "Install Dir", "ERROR"},
        {0x80000003u, kSims2Key, "Install Dir", "ERROR"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Read(c.root, c.key, c.value), c.expected) << c.key << " / " << c.value;
}

TEST_F(Registry, DataWithItsTerminatorMustFitTheBuffer)
{
    // hex(1) without a terminator still needs room for one.
    std::string unterminated;
    for (int i = 0; i < 254; ++i)
        unterminated += "61,00,";
    unterminated += "61,00";
    WriteSystem(MachineFile("win32",
        "[Software\\\\Sizes] 1733580000\n"
        "\"254\"=\"" + std::string(254, 'a') + "\"\n"
        "\"255\"=\"" + std::string(255, 'a') + "\"\n"
        "\"Unterminated255\"=hex(1):" + unterminated + "\n"
        "\"Short\"=\"abc\"\n"
        "\"Accented\"=\"\\xe9\\xe9\"\n"
        "\"Binary4\"=hex:41,42,43,44\n"));

    struct Case {
        std::string value;
        std::int32_t sizeIn;
        std::string expected;
        std::int32_t sizeOut;
    };
    const Case cases[] = {
        {"254", 0, std::string(254, 'a'), 255},
        {"255", 0, "ERROR", 256},
        {"Unterminated255", 0, "ERROR", 256},
        {"Short", 4, "abc", 4},
        {"Short", 3, "ERROR", 4},
        {"Accented", 3, "\xC3\xA9\xC3\xA9", 3},  // counted per UTF-16 unit, not per UTF-8 byte
        {"Binary4", 4, "ABCD", 4},               // raw kinds need no terminator
        {"Binary4", 3, "ERROR", 4},
        {"Missing", 0, "ERROR", 255},            // the default size reaches the caller
        {"Missing", 7, "ERROR", 7},
    };
    for (const Case& c : cases) {
        std::int32_t size = c.sizeIn;
        EXPECT_EQ(gfstrGetRegistryValue(glngHKEY_LOCAL_MACHINE, "Software\\Sizes", c.value, size), c.expected)
            << c.value << " in " << c.sizeIn;
        EXPECT_EQ(size, c.sizeOut) << c.value << " in " << c.sizeIn;
    }

    std::int32_t negative = -1;
    try {
        gfstrGetRegistryValue(glngHKEY_LOCAL_MACHINE, "Software\\Sizes", "Short", negative);
        ADD_FAILURE() << "a negative buffer size was accepted";
    } catch (const Failure& failure) {
        EXPECT_EQ(failure.Number(), errInvalidCall);
    }
}

TEST_F(Registry, SixtyFourBitPrefixShowsTheThirtyTwoBitView)
{
    const std::string both =
        "[Software\\\\EA GAMES\\\\The Sims 2] 1733580000\n\"Install Dir\"=\"plain\"\n"
        "[Software\\\\Wow6432Node\\\\EA GAMES\\\\The Sims 2] 1733580000\n\"Install Dir\"=\"wow\"\n";
    const std::string plainOnly = "[Software\\\\EA GAMES\\\\The Sims 2] 1733580000\n\"Install Dir\"=\"plain\"\n";
    const std::string wowWithoutValue =
        "[Software\\\\EA GAMES\\\\The Sims 2] 1733580000\n\"Install Dir\"=\"plain\"\n"
        "[software\\\\wow6432node\\\\ea games\\\\the sims 2] 1733580000\n\"Other\"=\"x\"\n";
    const std::string wowKeyOnlyThroughSubkey =
        "[Software\\\\EA GAMES\\\\The Sims 2] 1733580000\n\"Install Dir\"=\"plain\"\n"
        "[Software\\\\Wow6432Node\\\\EA GAMES\\\\The Sims 2\\\\Sub] 1733580000\n\"Other\"=\"x\"\n";
    struct Case {
        std::string arch;
        std::string body;
        std::string key;
        std::string expected;
    };
    const Case cases[] = {
        {"win64", both, kSims2Key, "wow"},
        {"win32", both, kSims2Key, "plain"},  // no redirection in a 32-bit prefix
        {"win64", plainOnly, kSims2Key, "plain"},
        {"win64", wowWithoutValue, kSims2Key, "ERROR"},  // the redirected key is the one opened
        {"win64", wowKeyOnlyThroughSubkey, kSims2Key, "ERROR"},
        {"win64", both, "Software\\Wow6432Node\\EA GAMES\\The Sims 2", "wow"},
    };
    for (const Case& c : cases) {
        WriteSystem(MachineFile(c.arch, c.body));
        EXPECT_EQ(Read(glngHKEY_LOCAL_MACHINE, c.key, "Install Dir"), c.expected) << c.arch << "\n" << c.body;
    }
}

// Subkeys come by name without regard to case, each once, as written; keys that only lie deeper
// name their subkey too; the 32-bit view holds as for values.
TEST_F(Registry, SubkeysAreListedInTheRegistrysOrder)
{
    const std::string key = "[Software\\\\Electronic Arts\\\\The Sims 2 Ultimate Collection 25";
    WriteUser(RegFile("\\\\User", "win64",
                      key + "] 1\n\"DisplayName\"=\"x\"\n" + key + "\\\\Sims2SP1.exe] 1\n" + key +
                          "\\\\Sims2EP9.exe] 1\n" + key + "\\\\sims2ep9.EXE\\\\Deeper] 1\n" + key +
                          "\\\\1.0\\\\Only\\\\Deeper] 1\n" + key + "\\\\Sims\\x2122 2] 1\n" + key + "X] 1\n"));
    // "2" (0032) sorts before "™" (2122).
    const std::vector<std::string> expected = {"1.0", "Sims2EP9.exe", "Sims2SP1.exe", "Sims\xE2\x84\xA2 2"};
    EXPECT_EQ(platform::gfstrGetRegistrySubkeys(glngHKEY_CURRENT_USER,
                                                "software\\electronic arts\\the sims 2 ultimate collection 25"),
              expected);
    EXPECT_TRUE(platform::gfstrGetRegistrySubkeys(glngHKEY_CURRENT_USER, "Software\\Nowhere").empty());
    EXPECT_TRUE(platform::gfstrGetRegistrySubkeys(glngHKEY_LOCAL_MACHINE, "Software\\Nowhere").empty());

    WriteSystem(MachineFile("win64", "[Software\\\\EA GAMES\\\\The Sims 2\\\\Plain] 1\n"
                                     "[Software\\\\Wow6432Node\\\\EA GAMES\\\\The Sims 2\\\\Wow] 1\n"));
    EXPECT_EQ(platform::gfstrGetRegistrySubkeys(glngHKEY_LOCAL_MACHINE, kSims2Key), std::vector<std::string>{"Wow"});
    WriteSystem(MachineFile("win32", "[Software\\\\EA GAMES\\\\The Sims 2\\\\Plain] 1\n"
                                     "[Software\\\\Wow6432Node\\\\EA GAMES\\\\The Sims 2\\\\Wow] 1\n"));
    EXPECT_EQ(platform::gfstrGetRegistrySubkeys(glngHKEY_LOCAL_MACHINE, kSims2Key), std::vector<std::string>{"Plain"});
}

TEST_F(Registry, DamagedOrMissingFilesGiveError)
{
    EXPECT_EQ(Read(glngHKEY_LOCAL_MACHINE, kSims2Key, "Install Dir"), "ERROR");  // no file yet

    const std::string key = "[Software\\\\EA GAMES\\\\The Sims 2] 1733580000\n";
    WriteSystem(key + "\"Install Dir\"=\"C:\\\\Games\"\n");  // no header line
    EXPECT_EQ(Read(glngHKEY_LOCAL_MACHINE, kSims2Key, "Install Dir"), "ERROR");

    // A line past the bound is refused, and reading goes on after it.
    const std::string huge(5u << 20, 'a');
    WriteSystem(MachineFile("win32", "garbage without meaning\n[broken key\n" + key +
                                         "\"Huge\"=\"" + huge + "\"\n"
                                         "\"Install Dir\"=\"C:\\\\Games\"\r\n"
                                         "\"Unfinished\"=hex:41,\\\n"));
    EXPECT_EQ(Read(glngHKEY_LOCAL_MACHINE, kSims2Key, "Huge"), "ERROR");
    EXPECT_EQ(Read(glngHKEY_LOCAL_MACHINE, kSims2Key, "Install Dir"), "C:\\Games");
    EXPECT_EQ(Read(glngHKEY_LOCAL_MACHINE, kSims2Key, "Unfinished"), "ERROR");

    // A folder where the file should be.
    std::filesystem::remove(Scratch() / "prefix" / "system.reg");
    std::filesystem::create_directory(Scratch() / "prefix" / "system.reg");
    EXPECT_EQ(Read(glngHKEY_LOCAL_MACHINE, kSims2Key, "Install Dir"), "ERROR");
}

// A registry file is read once while it stays as it was, however many questions are asked of
// it; a change to it, or a write a moment ago, has it read again.
TEST_F(Registry, AFileIsReadOnceWhileItStaysTheSame)
{
    const auto user = [](const std::string& personal) {
        return RegFile("\\\\User", "win32", kShellFoldersLine + "\"Personal\"=\"" + personal + "\"\n");
    };
    const auto files = [] { return platform::wine::gudtRegistryReads().Files; };
    WriteUser(user("first"));
    Settle(UserFile());
    const auto before = files();
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(Read(glngHKEY_CURRENT_USER, kShellFoldersKey, "Personal"), "first");
    EXPECT_TRUE(platform::gfstrGetRegistrySubkeys(glngHKEY_CURRENT_USER, kShellFoldersKey).empty());
    EXPECT_EQ(files() - before, 1u);

    // Rewritten to the same size and given the same time again: still seen.
    WriteUser(user("other"));
    Settle(UserFile());
    EXPECT_EQ(Read(glngHKEY_CURRENT_USER, kShellFoldersKey, "Personal"), "other");
    EXPECT_EQ(files() - before, 2u);

    // Written a moment ago: read at each question, as it may change again unseen.
    WriteUser(user("fresh"));
    EXPECT_EQ(Read(glngHKEY_CURRENT_USER, kShellFoldersKey, "Personal"), "fresh");
    EXPECT_EQ(Read(glngHKEY_CURRENT_USER, kShellFoldersKey, "Personal"), "fresh");
    EXPECT_EQ(files() - before, 4u);
}

// Start-up asks one question of each program subkey of the Legacy Collection; with thousands of
// them it still reads each registry file once.
TEST_F(Registry, StartUpReadsEachFileOnce)
{
    const std::string key = "[Software\\\\Electronic Arts\\\\The Sims 2 Ultimate Collection 25";
    std::string body;
    for (int i = 0; i < 2000; ++i)
        body += key + "\\\\Sims2EP" + std::to_string(1000 + i) + ".exe] 1\n\"Installed\"=dword:00000001\n";
    body += key + "\\\\Sims2ZZ.exe] 1\n\"path\"=\"C:\\\\Legacy\\\\EP9\"\n";
    WriteUser(RegFile("\\\\User", "win32", body + kShellFoldersLine + "\"Personal\"=\"C:\\\\Docs\"\n"));
    WriteSystem(MachineFile("win32", "[Software\\\\Other] 1\n"));
    Settle(UserFile());
    Settle(SystemFile());

    const auto before = platform::wine::gudtRegistryReads().Files;
    gsGetSims2Paths();
    EXPECT_EQ(platform::wine::gudtRegistryReads().Files - before, 2u);
    EXPECT_EQ(gstrSims2Path, "");  // C:\Legacy names no folder, and it was found
    EXPECT_EQ(gstrDocumentsPath, "C:\\Docs");
    EXPECT_TRUE(trapCalls.empty());
}

// A named pipe in a registry file's place, with no writer, is not waited on: the value reads
// as missing. (Opened to wait for a writer, this test would never end.)
TEST_F(Registry, APipeIsNoRegistryFile)
{
    const struct {
        std::uint32_t root;
        const char* file;
        std::string key;
        std::string value;
    } cases[] = {
        {glngHKEY_CURRENT_USER, "user.reg", kShellFoldersKey, "Personal"},
        {glngHKEY_LOCAL_MACHINE, "system.reg", kSims2Key, "Install Dir"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        const std::filesystem::path pipe = Scratch() / "prefix" / c.file;
        std::filesystem::create_directories(pipe.parent_path());
        ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
        EXPECT_EQ(Read(c.root, c.key, c.value), "ERROR");
        EXPECT_TRUE(platform::gfstrGetRegistrySubkeys(c.root, c.key).empty());
    }
}

// A file that runs on past the bound (here a sparse tail of zeros) is read up to the bound;
// keys and values beyond it, and the line it cuts, are absent.
TEST_F(Registry, ReadingStopsAtTheBound)
{
    constexpr std::uint64_t kBound = platform::wine::glngMaxRegistryFileBytes;
    WriteUser(RegFile("\\\\User", "win32", "[Software\\\\Early] 1\n\"v\"=\"early\"\n"));
    const std::string across = "\n[Software\\\\Across] 1\n\"v\"=\"acr";
    const std::string rest = "oss\"\n\"w\"=\"after\"\n";
    const std::string late = "\n[Software\\\\Late] 1\n\"v\"=\"late\"\n";
    {
        const int fd = ::open(UserFile().c_str(), O_WRONLY | O_CLOEXEC);
        ASSERT_GE(fd, 0);
        ASSERT_EQ(::ftruncate(fd, static_cast<off_t>(kBound + (1u << 20))), 0);
        ASSERT_EQ(::pwrite(fd, across.data(), across.size(), static_cast<off_t>(kBound - across.size())),
                  static_cast<ssize_t>(across.size()));
        ASSERT_EQ(::pwrite(fd, rest.data(), rest.size(), static_cast<off_t>(kBound)), static_cast<ssize_t>(rest.size()));
        ASSERT_EQ(::pwrite(fd, late.data(), late.size(), static_cast<off_t>(kBound + 4096)),
                  static_cast<ssize_t>(late.size()));
        ::close(fd);
    }
    Settle(UserFile());

    const platform::wine::RegistryReads before = platform::wine::gudtRegistryReads();
    const struct {
        const char* key;
        const char* value;
        const char* expected;
    } cases[] = {
        {"Software\\Early", "v", "early"},
        {"Software\\Across", "v", "ERROR"},  // its key line stands before the bound, the value's across it
        {"Software\\Across", "w", "ERROR"},
        {"Software\\Late", "v", "ERROR"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Read(glngHKEY_CURRENT_USER, c.key, c.value), c.expected) << c.key << " / " << c.value;
    const platform::wine::RegistryReads after = platform::wine::gudtRegistryReads();
    EXPECT_EQ(after.Files - before.Files, 1u);
    EXPECT_EQ(after.Bytes - before.Bytes, kBound);
}

} // namespace
