#include "platform/modGetRegistryValuesEx.h"

#include "errors/Failure.h"
#include "platform/CodePage.h"
#include "platform/Utf8.h"
#include "platform/Names.h"
#include "platform/RegistryText.h"
#include "platform/wine/HostErrors.h"
#include "platform/wine/HostFolder.h"
#include "platform/wine/Prefix.h"
#include "platform/wine/RegistryFiles.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <limits>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>
#include <string_view>

#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

namespace platform {

using namespace wine;

namespace {

// Bounds on what is taken from a registry file. The files are plain text that anything can
// damage; these keep one bad line from costing unbounded memory. Real values are far smaller.
constexpr std::size_t kMaxLineBytes = std::size_t{4} << 20;  // a longer line is cut here
constexpr std::size_t kMaxValueText = std::size_t{4} << 20;  // a value's text, continuations included
constexpr std::size_t kReadChunk = std::size_t{64} << 10;

const std::string kError = "ERROR";

constexpr std::uint32_t kRegSz = glngRegSz;
constexpr std::uint32_t kRegBinary = glngRegBinary;
constexpr std::uint32_t kRegDword = glngRegDword;

// ---- Reading lines -------------------------------------------------------------------------

// Reads an open registry file line by line with bounded memory, up to `bound` bytes; the line
// the bound cuts is not given. `bytesRead` counts what is read.
class LineReader {
public:
    LineReader(int fd, std::uint64_t bound, std::uint64_t& bytesRead)
        : fd_(fd), left_(bound), bytesRead_(bytesRead), buffer_(kReadChunk, '\0')
    {
    }

    bool Failed() const { return failed_; }

    // The next line without its line end; a line longer than kMaxLineBytes is cut there and
    // `cut` says so. False at the end of the file, at the bound, or when reading fails.
    bool Next(std::string& line, bool& cut)
    {
        line.clear();
        cut = false;
        bool any = false;
        for (;;) {
            if (next_ == end_ && !Fill())
                return any && !failed_ && !beyond_;
            any = true;
            const std::string_view rest(buffer_.data() + next_, end_ - next_);
            const std::size_t newline = rest.find('\n');
            const std::string_view piece = rest.substr(0, newline);
            const std::size_t room = kMaxLineBytes - line.size();
            if (piece.size() > room)
                cut = true;
            line.append(piece.substr(0, room));
            if (newline == std::string_view::npos) {
                next_ = end_;
                continue;
            }
            next_ += newline + 1;
            if (!line.empty() && line.back() == '\r')
                line.pop_back();
            return true;
        }
    }

private:
    bool Fill()
    {
        next_ = end_ = 0;
        if (failed_ || beyond_)
            return false;
        if (left_ == 0) {
            // At the bound: one byte more tells a file that ends here from a longer one.
            char probe = 0;
            beyond_ = Read(&probe, 1) > 0;
            return false;
        }
        const ssize_t got = Read(buffer_.data(), static_cast<std::size_t>(std::min<std::uint64_t>(buffer_.size(), left_)));
        if (got <= 0)
            return false;
        end_ = static_cast<std::size_t>(got);
        left_ -= end_;
        bytesRead_ += end_;
        return true;
    }

    // One read, retried when a signal interrupts it; a failure is kept.
    ssize_t Read(char* into, std::size_t size)
    {
        for (;;) {
            const ssize_t got = ::read(fd_, into, size);
            if (got >= 0)
                return got;
            if (errno != EINTR) {
                failed_ = true;
                return got;
            }
        }
    }

