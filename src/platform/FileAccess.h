#pragma once
// File access by Windows-form path. Every operation raises a Failure with the error numbers
// of errors/Failure.h.

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "platform/Folders.h"

namespace platform {

// A file opened for reading. Open failures: 53 file missing, 76 a folder on the way missing,
// 52 unusable name, 70 refused, 75 a folder where a file was expected.
class InputFile {
public:
    explicit InputFile(std::string_view windowsPath);
    // The file a folder walk found: opened in its folder by its name, as its path would open it,
    // without looking the folder up again.
    explicit InputFile(const FoundFile& file);
    ~InputFile();
    InputFile(const InputFile&) = delete;
    InputFile& operator=(const InputFile&) = delete;

    // The file's length in bytes. A found file is opened without asking the host for its length
    // (a scan reads tens of thousands of files whose reads already stop at their end): the host
    // is asked on first use, and a file that turns out not to be a regular file raises 75 then.
    std::int64_t Size() const;

    // Fills the whole buffer from the given offset: 63 "Bad record number" for a negative
    // offset, 62 "Input past end of file" when the file ends first.
    void ReadAt(std::int64_t offset, std::span<char> buffer);

    // Every byte of the file; the allocation is the file's own size.
    std::string ReadAll();

private:
    void Open(const std::string& hostPath);  // opens a host path as this file
    void Take(int fd);                        // keeps an open descriptor of a regular file

    int fd_ = -1;
    mutable std::int64_t size_ = -1;  // -1 until known (a host without lazy sizes sets it at once)
};

// A file written whole: the bytes go to a new file of a name of its own beside it, which
// Close() renames over the file, so that a reader (another run of the program, say) sees the
// old file or the new one, never a part of either, and a write that fails leaves the old file
// as it was. The file itself is never opened: a link or a named pipe planted in its place is
// never followed or waited on. An existing entry that is not a regular file (a folder, a link,
// a pipe, a device) is refused with 75, a read-only file with 70, at once.
class OutputFile {
public:
    explicit OutputFile(std::string_view windowsPath);
    // Without Close(), the new file is removed and the old one stays.
    ~OutputFile();
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    void Write(std::string_view bytes);
    // Flushes, closes and puts the new file in place of the old, raising the failure of a
    // write that could not complete (61, 57) or of the replacement.
    void Close();

private:
    void Discard() noexcept;  // closes and removes the new file

    int fd_ = -1;
    std::string buffer_;
    std::string target_;     // the file, as the host names it
    std::string temporary_;  // the new file beside it, as the host names it
};

} // namespace platform
