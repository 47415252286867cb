#include "DataFile.h"

#include <cerrno>
#include <cstdio>
#include <ctime>
#include <string>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

int Fd(std::intptr_t handle)
{
    return static_cast<int>(handle);
}

// Open-file-description locks belong to the open file, not to the process,
// so they also keep apart two opens made by this same program. They are
// only ever tried, never waited for.
bool TryLock(int fd, short type)
{
    struct flock lock = {};
    lock.l_type = type;
    lock.l_whence = SEEK_SET;
    lock.l_start = 0;
    lock.l_len = 0;
    return fcntl(fd, F_OFD_SETLK, &lock) == 0;
}

int OpenRetrying(const char* path, int flags, mode_t mode = 0)
{
    int fd = -1;
    do
        fd = open(path, flags | O_CLOEXEC | O_NOCTTY, mode);
    while (fd < 0 && errno == EINTR);
    return fd;
}

// Root may write any file, so read-only means no write permission bit set.
bool IsReadOnly(const struct stat& st)
{
    return (st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0;
}

// Opens for reading without following a link in the last step and without
// waiting, then makes sure a regular file was opened and, when `expected` is
// given, that it is still the file examined before. -1 on any failure.
int OpenRegularForReading(const char* path, const struct stat* expected, struct stat& st)
{
    const int fd = OpenRetrying(path, O_RDONLY | O_NONBLOCK | O_NOFOLLOW);
    if (fd < 0)
        return -1;
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)
        || (expected && (st.st_dev != expected->st_dev || st.st_ino != expected->st_ino))) {
        close(fd);
        return -1;
    }
    return fd;
}

bool SameFile(const struct stat& a, const struct stat& b)
{
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

} // namespace

DataFile::~DataFile()
{
    Close();
}

bool DataFile::OpenForReading(const std::filesystem::path& file)
{
    Close();
    // A pipe, a device, a folder or a link planted under the name is never
    // read, and the size is known before the first byte comes in.
    struct stat st = {};
    const int fd = OpenRegularForReading(file.c_str(), nullptr, st);
    if (fd < 0)
        return false;
    handle_ = fd;
    if (st.st_nlink != 1 || static_cast<std::uint64_t>(st.st_size) > kMaxReadBytes || !TryLock(fd, F_RDLCK)) {
        Close();
        return false;
    }
    size_ = static_cast<std::uint64_t>(st.st_size);
    return true;
}

bool DataFile::ReadSome(char* data, std::size_t want, std::size_t& got)
{
    ssize_t n = -1;
    do
        n = read(Fd(handle_), data, want);
    while (n < 0 && errno == EINTR);
    if (n < 0)
        return false;
    got = static_cast<std::size_t>(n);
    return true;
}

bool DataFile::CreateForWriting(const std::filesystem::path& file)
{
    Close();
    // Exclusive creation fails on any name already taken, a link included,
    // so nothing outside the folder is ever written through a planted name.
    const int fd = OpenRetrying(file.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW, 0600);
    if (fd < 0)
        return false;
    handle_ = fd;
    created_ = file;
    // Nobody else may write into it before it is in place: MoveOver opens it
    // to the group only once the name holds it.
    if (fchmod(fd, 0600) != 0 || !TryLock(fd, F_WRLCK)) {
        Close();
        unlink(file.c_str());
        return false;
    }
    return true;
}

