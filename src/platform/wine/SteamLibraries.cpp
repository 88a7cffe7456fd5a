#include "platform/wine/SteamLibraries.h"

#include "platform/wine/HostFolder.h"
#include "platform/wine/Prefix.h"

#include <algorithm>
#include <cerrno>
#include <string_view>

#include <sys/stat.h>
#include <unistd.h>

namespace platform::wine {

namespace {

// Bounds on what is taken from a libraryfolders.vdf. Steam writes it, but anything can damage
// it; these keep a bad file from costing unbounded time, memory or stack. Real files are a few
// KiB, nest four deep and list a handful of libraries.
constexpr std::size_t kMaxVdfBytes = std::size_t{1} << 20;  // the rest of a longer file is not read
constexpr std::size_t kMaxTokenBytes = 4096;                // a longer key or value is passed over (PATH_MAX)
constexpr int kMaxDepth = 32;                               // deeper nesting is damage
constexpr std::size_t kMaxLibraries = 256;                  // more are not taken

enum class TokenKind { Text, Open, Close, End, Damaged };

// Adds one character of a string to `out` while it stays within kMaxTokenBytes. A longer string
// is still read to its end, so the next token starts where it should; `out` is emptied then, as
// it can name neither a key we read nor a library folder a path can reach.
void msAddTokenChar(std::string& out, bool& overLong, char c)
{
    if (overLong)
        return;
    if (out.size() == kMaxTokenBytes) {
        overLong = true;
        out.clear();
        return;
    }
    out += c;
}

bool mfblnSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f'; }

// Skips white space, // comments and [$CONDITION] tags, which Valve's files may put after a
// value; none of them carries anything we read.
void msSkipTrivia(std::string_view& text)
{
    for (;;) {
        while (!text.empty() && mfblnSpace(text.front()))
            text.remove_prefix(1);
        if (text.starts_with("//")) {
            const auto newline = text.find('\n');
            text.remove_prefix(newline == std::string_view::npos ? text.size() : newline + 1);
        } else if (text.starts_with('[')) {
            const auto close = text.find(']');
            text.remove_prefix(close == std::string_view::npos ? text.size() : close + 1);
        } else {
            return;
        }
    }
}

// Quoted text, the opening quote already taken. Only the escapes Steam writes are decoded; any
// other backslash stands for itself, so an odd Windows path is kept as written.
TokenKind mfTakeQuoted(std::string_view& text, std::string& out)
{
    bool overLong = false;
    while (!text.empty()) {
        char c = text.front();
        text.remove_prefix(1);
        if (c == '"')
            return TokenKind::Text;
        if (c == '\\' && !text.empty()) {
            constexpr std::string_view kEscaped = "\\\"nt";
            constexpr std::string_view kMeant = "\\\"\n\t";
            if (const auto escape = kEscaped.find(text.front()); escape != std::string_view::npos) {
                c = kMeant[escape];
                text.remove_prefix(1);
            }
        }
        msAddTokenChar(out, overLong, c);
    }
    return TokenKind::Damaged;  // the text ends inside the string
}

// The next token: a quoted or bare string (into `out`), a brace, or the end of the text.
TokenKind mfTakeToken(std::string_view& text, std::string& out)
{
    out.clear();
    msSkipTrivia(text);
    if (text.empty())
        return TokenKind::End;
    const char first = text.front();
    if (first == '{' || first == '}') {
        text.remove_prefix(1);
        return first == '{' ? TokenKind::Open : TokenKind::Close;
    }
    if (first == '"') {
        text.remove_prefix(1);
        return mfTakeQuoted(text, out);
    }
    // A bare string runs to white space, a quote or a brace.
    bool overLong = false;
    while (!text.empty() && !mfblnSpace(text.front()) && text.front() != '"' && text.front() != '{' &&
           text.front() != '}') {
        msAddTokenChar(out, overLong, text.front());
        text.remove_prefix(1);
    }
    return TokenKind::Text;
}

bool mfblnSameKey(std::string_view a, std::string_view b)
{
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [&](char x, char y) { return lower(x) == lower(y); });
}

bool mfblnNumber(std::string_view text)
{
    return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// At most kMaxVdfBytes of a regular file; nothing when it cannot be read.
std::string mfstrReadBounded(const std::string& hostPath)
{
    std::string text;
    struct stat st {};
    const HostFile file = gfOpenRegularHostFile(hostPath, st);
    if (!file.IsOpen())
        return text;
    text.resize(std::min(static_cast<std::size_t>(std::max<off_t>(st.st_size, 0)), kMaxVdfBytes));
    std::size_t have = 0;
    while (have < text.size()) {
        const ssize_t got = ::read(file.Fd(), text.data() + have, text.size() - have);
        if (got > 0)
            have += static_cast<std::size_t>(got);
        else if (got == 0 || errno != EINTR)
            break;
    }
    text.resize(have);
    return text;
}

} // namespace

std::vector<std::string> gfstrLibraryFoldersOf(const std::string& vdfText)
{
    std::vector<std::string> libraries;
    std::string_view text(vdfText);
    if (text.starts_with("\xEF\xBB\xBF"))
        text.remove_prefix(3);
    std::string key;
    std::string value;
    if (mfTakeToken(text, key) != TokenKind::Text || !mfblnSameKey(key, "libraryfolders") ||
        mfTakeToken(text, value) != TokenKind::Open)
        return libraries;
    // Depth 1 is inside "libraryfolders", depth 2 inside one of its entries. The nesting is
    // followed by counting, not by recursion, so a deep text cannot exhaust the stack.
    int depth = 1;
    while (libraries.size() < kMaxLibraries) {
        const TokenKind keyKind = mfTakeToken(text, key);
        if (keyKind == TokenKind::Close) {
            if (--depth == 0)
                break;  // the end of "libraryfolders"; whatever follows is not ours
            continue;
        }
        if (keyKind != TokenKind::Text)
            break;  // the text ends or is damaged inside a block
        const TokenKind valueKind = mfTakeToken(text, value);
        if (valueKind == TokenKind::Open) {
            if (++depth > kMaxDepth)
                break;
            continue;
        }
        if (valueKind != TokenKind::Text)
            break;  // a key without a value
        const bool isPath = (depth == 1 && mfblnNumber(key)) || (depth == 2 && mfblnSameKey(key, "path"));
        if (isPath && !value.empty())
            libraries.push_back(value);
    }
    return libraries;
}

std::vector<std::string> gfstrSteamLibraries()
{
    const std::string home = gfstrHomeFolder();
    std::vector<std::string> libraries;
    // True when `hostPath` is an existing folder not yet listed; it is then listed canonically.
    const auto add = [&](const std::string& hostPath) {
        if (hostPath.empty() || hostPath.front() != '/' || hostPath.find('\0') != std::string::npos)
            return false;  // a relative path would depend on our current folder; a NUL would cut it
        const auto canonical = gfstrCanonicalHost(hostPath);
        if (!canonical || !gfblnIsHostFolder(*canonical) ||
            std::find(libraries.begin(), libraries.end(), *canonical) != libraries.end())
            return false;
        libraries.push_back(*canonical);
        return true;
    };
    constexpr const char* kRoots[] = {".local/share/Steam", ".steam/steam",
                                      ".var/app/com.valvesoftware.Steam/.local/share/Steam"};
    for (const char* root : kRoots) {
        // A root already listed (~/.steam/steam is usually a link to ~/.local/share/Steam) has
        // the same libraryfolders.vdf, so it is read once.
        if (!add(gfstrJoinHost(home, root)))
            continue;
        const std::string vdf = gfstrJoinHost(libraries.back(), "steamapps/libraryfolders.vdf");
        for (const std::string& library : gfstrLibraryFoldersOf(mfstrReadBounded(vdf)))
            add(library);
    }
    return libraries;
}

} // namespace platform::wine