    int fd_;
    std::uint64_t left_;
    std::uint64_t& bytesRead_;
    std::string buffer_;
    std::size_t next_ = 0;
    std::size_t end_ = 0;
    bool failed_ = false;
    bool beyond_ = false;
};

// ---- Text ----------------------------------------------------------------------------------

std::string_view mfTrimStart(std::string_view text)
{
    const auto first = text.find_first_not_of(" \t");
    return first == std::string_view::npos ? std::string_view{} : text.substr(first);
}

std::string_view mfTrimEnd(std::string_view text)
{
    const auto last = text.find_last_not_of(" \t");
    return last == std::string_view::npos ? std::string_view{} : text.substr(0, last + 1);
}

bool mfblnHexDigit(char c)
{
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

unsigned mflngHexValue(char c)
{
    if (c >= '0' && c <= '9')
        return static_cast<unsigned>(c - '0');
    if (c >= 'a' && c <= 'f')
        return static_cast<unsigned>(c - 'a' + 10);
    return static_cast<unsigned>(c - 'A' + 10);
}

// Takes up to `maxDigits` hexadecimal digits from the front of `text`; none is nothing.
std::optional<std::uint32_t> mfTakeHex(std::string_view& text, int maxDigits)
{
    std::uint32_t value = 0;
    int digits = 0;
    while (digits < maxDigits && !text.empty() && mfblnHexDigit(text.front())) {
        value = value * 16 + mflngHexValue(text.front());
        text.remove_prefix(1);
        ++digits;
    }
    if (digits == 0)
        return std::nullopt;
    return value;
}

// Takes one character of the file's text (UTF-8) as UTF-16 units. A byte that starts no valid
// sequence becomes U+FFFD, as Wine reads it.
void msTakeCharacter(std::string_view& text, std::u16string& out)
{
    char32_t value = 0;
    const std::size_t length = platform::gflngDecodeUtf8(text, value);
    if (length == 0) {
        out += u'\xFFFD';
        text.remove_prefix(1);
        return;
    }
    platform::gsAppendUtf16(out, value);
    text.remove_prefix(length);
}

// Takes the escape after a backslash (already taken) when it is one Wine writes: the C letters,
// \xHHHH (one UTF-16 unit, one to four digits) and octal \ooo (one to three digits). False for
// any other character, which then stands for itself (\\, \", \[, \]).
bool mfblnTakeEscape(std::string_view& text, std::u16string& out)
{
    constexpr std::string_view kLetters = "abtnvfre";
    constexpr std::array<char16_t, 8> kCodes = {0x07, 0x08, 0x09, 0x0A, 0x0B, 0x0C, 0x0D, 0x1B};
    const char e = text.front();
    if (const auto letter = kLetters.find(e); letter != std::string_view::npos) {
        out += kCodes[letter];
        text.remove_prefix(1);
        return true;
    }
    if (e == 'x') {
        text.remove_prefix(1);
        const auto unit = mfTakeHex(text, 4);
        out += unit ? static_cast<char16_t>(*unit) : u'x';  // "\x" without digits is a plain x
        return true;
    }
    if (e >= '0' && e <= '7') {
        unsigned value = 0;
        for (int digits = 0; digits < 3 && !text.empty() && text.front() >= '0' && text.front() <= '7'; ++digits) {
            value = value * 8 + static_cast<unsigned>(text.front() - '0');
            text.remove_prefix(1);
        }
        out += static_cast<char16_t>(value);
        return true;
    }
    return false;
}

// Decodes escaped text up to the unescaped `endChar` into UTF-16 units and moves `text` past
// that character. False when the text ends first.
bool mfblnTakeEscaped(std::string_view& text, char endChar, std::u16string& out)
{
    while (!text.empty()) {
        if (text.front() == endChar) {
            text.remove_prefix(1);
            return true;
        }
        if (text.front() == '\\' && text.size() >= 2) {
            text.remove_prefix(1);
            if (mfblnTakeEscape(text, out))
                continue;
        }
        msTakeCharacter(text, out);
    }
    return false;
}

std::string mfstrUtf8(std::u16string_view units) { return gfstrUtf16ToUtf8(units); }

// ---- Values --------------------------------------------------------------------------------

struct RegistryValue {
    std::uint32_t Type = 0;
    std::string Data;       // the bytes as the registry holds them (UTF-16LE for string kinds)
    bool TooLarge = false;  // present, but beyond the bounds above: it cannot be read
};


// "N)" of "str(N)" and "hex(N)": the kind in hexadecimal.
std::optional<std::uint32_t> mfTakeKind(std::string_view& text)
{
    const auto kind = mfTakeHex(text, 8);
    if (!kind || text.empty() || text.front() != ')')
        return std::nullopt;
    text.remove_prefix(1);
    return kind;
}

// Quoted text (the opening quote already taken) with the terminating NUL that the registry
// stores after it; Wine writes the string without it.
bool mfblnTakeStringData(std::string_view text, std::string& data)
{
    std::u16string units;
    if (!mfblnTakeEscaped(text, '"', units))
        return false;
    units += u'\0';
    data.reserve(units.size() * 2);
    for (const char16_t unit : units) {
        data += static_cast<char>(unit & 0xFF);
        data += static_cast<char>(unit >> 8);
    }
    return true;
}

// Bytes as Wine writes them: two hexadecimal digits each, separated by commas (continuation
// backslashes already removed).
bool mfblnTakeHexData(std::string_view text, std::string& data)
{
    for (;;) {
        text = mfTrimStart(text);
        if (text.empty())
            return true;
        const auto byte = mfTakeHex(text, 2);
        if (!byte || (!text.empty() && mfblnHexDigit(text.front())))
            return false;
        data += static_cast<char>(*byte);
        text = mfTrimStart(text);
        if (!text.empty() && text.front() == ',')
            text.remove_prefix(1);
    }
}

// The data after "=" in one of Wine's forms; nothing when it is damaged.
std::optional<RegistryValue> mfParseData(std::string_view text)
{
    RegistryValue value;
    bool ok = false;
    if (text.starts_with('"')) {
        value.Type = kRegSz;
        ok = mfblnTakeStringData(text.substr(1), value.Data);
    } else if (text.starts_with("str:\"")) {
        value.Type = kRegSz;
        ok = mfblnTakeStringData(text.substr(5), value.Data);
    } else if (text.starts_with("str(")) {
        text.remove_prefix(4);
        const auto kind = mfTakeKind(text);
        if (kind && text.starts_with(":\"")) {
            value.Type = *kind;
            ok = mfblnTakeStringData(text.substr(2), value.Data);
        }
    } else if (text.starts_with("dword:")) {
        text.remove_prefix(6);
        if (const auto number = mfTakeHex(text, 8)) {
            value.Type = kRegDword;
            for (int shift = 0; shift < 32; shift += 8)
                value.Data += static_cast<char>((*number >> shift) & 0xFF);
            ok = true;
        }
    } else if (text.starts_with("hex:")) {
        value.Type = kRegBinary;
        ok = mfblnTakeHexData(text.substr(4), value.Data);
    } else if (text.starts_with("hex(")) {
        text.remove_prefix(4);
        const auto kind = mfTakeKind(text);
        if (kind && text.starts_with(':')) {
            value.Type = *kind;
            ok = mfblnTakeHexData(text.substr(1), value.Data);
        }
    }
    if (!ok)
        return std::nullopt;
    return value;
}

// What the ANSI query hands back for a value that fits: its text up to the first NUL.
std::string mfstrValueText(const RegistryValue& value, std::int32_t& bufferSize)
{
    return gfstrRegistryValueText(value.Type, value.Data, bufferSize);
}

// ---- Reading a registry file ---------------------------------------------------------------

// One key of a registry file: every section of the file that names it, taken together.
struct RegistryKey {
    std::u16string Written;   // the name as the first of its key lines writes it
    std::size_t FirstLine = 0;  // that line's place among the file's key lines
    std::map<std::u16string, RegistryValue> Values;  // by name in collation form: the file's last good word
};

// What a registry file says, read once.
struct RegistryFile {
    bool Readable = false;  // a registry file, read without failure
    bool Win64 = false;     // the file of a 64-bit prefix
    std::map<std::u16string, RegistryKey> Keys;  // by name in collation form
};

// Keys and values kept of one file; what lies beyond is taken as absent, as past the byte
// bound. Real prefixes hold some tens of thousands.
constexpr std::size_t kMaxEntries = std::size_t{1} << 20;

// A value line ("name"=data or @=data) of `key`. Binary data may run on over following lines
// that end in a backslash, as Wine reads them.
void msTakeValueLine(LineReader& reader, std::string_view text, bool cut, RegistryKey& key, std::size_t& entries)
{
    std::u16string name;
    const bool isDefault = text.front() == '@';
    text.remove_prefix(1);
    if (!isDefault && !mfblnTakeEscaped(text, '"', name))
        return;
    text = mfTrimStart(text);
    if (!text.starts_with('='))
        return;
    text = mfTrimStart(text.substr(1));

    bool tooLarge = cut;
    std::string data(text);
    while (!tooLarge && data.starts_with("hex") && mfTrimEnd(data).ends_with('\\')) {
        data.resize(mfTrimEnd(data).size() - 1);
        std::string next;
        bool nextCut = false;
        if (!reader.Next(next, nextCut))
            return;  // the file ends inside the value: Wine drops it too
        const std::string_view more = mfTrimStart(next);
        if (nextCut || data.size() + more.size() > kMaxValueText)
            tooLarge = true;
        else
            data += more;
    }
    std::optional<RegistryValue> value;
    if (tooLarge)
        value = RegistryValue{0, {}, true};
    else
        value = mfParseData(mfTrimEnd(data));
    // A damaged line is skipped, as Wine skips it; an earlier good one stands.
    if (!value)
        return;
    const auto [slot, added] = key.Values.insert_or_assign(gfstrNameKey(mfstrUtf8(name)), std::move(*value));
    entries += added ? 1 : 0;
}

// Reads an open file whole (up to the bounds) into what it says.
RegistryFile mfReadRegistryFile(int fd, std::uint64_t& bytesRead)
{
    RegistryFile file;
    LineReader reader(fd, glngMaxRegistryFileBytes, bytesRead);
    std::string line;
    bool cut = false;
    if (!reader.Next(line, cut) || !line.starts_with("WINE REGISTRY Version 2"))
        return file;

    RegistryKey* current = nullptr;
    bool inKeys = false;
    std::size_t keyLines = 0;
    std::size_t entries = 0;
    while (entries < kMaxEntries && reader.Next(line, cut)) {
        std::string_view text = mfTrimStart(line);
        if (text.empty())
            continue;
        switch (text.front()) {
        case '[': {
            inKeys = true;
            current = nullptr;
            text.remove_prefix(1);
            std::u16string name;
            if (!mfblnTakeEscaped(text, ']', name))
                break;  // a damaged key line: its values are not taken
            const auto [key, added] = file.Keys.try_emplace(gfstrNameKey(mfstrUtf8(name)));
            if (added) {
                key->second.Written = std::move(name);
                key->second.FirstLine = keyLines;
                ++entries;
            }
            ++keyLines;
            current = &key->second;
            break;
        }
        case '@':
        case '"':
            if (current != nullptr)
                msTakeValueLine(reader, text, cut, *current, entries);
            break;
        case '#':
            // "#arch=" belongs to the file's head; below a key, '#' lines are the key's options.
            if (!inKeys && text.starts_with("#arch="))
                file.Win64 = text.substr(6).starts_with("win64");
            break;
        default:
            break;  // comments (;) and stray lines
        }
    }
    file.Readable = !reader.Failed();
    return file;
}

// ---- Keeping what was read -----------------------------------------------------------------

// What tells one state of a file from another without reading it.
struct FileIdentity {
    std::int64_t Device = 0;
    std::int64_t Inode = 0;
    std::int64_t Size = 0;
    std::int64_t ModifiedSeconds = 0;
    std::int64_t ModifiedNanoseconds = 0;
    std::int64_t ChangedSeconds = 0;
    std::int64_t ChangedNanoseconds = 0;
    bool operator==(const FileIdentity&) const = default;
};

FileIdentity mfIdentity(const struct stat& st)
{
    return {static_cast<std::int64_t>(st.st_dev),   static_cast<std::int64_t>(st.st_ino),
            static_cast<std::int64_t>(st.st_size),  static_cast<std::int64_t>(st.st_mtim.tv_sec),
            static_cast<std::int64_t>(st.st_mtim.tv_nsec), static_cast<std::int64_t>(st.st_ctim.tv_sec),
            static_cast<std::int64_t>(st.st_ctim.tv_nsec)};
}

// A file changed this recently may change again within its time stamp's granularity (a jiffy,
// a second, two on FAT) without its identity showing it; what was read of it is not kept.
constexpr std::int64_t kSettledSeconds = 3;

bool mfblnSettled(const struct stat& st)
{
    timespec now {};
    ::clock_gettime(CLOCK_REALTIME, &now);
    return st.st_mtim.tv_sec < static_cast<std::int64_t>(now.tv_sec) - kSettledSeconds;
}

struct KeptFile {
    std::string HostPath;
    FileIdentity Identity;
    std::shared_ptr<const RegistryFile> File;
};

// The files of the prefix in use: system.reg and user.reg.
constexpr std::size_t kKeptFiles = 2;

struct RegistryCache {
    std::mutex Lock;
    std::vector<KeptFile> Files;  // the most recently read last
    RegistryReads Reads;
};

RegistryCache& mudtCache()
{
    static RegistryCache cache;
    return cache;
}

// What the registry file at `hostPath` says: kept from an earlier call while the file is
// unchanged, else read now. Only a regular file is read: opened without waiting (a named pipe
// in its place has no writer to wait for) and refused when it is anything else.
std::shared_ptr<const RegistryFile> mfRegistryFile(const std::string& hostPath)
{
    static const auto unreadable = std::make_shared<const RegistryFile>();
    struct stat st {};
    const HostFile host = gfOpenRegularHostFile(hostPath, st);
    if (!host.IsOpen())
        return unreadable;

    RegistryCache& cache = mudtCache();
    const std::lock_guard lock(cache.Lock);
    const FileIdentity identity = mfIdentity(st);
    const auto kept = std::find_if(cache.Files.begin(), cache.Files.end(),
                                   [&](const KeptFile& file) { return file.HostPath == hostPath; });
    if (kept != cache.Files.end() && kept->Identity == identity)
        return kept->File;
    if (kept != cache.Files.end())
        cache.Files.erase(kept);

    ++cache.Reads.Files;
    auto file = std::make_shared<const RegistryFile>(mfReadRegistryFile(host.Fd(), cache.Reads.Bytes));
    if (mfblnSettled(st)) {
        if (cache.Files.size() == kKeptFiles)
            cache.Files.erase(cache.Files.begin());
        cache.Files.push_back({hostPath, identity, file});
    }
    return file;
}

// True when the file names the key or any key below it (Wine leaves out keys that hold
// nothing but subkeys).
bool mfblnKeyExists(const RegistryFile& file, const std::u16string& name)
{
    if (file.Keys.contains(name))
        return true;
    const std::u16string below = name + u'\\';
    const auto next = file.Keys.lower_bound(below);
    return next != file.Keys.end() && next->first.starts_with(below);
}

// Adds the name of the subkey of `parent` that the key `name` (as written) lies in or is.
void msTakeChild(const std::u16string& name, const std::u16string& parent, std::vector<std::string>& children)
{
    const auto depth = static_cast<std::size_t>(std::count(parent.begin(), parent.end(), u'\\')) + 1;
    std::size_t start = 0;
    for (std::size_t i = 0; i < depth; ++i) {
        start = name.find(u'\\', start);
        if (start == std::u16string::npos)
            return;
        ++start;
    }
    const std::size_t end = name.find(u'\\', start);
    children.push_back(mfstrUtf8(std::u16string_view(name).substr(start, end == std::u16string::npos ? end : end - start)));
}

// The subkey names below `parent` as the file writes them, in the order their first key lines
// stand in the file.
std::vector<std::string> mfstrChildren(const RegistryFile& file, const std::u16string& parent)
{
    const std::u16string below = parent + u'\\';
    std::vector<const RegistryKey*> keys;
    for (auto key = file.Keys.lower_bound(below); key != file.Keys.end() && key->first.starts_with(below); ++key)
        keys.push_back(&key->second);
    std::sort(keys.begin(), keys.end(),
              [](const RegistryKey* left, const RegistryKey* right) { return left->FirstLine < right->FirstLine; });
    std::vector<std::string> children;
    for (const RegistryKey* key : keys)
        msTakeChild(key->Written, parent, children);
    return children;
}

// The registry file of `root`, or none for a root this host has no file for.
const char* mfstrRootFile(std::uint32_t root)
{
    return root == glngHKEY_LOCAL_MACHINE ? "/system.reg" : root == glngHKEY_CURRENT_USER ? "/user.reg" : nullptr;
}

// The 32-bit view of a local-machine key below "Software": "Software\Wow6432Node\...".
std::optional<std::string> mfRedirectedKey(const std::string& keyPath)
{
    const auto slash = keyPath.find('\\');
    const std::string_view first = std::string_view(keyPath).substr(0, slash);
    if (slash == std::string::npos || !gfblnSameName(first, "Software"))
        return std::nullopt;
    const std::string_view rest = std::string_view(keyPath).substr(slash + 1);
    if (gfblnSameName(rest.substr(0, rest.find('\\')), "Wow6432Node"))
        return std::nullopt;  // already the 32-bit view
    std::string redirected(first);
    redirected += "\\Wow6432Node";
    if (!rest.empty()) {
        redirected += '\\';
        redirected += rest;
    }
    return redirected;
}

} // namespace

std::string gfstrGetRegistryValue(std::uint32_t root, const std::string& keyPath, const std::string& valueName,
                                  std::int32_t& bufferSize)
{
    if (bufferSize == 0)
        bufferSize = glngDefaultRegistryBuffer;
    if (bufferSize < 0)
        gsRaise(errInvalidCall);  // no buffer has a negative size

    const char* fileName = mfstrRootFile(root);
    if (fileName == nullptr)
        return kError;
    const auto file = mfRegistryFile(gfstrWinePrefix() + fileName);
    if (!file->Readable)
        return kError;

    // The 32-bit program sees the redirected key when a 64-bit prefix has it, else the plain one.
    std::u16string name = gfstrNameKey(keyPath);
    bool exists = keyPath.empty() || mfblnKeyExists(*file, name);  // the root itself always is
    const auto redirected = root == glngHKEY_LOCAL_MACHINE ? mfRedirectedKey(keyPath) : std::nullopt;
    if (redirected && file->Win64) {
        std::u16string redirectedName = gfstrNameKey(*redirected);
        if (mfblnKeyExists(*file, redirectedName)) {
            name = std::move(redirectedName);
            exists = true;
        }
    }
    if (!exists)
        return kError;
    const auto key = file->Keys.find(name);
    if (key == file->Keys.end())
        return kError;  // the key holds nothing but subkeys
    const auto value = key->second.Values.find(gfstrNameKey(valueName));
    if (value == key->second.Values.end() || value->second.TooLarge)
        return kError;
    return mfstrValueText(value->second, bufferSize);
}

std::vector<std::string> gfstrGetRegistrySubkeys(std::uint32_t root, const std::string& keyPath)
{
    const char* fileName = mfstrRootFile(root);
    if (fileName == nullptr || keyPath.empty())
        return {};
    const auto file = mfRegistryFile(gfstrWinePrefix() + fileName);
    if (!file->Readable)
        return {};

    std::u16string name = gfstrNameKey(keyPath);
    const auto redirected = root == glngHKEY_LOCAL_MACHINE ? mfRedirectedKey(keyPath) : std::nullopt;
    if (redirected && file->Win64) {
        std::u16string redirectedName = gfstrNameKey(*redirected);
        if (mfblnKeyExists(*file, redirectedName))
            name = std::move(redirectedName);
    }
    std::vector<std::string> names = mfstrChildren(*file, name);
    // As the registry enumerates them: by name without regard to case, each name once.
    std::stable_sort(names.begin(), names.end(), [](const std::string& left, const std::string& right) {
        return gfstrNameKey(left) < gfstrNameKey(right);
    });
    names.erase(std::unique(names.begin(), names.end(),
                            [](const std::string& left, const std::string& right) { return gfblnSameName(left, right); }),
                names.end());
    return names;
}

} // namespace platform

namespace platform::wine {

RegistryReads gudtRegistryReads()
{
    RegistryCache& cache = mudtCache();
    const std::lock_guard lock(cache.Lock);
    return cache.Reads;
}

} // namespace platform::wine
