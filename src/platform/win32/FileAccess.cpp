#include "platform/FileAccess.h"

#include "errors/Failure.h"
#include "platform/Names.h"
#include "platform/PathText.h"
#include "platform/win32/HostErrors.h"
#include "platform/win32/HostPath.h"

#include <algorithm>
#include <string>
#include <utility>

#include <windows.h>

// The header's descriptor is an int: a handle is kept in it by HandleToLong, whose value a
// 64-bit process's handles fit (Windows keeps their upper 32 bits meaningless so that 32-bit
// and 64-bit processes can share them). INVALID_HANDLE_VALUE is -1 there, as no file is.

namespace platform {

using namespace win32;

namespace {

// Output is handed to the host in pieces of this size.
constexpr std::size_t kOutputBufferSize = 64 * 1024;

// The most one ReadFile or WriteFile call is given (their counts are 32-bit).
constexpr std::size_t kMaxTransfer = std::size_t{1} << 30;

// Other programs may read, write, rename or delete a file while the program has it open: a
// scan must not stop the game or a download manager from replacing a package.
constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

HANDLE mhndHandle(int fd) { return LongToHandle(fd); }

[[noreturn]] void msCloseAndRaise(HANDLE handle, std::int32_t number)
{
    ::CloseHandle(handle);
    gsRaise(number);
}

// Why a file could not be opened. A folder where a file is expected is refused by CreateFileW
// as "access denied"; it is 75, as on every host.
[[noreturn]] void msRaiseOpenError(const std::wstring& path)
{
    const DWORD error = ::GetLastError();
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
        gsRaise(errPathFileAccess);
    gsRaiseHostError(error);
}

// A handle that is no file on a disk (a device such as CON or NUL, a pipe) is 75: it is no
// file the program can read or write to the end.
void msCheckDiskFile(HANDLE handle)
{
    if (::GetFileType(handle) != FILE_TYPE_DISK)
        msCloseAndRaise(handle, errPathFileAccess);
}

// Writes all of `bytes`; the host error that stopped it, or 0.
DWORD mflngWriteAll(HANDLE handle, std::string_view bytes)
{
    while (!bytes.empty()) {
        DWORD written = 0;
        const auto piece = static_cast<DWORD>(std::min(bytes.size(), kMaxTransfer));
        if (!::WriteFile(handle, bytes.data(), piece, &written, nullptr))
            return ::GetLastError();
        if (written == 0)
            return ERROR_DISK_FULL;  // a write that takes nothing and reports nothing: the disk is full
        bytes.remove_prefix(written);
    }
    return 0;
}

} // namespace

// ---- InputFile -----------------------------------------------------------------------------

InputFile::InputFile(std::string_view windowsPath)
{
    gsCheckFileFault(FileOperation::OpenFile, windowsPath);
    // CreateFileW tells a missing file (53) from a missing folder on the way (76) by itself:
    // the path needs no look of its own first.
    Open(std::string(windowsPath));
}

InputFile::InputFile(const FoundFile& file)
{
    gsCheckFileFault(FileOperation::OpenFile, file.Path);
    if (!file.In) {
        Open(file.Path);
        return;
    }
    if (!gfblnEntryName(file.Name))
        gsRaise(errBadFileName);
    Open(gfstrJoinHost(file.In->Host, file.Name));
}

void InputFile::Open(const std::string& hostPath)
{
    const std::wstring path = gfstrWidePath(hostPath);
    const HANDLE handle =
        ::CreateFileW(path.c_str(), GENERIC_READ, kShareAll, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        msRaiseOpenError(path);
    Take(HandleToLong(handle));
}

void InputFile::Take(int fd)
{
    const HANDLE handle = mhndHandle(fd);
    msCheckDiskFile(handle);
    LARGE_INTEGER size{};
    if (!::GetFileSizeEx(handle, &size)) {
        const DWORD error = ::GetLastError();
        msCloseAndRaise(handle, gflngHostErrorNumber(error, PathPart::Last));
    }
    fd_ = fd;
    size_ = size.QuadPart;
}

InputFile::~InputFile()
{
    if (fd_ != -1)
        ::CloseHandle(mhndHandle(fd_));
}

std::int64_t InputFile::Size() const { return size_; }

void InputFile::ReadAt(std::int64_t offset, std::span<char> buffer)
{
    if (offset < 0)
        gsRaise(errBadRecord);
    if (fd_ == -1)
        gsRaise(errBadFileName);
    // The whole span is checked against the size before anything is read, so a short file
    // fails the same way wherever it ends, and no count from the file's own bytes can make
    // this read past what the file holds.
    if (offset > size_ || buffer.size() > static_cast<std::uint64_t>(size_ - offset))
        gsRaise(errPastEnd);

    std::size_t done = 0;
    while (done < buffer.size()) {
        // The offset goes with each read: the handle's own position is never relied on.
        const auto at = static_cast<std::uint64_t>(offset) + done;
        OVERLAPPED position{};
        position.Offset = static_cast<DWORD>(at & 0xFFFFFFFFu);
        position.OffsetHigh = static_cast<DWORD>(at >> 32);
        const auto piece = static_cast<DWORD>(std::min(buffer.size() - done, kMaxTransfer));
        DWORD got = 0;
        if (!::ReadFile(mhndHandle(fd_), buffer.data() + done, piece, &got, &position)) {
            const DWORD error = ::GetLastError();
            if (error == ERROR_HANDLE_EOF)
                gsRaise(errPastEnd);  // the file was cut short after it was opened
            gsRaiseHostError(error);
        }
        if (got == 0)
            gsRaise(errPastEnd);
        done += got;
    }
}

std::string InputFile::ReadAll()
{
    std::string all(static_cast<std::size_t>(size_), '\0');
    ReadAt(0, all);
    return all;
}

// ---- OutputFile ----------------------------------------------------------------------------

OutputFile::OutputFile(std::string_view windowsPath)
{
    target_ = std::string(windowsPath);
    const std::wstring path = gfstrWidePath(windowsPath);
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES) {
        // A folder, or a link of any kind, where the file should be is no file to replace.
        if ((attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) != 0)
            gsRaise(errPathFileAccess);
        // A read-only file is not replaced. MoveFileExW refuses it too, but not for an
        // administrator on every file system (a share, Wine's as root): the attribute decides here.
        if ((attributes & FILE_ATTRIBUTE_READONLY) != 0)
            gsRaise(errPermission);
    }
    for (unsigned attempt = 0;; ++attempt) {
        const std::size_t separator = gflngLastSeparator(windowsPath);
        temporary_ = gfstrReplacementPath(windowsPath, separator == std::string_view::npos ? 0 : separator + 1,
                                          ::GetCurrentProcessId(), attempt);
        const std::wstring wide = gfstrWidePath(temporary_);
        const HANDLE handle = ::CreateFileW(wide.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (handle != INVALID_HANDLE_VALUE) {
            fd_ = HandleToLong(handle);
            msCheckDiskFile(handle);
            return;
        }
        const DWORD error = ::GetLastError();
        if ((error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) || attempt + 1 == kReplacementAttempts) {
            temporary_.clear();
            gsRaiseHostError(error);
        }
    }
}

void OutputFile::Discard() noexcept
{
    if (fd_ != -1)
        ::CloseHandle(mhndHandle(std::exchange(fd_, -1)));
    if (!temporary_.empty())
        ::DeleteFileW(gfstrWidePath(temporary_).c_str());
    temporary_.clear();
}

OutputFile::~OutputFile() { Discard(); }

void OutputFile::Write(std::string_view bytes)
{
    if (fd_ == -1)
        gsRaise(errBadFileName);
    if (buffer_.size() + bytes.size() < kOutputBufferSize) {
        buffer_ += bytes;
        return;
    }
    // A piece that fills the buffer follows what the buffer holds to the host, uncopied.
    DWORD error = mflngWriteAll(mhndHandle(fd_), buffer_);
    buffer_.clear();
    if (error == 0)
        error = mflngWriteAll(mhndHandle(fd_), bytes);
    if (error != 0)
        gsRaiseHostError(error);
}

void OutputFile::Close()
{
    if (fd_ == -1)
        return;
    const HANDLE handle = mhndHandle(std::exchange(fd_, -1));
    DWORD error = mflngWriteAll(handle, buffer_);
    buffer_.clear();
    // Closing reports the failure of a write that a network share deferred.
    if (!::CloseHandle(handle) && error == 0)
        error = ::GetLastError();
    if (error == 0 && !::MoveFileExW(gfstrWidePath(temporary_).c_str(), gfstrWidePath(target_).c_str(),
                                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        error = ::GetLastError();
    if (error != 0) {
        Discard();
        gsRaiseHostError(error);
    }
    temporary_.clear();
}

} // namespace platform
