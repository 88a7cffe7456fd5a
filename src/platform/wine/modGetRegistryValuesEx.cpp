#include "platform/modGetRegistryValuesEx.h"

#include "errors/Failure.h"
#include "platform/CodePage.h"
#include "platform/Utf8.h"
#include "platform/Names.h"
#include "platform/RegistryText.h"
#include "platform/wine/HostErrors.h"
#include "platform/wine/Prefix.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <limits>
#include <optional>
#include <span>
#include <vector>
#include <string_view>

#include <fcntl.h>
#include <sys/stat.h>
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

// Reads a registry file line by line with bounded memory. Only a regular file is read, so the
// reading always ends (a device or a pipe in the prefix's place is no registry).
class LineReader {
public:
    explicit LineReader(const std::string& hostPath) : buffer_(kReadChunk, '\0')
    {
        fd_ = ::open(hostPath.c_str(), O_RDONLY | O_CLOEXEC);
        struct stat st {};
        if (fd_ >= 0 && (::fstat(fd_, &st) != 0 || !S_ISREG(st.st_mode))) {
            ::close(fd_);
            fd_ = -1;
        }
    }
    ~LineReader()
    {
        if (fd_ >= 0)
            ::close(fd_);
    }
    LineReader(const LineReader&) = delete;
    LineReader& operator=(const LineReader&) = delete;

    bool IsOpen() const { return fd_ >= 0; }
    bool Failed() const { return failed_; }

    // The next line without its line end; a line longer than kMaxLineBytes is cut there and
    // `cut` says so. False at the end of the file or when reading fails.
    bool Next(std::string& line, bool& cut)
    {
        line.clear();
        cut = false;
        bool any = false;
        for (;;) {
            if (next_ == end_ && !Fill())
                return any && !failed_;
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
        if (fd_ < 0 || failed_)
            return false;
        for (;;) {
            const ssize_t got = ::read(fd_, buffer_.data(), buffer_.size());
            if (got > 0) {
                end_ = static_cast<std::size_t>(got);
                return true;
            }
            if (got == 0)
                return false;
            if (errno != EINTR) {
                failed_ = true;
                return false;
            }
        }
    }

    int fd_ = -1;
    std::string buffer_;
    std::size_t next_ = 0;
    std::size_t end_ = 0;
    bool failed_ = false;
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

// One key looked for: whether the file has it, and the value asked for as the file last gives it.
struct KeyFinding {
    std::u16string Name;  // the key's name in collation form (case folded)
    bool Exists = false;
    std::optional<RegistryValue> Value;
    std::vector<std::string>* Children = nullptr;  // when wanted: the names of its subkeys, as written
};

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

// A key exists when the file names it or any key below it (Wine leaves out keys that hold
// nothing but subkeys).
bool mfblnBelow(const std::u16string& name, const std::u16string& ancestor)
{
    return name.size() > ancestor.size() && name.starts_with(ancestor) && name[ancestor.size()] == u'\\';
}

// A value line ("name"=data or @=data) of a key looked for. Binary data may run on over
// following lines that end in a backslash.
void msTakeValueLine(LineReader& reader, std::string_view text, bool cut, const std::u16string& valueKey,
                     KeyFinding& key)
{
    std::u16string name;
    const bool isDefault = text.front() == '@';
    text.remove_prefix(1);
    if (!isDefault && !mfblnTakeEscaped(text, '"', name))
        return;
    if (gfstrNameKey(mfstrUtf8(name)) != valueKey)
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
    if (tooLarge) {
        key.Value = RegistryValue{0, {}, true};
        return;
    }
    // A damaged line is skipped, as Wine skips it; an earlier good one stands.
    if (auto value = mfParseData(mfTrimEnd(data)))
        key.Value = std::move(*value);
}

// Reads the file once, filling in each of `keys`. False when the file cannot be read or is no
// registry file. `win64` tells whether the file belongs to a 64-bit prefix.
bool mfblnScanFile(const std::string& hostPath, const std::u16string& valueKey, std::span<KeyFinding> keys,
                   bool& win64)
{
    LineReader reader(hostPath);
    std::string line;
    bool cut = false;
    if (!reader.IsOpen() || !reader.Next(line, cut) || !line.starts_with("WINE REGISTRY Version 2"))
        return false;

    KeyFinding* current = nullptr;
    bool inKeys = false;
    while (reader.Next(line, cut)) {
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
            const std::u16string key = gfstrNameKey(mfstrUtf8(name));
            for (KeyFinding& wanted : keys) {
                if (key == wanted.Name) {
                    wanted.Exists = true;
                    current = &wanted;
                } else if (mfblnBelow(key, wanted.Name)) {
                    wanted.Exists = true;
                    if (wanted.Children != nullptr)
                        msTakeChild(name, wanted.Name, *wanted.Children);
                }
            }
            break;
        }
        case '@':
        case '"':
            if (current != nullptr)
                msTakeValueLine(reader, text, cut, valueKey, *current);
            break;
        case '#':
            // "#arch=" belongs to the file's head; below a key, '#' lines are the key's options.
            if (!inKeys && text.starts_with("#arch="))
                win64 = text.substr(6).starts_with("win64");
            break;
        default:
            break;  // comments (;) and stray lines
        }
    }
    return !reader.Failed();
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