bool DataFile::Write(std::string_view bytes)
{
    if (!IsOpen())
        return false;
    while (!bytes.empty()) {
        const ssize_t n = write(Fd(handle_), bytes.data(), bytes.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

bool DataFile::Flush()
{
    return IsOpen() && fsync(Fd(handle_)) == 0;
}

bool DataFile::MoveOver(const std::filesystem::path& target, std::span<const std::filesystem::path> replaced,
                        const FolderSync& syncFolder)
{
    const std::filesystem::path folder = target.parent_path();
    const int dirFd = IsOpen() && !created_.empty() ? OpenRetrying(folder.c_str(), O_RDONLY | O_DIRECTORY) : -1;
    if (dirFd < 0) {
        Close();
        return false;
    }
    // Each file about to disappear is held with a read lock until the move is
    // done, so no writer can start on it; one that another program writes
    // (holds a write lock on) stops the save. Readers do not: the rename
    // leaves them reading the old file. It is opened for reading only: the
    // file of another member of the group is not ours to write, only the
    // folder is.
    std::vector<int> held;
    bool ok = true;
    for (const auto& file : replaced) {
        struct stat st = {};
        if (lstat(file.c_str(), &st) != 0) {
            if (errno == ENOENT)
                continue;
            ok = false;
            break;
        }
        if (!S_ISREG(st.st_mode) || IsReadOnly(st)) {
            ok = false;
            break;
        }
        struct stat opened = {};
        const int fd = OpenRegularForReading(file.c_str(), &st, opened);
        if (fd < 0) {
            ok = false;
            break;
        }
        held.push_back(fd);
        if (!TryLock(fd, F_RDLCK)) {
            ok = false;
            break;
        }
    }

    // Exchanging the two names keeps the old file at hand until the new one
    // is known to be in place and on disk, so a failure can put it back.
    const std::string temp = created_.filename().native();
    const std::string name = target.filename().native();
    bool exchanged = false;
    bool first = false; // nothing was under the name: a failure takes the new file away again
    bool moved = false;
    if (ok) {
        if (renameat2(dirFd, temp.c_str(), dirFd, name.c_str(), RENAME_EXCHANGE) == 0) {
            exchanged = true;
        } else if (errno == ENOENT) {
            first = renameat2(dirFd, temp.c_str(), dirFd, name.c_str(), RENAME_NOREPLACE) == 0;
        } else if (errno == EINVAL) {
            // A file system that cannot exchange: a plain replace, which a
            // failure after it cannot undo.
            moved = renameat(dirFd, temp.c_str(), dirFd, name.c_str()) == 0;
        }
        ok = exchanged || first || moved;
    }
    // Members may rename each other's entries: the name must hold the very
    // file written here, not one put under the temporary name before the move.
    if (ok) {
        struct stat mine = {};
        struct stat named = {};
        ok = fstat(Fd(handle_), &mine) == 0 && fstatat(dirFd, name.c_str(), &named, AT_SYMLINK_NOFOLLOW) == 0
             && SameFile(mine, named) && fchmod(Fd(handle_), 0664) == 0 && syncFolder(folder);
    }
    if (!ok && exchanged)
        renameat2(dirFd, temp.c_str(), dirFd, name.c_str(), RENAME_EXCHANGE);
    else if (!ok && first)
        renameat(dirFd, name.c_str(), dirFd, temp.c_str());
    else if (ok && exchanged)
        unlinkat(dirFd, temp.c_str(), 0); // the old file, now under the temporary name
    for (const int fd : held)
        close(fd);
    close(dirFd);
    Close();
    return ok;
}

bool DataFile::SyncFolder(const std::filesystem::path& folder)
{
    const int fd = OpenRetrying(folder.c_str(), O_RDONLY | O_DIRECTORY);
    if (fd < 0)
        return false;
    const bool ok = fsync(fd) == 0;
    close(fd);
    return ok;
}

void DataFile::Close()
{
    if (IsOpen())
        close(Fd(handle_));
    handle_ = kClosed;
    created_.clear();
    size_ = 0;
    readSoFar_ = 0;
}

void DataFile::RemoveIfUnused(const std::filesystem::path& file)
{
    // Only a regular file can be a leftover of ours; a link or anything else
    // under such a name is left alone, and nothing is opened for writing.
    struct stat st = {};
    if (lstat(file.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
        return;
    struct stat opened = {};
    const int fd = OpenRegularForReading(file.c_str(), &st, opened);
    if (fd < 0) {
        // Another member's save keeps its file private until it is in place,
        // and a save takes a moment: one left unwritten this long is over.
        if (st.st_uid != geteuid() && std::time(nullptr) - st.st_mtime > kLeftoverAgeSeconds)
            unlink(file.c_str());
        return;
    }
    // A writer's lock keeps ours out; a reader's does not protect a leftover.
    if (TryLock(fd, F_RDLCK))
        unlink(file.c_str());
    close(fd);
}
