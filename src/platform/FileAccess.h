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

    // The file's length in bytes, as it stood when it was opened.
    std::int64_t Size() const noexcept { return size_; }

    // Fills the whole buffer from the given offset with one read: 63 "Bad record number" for a
    // negative offset, 62 "Input past end of file" when the file ends first (nothing is read).
    void ReadAt(std::int64_t offset, std::span<char> buffer);

    // Every byte of the file; the allocation is the file's own size.
    std::string ReadAll();

private:
    void Open(const std::string& hostPath);  // opens a host path as this file
    void Take(int fd);                        // keeps an open descriptor of a regular file

    int fd_ = -1;
    std::int64_t size_ = 0;
};

// A file created (or truncated) for writing; closed by Close() or the destructor.
class OutputFile {
public:
    explicit OutputFile(std::string_view windowsPath);
    ~OutputFile();
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    void Write(std::string_view bytes);
    // Flushes and closes, raising the failure of a write that could not complete (61, 57).
    void Close();

private:
    int fd_ = -1;
    std::string buffer_;
};

} // namespace platform