    const char* fileName = root == glngHKEY_LOCAL_MACHINE ? "/system.reg"
                           : root == glngHKEY_CURRENT_USER ? "/user.reg"
                                                           : nullptr;
    if (fileName == nullptr)
        return kError;

    std::array<KeyFinding, 2> keys;
    std::size_t keyCount = 1;
    keys[0].Name = gfstrNameKey(keyPath);
    keys[0].Exists = keyPath.empty();  // the root itself
    const auto redirected = root == glngHKEY_LOCAL_MACHINE ? mfRedirectedKey(keyPath) : std::nullopt;
    if (redirected) {
        keys[1].Name = gfstrNameKey(*redirected);
        keyCount = 2;
    }

    bool win64 = false;
    if (!mfblnScanFile(gfstrWinePrefix() + fileName, gfstrNameKey(valueName), std::span(keys).first(keyCount), win64))
        return kError;

    // The 32-bit program sees the redirected key when a 64-bit prefix has it, else the plain one.
    const KeyFinding& key = redirected && win64 && keys[1].Exists ? keys[1] : keys[0];
    if (!key.Exists || !key.Value || key.Value->TooLarge)
        return kError;
    return mfstrValueText(*key.Value, bufferSize);
}

std::vector<std::string> gfstrGetRegistrySubkeys(std::uint32_t root, const std::string& keyPath)
{
    const char* fileName = root == glngHKEY_LOCAL_MACHINE ? "/system.reg"
                           : root == glngHKEY_CURRENT_USER ? "/user.reg"
                                                           : nullptr;
    if (fileName == nullptr || keyPath.empty())
        return {};

    std::array<std::vector<std::string>, 2> children;
    std::array<KeyFinding, 2> keys;
    std::size_t keyCount = 1;
    keys[0].Name = gfstrNameKey(keyPath);
    keys[0].Children = &children[0];
    const auto redirected = root == glngHKEY_LOCAL_MACHINE ? mfRedirectedKey(keyPath) : std::nullopt;
    if (redirected) {
        keys[1].Name = gfstrNameKey(*redirected);
        keys[1].Children = &children[1];
        keyCount = 2;
    }
    bool win64 = false;
    // No value name holds a backslash, so this one matches none and no value is kept.
    if (!mfblnScanFile(gfstrWinePrefix() + fileName, u"\\", std::span(keys).first(keyCount), win64))
        return {};

    std::vector<std::string>& names = redirected && win64 && keys[1].Exists ? children[1] : children[0];
    // As the registry enumerates them: by name without regard to case, each name once.
    std::stable_sort(names.begin(), names.end(), [](const std::string& left, const std::string& right) {
        return gfstrNameKey(left) < gfstrNameKey(right);
    });
    names.erase(std::unique(names.begin(), names.end(),
                            [](const std::string& left, const std::string& right) { return gfblnSameName(left, right); }),
                names.end());
    return std::move(names);
}

} // namespace platform
