#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <span>
#include <string_view>

#include "SettingsResult.h"

// The one handle through which the settings file is read and written.
// Sharing follows the reminder program's expectations: while a writer has a
// file open nobody else can read or replace it; readers do not block each
// other. Where the platform lets a file be replaced under its readers (they
// keep the old one), a reader does not stop a save either: otherwise anyone
// who may read the file could keep everybody from saving. Nothing ever waits
// for another program: a conflict makes the call fail at once. Each
// failure says what went wrong (SettingsResult).
class DataFile
{
public:
    DataFile() = default;
    ~DataFile();
    DataFile(const DataFile&) = delete;
    DataFile& operator=(const DataFile&) = delete;

    // The largest file that is ever read. Eight short lines take a few dozen
    // bytes; the limit only keeps a planted huge or endless file from taking
    // the program's memory, and sits far above any real settings file.
    static constexpr std::uint64_t kMaxReadBytes = std::uint64_t{16} * 1024 * 1024;

    bool IsOpen() const { return handle_ != kClosed; }

    // Opens an existing file for reading. Only a regular file with a single
    // name, reached without following a symbolic link and no larger than
    // kMaxReadBytes is opened (a hard link may lead to anybody's private file);
    // the open itself never waits (a pipe or a device under the name fails).
    SettingsResult OpenForReading(const std::filesystem::path& file);
    // The size of the file open for reading, as it was when opened.
    std::uint64_t Size() const { return size_; }
    // Reads up to buffer.size() bytes; `got` is 0 at the end of the file.
    // Fails once more than kMaxReadBytes have come in, even from a file that
    // grew after it was opened.
    SettingsResult Read(std::span<char> buffer, std::size_t& got);

    // Creates a new file for writing, open to its owner alone until MoveOver
    // has put it in place; fails if the name is taken, symbolic links included.
    SettingsResult CreateForWriting(const std::filesystem::path& file);
    SettingsResult Write(std::string_view bytes);
    // Returns once what was written is on the disk itself.
    SettingsResult Flush();
    // The points a move passes once it has put the new file under the name,
    // in this order; tests act there as another program would.
    enum class MovePoint
    {
        Exchanged,     // the new file has just been put under the name
        ModeChanged,   // it has been opened to the group
        FolderFlushed, // the folder is on the disk
        OldRemoved,    // the old file is gone: only the last look is left
    };
    struct MoveSteps
    {
        // Puts the folder's entries on the disk.
        std::function<SettingsResult(const std::filesystem::path& folder)> syncFolder;
        // Told of each point passed; may be empty.
        std::function<void(MovePoint)> passed;
    };
    // Puts the file made by CreateForWriting in place of `target` in one
    // step, so that a reader finds either the old file or the new one, whole.
    // Fails and changes nothing when one of `replaced` (the existing files the
    // move does away with) is read-only, in use by another program, or not a
    // regular file (a link, a folder, a pipe); a file with other names is
    // replaced like any other (its content stays under them). The new file is
    // then made readable by all and writable by its owner and group, the
    // folder put on disk, and the old file removed; a failure up to there
    // puts the old file back where that is still possible. Only the last
    // look confirms the move: the name must still hold the very file written
    // here. Each failure names its step. The handle is closed either way.
    SettingsResult MoveOver(const std::filesystem::path& target, std::span<const std::filesystem::path> replaced,
                            const MoveSteps& steps);
    // Puts a folder's entries on the disk itself.
    static SettingsResult SyncFolder(const std::filesystem::path& folder);

    // Never fails: a failure to close has nothing left to protect.
    void Close();

    // Deletes a temporary file that an interrupted save left behind, unless
    // a writer still has it open or it is not a regular file. It is never
    // opened for writing. Another user's, which cannot be opened to ask, is
    // deleted once it has not been written for kLeftoverAgeSeconds.
    static constexpr std::int64_t kLeftoverAgeSeconds = 60;
    static void RemoveIfUnused(const std::filesystem::path& file);

private:
    // One read of at most `want` bytes from the open file, retried when
    // interrupted; `got` is 0 at its end.
    SettingsResult ReadSome(char* data, std::size_t want, std::size_t& got);
    // Gives an open descriptor or handle back to the system.
    static void CloseNative(std::intptr_t handle);

    // A POSIX descriptor or a Windows HANDLE; -1 is closed for both.
    static constexpr std::intptr_t kClosed = -1;
    std::filesystem::path opened_; // for the causes of failures
    std::intptr_t handle_ = kClosed;
    std::filesystem::path created_;
    std::uint64_t size_ = 0;
    std::uint64_t readSoFar_ = 0;
};
