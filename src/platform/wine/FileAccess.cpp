#include "platform/FileAccess.h"

#include "errors/Failure.h"
#include "platform/Names.h"
#include "platform/PathText.h"
#include "platform/Paths.h"
#include "platform/wine/HostErrors.h"
#include "platform/wine/HostFolder.h"
#include "platform/wine/PathResolve.h"

#include <cerrno>
#include <limits>
#include <memory>
#include <utility>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

using namespace wine;

namespace {

// Output is handed to the host in pieces of this size.
constexpr std::size_t kOutputBufferSize = 64 * 1024;

// Writes all of `bytes`; the host error that stopped it, or 0.
int mfintWriteAll(int fd, std::string_view bytes)
{
    while (!bytes.empty()) {
        const ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        if (written == 0)
            return ENOSPC;  // a write that takes nothing and reports nothing: the disk is full
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return 0;
}

// The folder this thread last opened a found file in, held open: a scan opens the files of one
// folder one after another, and opening a name in an open folder spares the host a walk of the
// folder's whole path for every file. The folder record is kept with it, so that no other
// folder can take its place in memory while the descriptor stands for it.
struct OpenFolder {
    std::shared_ptr<const Folder> Held;
    int Descriptor = -1;
    OpenFolder() = default;
    OpenFolder(const OpenFolder&) = delete;
    OpenFolder& operator=(const OpenFolder&) = delete;
    ~OpenFolder()
    {
        if (Descriptor >= 0)
            ::close(Descriptor);
    }
};

// A descriptor of the found file's folder, or -1 when the host will not open it (the file is
// then opened by its whole path, which reports why).
int mfintFolderDescriptor(const std::shared_ptr<const Folder>& folder)
{
    thread_local OpenFolder open;
    if (open.Held != folder) {
        if (open.Descriptor >= 0)
            ::close(open.Descriptor);
        open.Held = folder;
        open.Descriptor = ::open(folder->Host.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    }
    return open.Descriptor;
}

} // namespace

// ---- InputFile -----------------------------------------------------------------------------

// O_NONBLOCK: opening a named pipe must not wait for a writer. It has no effect on the regular
// files that are all InputFile goes on to read.
constexpr int kInputFlags = O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK;

InputFile::InputFile(std::string_view windowsPath)
{
    gsCheckFileFault(FileOperation::OpenFile, windowsPath);
    Open(gfstrHostPath(windowsPath));
}

InputFile::InputFile(const FoundFile& file)
{
    gsCheckFileFault(FileOperation::OpenFile, file.Path);
    if (!file.In) {
        Open(gfstrHostPath(file.Path));
        return;
    }
    if (!gfblnEntryName(file.Name))
        gsRaise(errBadFileName);
    // The name as the listing gave it is nearly always there; only when it is not (renamed to
    // another case meanwhile, say) is it looked up as a path's last component is.
    const int folder = mfintFolderDescriptor(file.In);
    int fd = -1;
    if (folder >= 0) {
        // Opened without following a link, the entry is the file the listing found, or whatever
        // replaced it since (a folder, a pipe); its kind and length are asked of the host only
        // when a read needs them or fails, which spares a status call for every package.
        fd = ::openat(folder, file.Name.c_str(), kInputFlags | O_NOFOLLOW);
        if (fd >= 0) {
            fd_ = fd;
            return;
        }
        // A link is opened through to what it names, and checked as a path's file is.
        if (errno == ELOOP)
            fd = ::openat(folder, file.Name.c_str(), kInputFlags);
    } else {
        fd = ::open(gfstrJoinHost(file.In->Host, file.Name).c_str(), kInputFlags);
    }
    if (fd >= 0) {
        Take(fd);
        return;
    }
    if (errno != ENOENT)
        gsRaisePathError(errno, PathPart::Last);
    Open(gfstrHostChild(file.In->Host, file.Name, PathUse::Existing));
}

void InputFile::Open(const std::string& hostPath)
{
    const int fd = ::open(hostPath.c_str(), kInputFlags);
    if (fd < 0)
        gsRaisePathError(errno, PathPart::Last);
    Take(fd);
}

void InputFile::Take(int fd)
{
    fd_ = fd;
    try {
        Size();
    } catch (...) {
        ::close(std::exchange(fd_, -1));  // the constructor fails: no destructor will close it
        throw;
    }
}

std::int64_t InputFile::Size() const
{
    if (size_ >= 0)
        return size_;
    if (fd_ < 0)
        gsRaise(errBadFileName);
    struct stat st {};
    if (::fstat(fd_, &st) != 0)
        gsRaisePathError(errno, PathPart::Last);
    if (!S_ISREG(st.st_mode))
        gsRaise(errPathFileAccess);  // a folder (or device, or pipe) where a file was expected
    size_ = static_cast<std::int64_t>(st.st_size);
    return size_;
}

InputFile::~InputFile()
{
    if (fd_ >= 0)
        ::close(fd_);
}

void InputFile::ReadAt(std::int64_t offset, std::span<char> buffer)
{
    if (offset < 0)
        gsRaise(errBadRecord);
    if (fd_ < 0)
        gsRaise(errBadFileName);
    // Where the length is known, the whole span is checked against it before anything is read,
    // so a short file fails the same way wherever it ends, and no count from the file's own
    // bytes can make this read past what the file holds. Where it is not yet known, the read
    // itself meets the end; callers ask for the length before they allocate for a large read.
    if (buffer.empty())
        Size();  // a read of nothing reads no end to meet: the length decides
    if (size_ >= 0 && (offset > size_ || buffer.size() > static_cast<std::uint64_t>(size_ - offset)))
        gsRaise(errPastEnd);

    std::size_t done = 0;
    while (done < buffer.size()) {
        const ssize_t got = ::pread(fd_, buffer.data() + done, buffer.size() - done,
                                    static_cast<off_t>(offset + static_cast<std::int64_t>(done)));
        if (got > 0) {
            done += static_cast<std::size_t>(got);
        } else if (got == 0) {
            Size();  // a device that reads as empty is no file: 75 rather than 62
            gsRaise(errPastEnd);  // the file ends first, or was cut short after it was opened
        } else if (errno != EINTR) {
            // A folder (EISDIR) or a pipe (ESPIPE) in the file's place: 75, as its kind says.
            const int error = errno;
            Size();
            if (error == EINVAL)
                gsRaise(errPastEnd);  // an offset past any a regular file can hold
            gsRaisePathError(error, PathPart::Last);
        }
    }
}

std::string InputFile::ReadAll()
{
    std::string all(static_cast<std::size_t>(Size()), '\0');
    ReadAt(0, all);
    return all;
}

// ---- OutputFile ----------------------------------------------------------------------------

OutputFile::OutputFile(std::string_view windowsPath)
{
    target_ = gfstrHostPath(windowsPath, PathUse::ToCreate);
    struct stat st {};
    if (::lstat(target_.c_str(), &st) == 0) {
        if (!S_ISREG(st.st_mode))
            gsRaise(errPathFileAccess);  // a folder, link, pipe or device where the file should be
        // A read-only file is not replaced, as on Windows (the owner could write it on the host).
        if ((st.st_mode & S_IWUSR) == 0)
            gsRaise(errPermission);
    }
    for (unsigned attempt = 0;; ++attempt) {
        temporary_ = gfstrReplacementPath(target_, target_.rfind('/') + 1, static_cast<unsigned long>(::getpid()), attempt);
        const int fd = ::open(temporary_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC | O_NOCTTY, 0666);
        if (fd >= 0) {
            fd_ = fd;
            return;
        }
        if (errno != EEXIST || attempt + 1 == kReplacementAttempts)
            gsRaisePathError(errno, PathPart::Last);
    }
}

void OutputFile::Discard() noexcept
{
    if (fd_ >= 0)
        ::close(std::exchange(fd_, -1));
    if (!temporary_.empty())
        ::unlink(temporary_.c_str());
    temporary_.clear();
}

OutputFile::~OutputFile() { Discard(); }

void OutputFile::Write(std::string_view bytes)
{
    if (fd_ < 0)
        gsRaise(errBadFileName);
    if (buffer_.size() + bytes.size() < kOutputBufferSize) {
        buffer_ += bytes;
        return;
    }
    // A piece that fills the buffer follows what the buffer holds to the host, uncopied.
    int error = mfintWriteAll(fd_, buffer_);
    buffer_.clear();
    if (error == 0)
        error = mfintWriteAll(fd_, bytes);
    if (error != 0)
        gsRaisePathError(error, PathPart::Last);
}

void OutputFile::Close()
{
    if (fd_ < 0)
        return;
    const int fd = std::exchange(fd_, -1);
    int error = mfintWriteAll(fd, buffer_);
    buffer_.clear();
    // close() reports the failure of a write that a network or full file system deferred.
    if (::close(fd) != 0 && error == 0 && errno != EINTR)
        error = errno;
    // The rename replaces whatever entry stands at the file's name by then, a link included,
    // without following it.
    if (error == 0 && ::rename(temporary_.c_str(), target_.c_str()) != 0)
        error = errno;
    if (error != 0) {
        Discard();
        gsRaisePathError(error, PathPart::Last);
    }
    temporary_.clear();
}

} // namespace platform
