#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <span>
#include <string_view>

// The one handle through which the settings file is read and written.
// Sharing follows the reminder program's expectations: while a writer has a
// file open nobody else can read or replace it, and a file being read cannot
// be replaced; readers do not block each other. Nothing ever waits for
// another program: a conflict makes the call fail at once.
class DataFile
{
public:
    DataFile() = default;
    ~DataFile();
    DataFile(const DataFile&) = delete;
    DataFile& operator=(const DataFile&) = delete;

    bool IsOpen() const { return handle_ != kClosed; }

    // Opens an existing file for reading.
    bool OpenForReading(const std::filesystem::path& file);
    // Reads up to buffer.size() bytes; `got` is 0 at the end of the file.
    bool Read(std::span<char> buffer, std::size_t& got);

    // Creates a new file for writing; fails if the name is taken.
    bool CreateForWriting(const std::filesystem::path& file);
    bool Write(std::string_view bytes);
    // Returns once what was written is on the disk itself.
    bool Flush();
    // Puts the file made by CreateForWriting in place of `target` in one
    // step, so that a reader finds either the old file or the new one, whole.
    // Fails and changes nothing when one of `replaced` (the existing files the
    // move does away with) is read-only or in use by another program. The
    // handle is closed either way.
    bool MoveOver(const std::filesystem::path& target,
                  std::span<const std::filesystem::path> replaced);

    // Never fails: a failure to close has nothing left to protect.
    void Close();

    // Deletes a temporary file that an interrupted save left behind, unless
    // a writer still has it open.
    static void RemoveIfUnused(const std::filesystem::path& file);

private:
    // A POSIX descriptor or a Windows HANDLE; -1 is closed for both.
    static constexpr std::intptr_t kClosed = -1;
    std::intptr_t handle_ = kClosed;
    std::filesystem::path created_;
};
