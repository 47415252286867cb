#include "DataFile.h"

#include <cerrno>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

int Fd(std::intptr_t handle) { return static_cast<int>(handle); }

// Open-file-description locks belong to the open file, not to the process,
// so they also keep apart two opens made by this same program. They are
// only ever tried, never waited for.
bool TryLock(int fd, short type)
{
    struct flock lock{};
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

// The new file keeps the old one's owner and permissions, so the reminder
// program can still read it after a save made as root. The file was flushed
// before it came here; it is flushed again only when this changed it, which a
// save by the file's own user with its usual permissions does not.
void TakeOwnerAndMode(int fd, const struct stat& old)
{
    struct stat now{};
    if (fstat(fd, &now) != 0)
        return;
    bool changed = false;
    if (now.st_uid != old.st_uid || now.st_gid != old.st_gid) {
        // Not allowed to give it away: it stays ours, still readable.
        changed |= fchown(fd, old.st_uid, old.st_gid) == 0;
    }
    if ((now.st_mode & 07777) != (old.st_mode & 07777))
        changed |= fchmod(fd, old.st_mode & 07777) == 0;
    if (changed)
        fsync(fd);
}

void SyncDirectory(const std::filesystem::path& dir)
{
    const int fd = OpenRetrying(dir.c_str(), O_RDONLY | O_DIRECTORY);
    if (fd < 0)
        return;
    fsync(fd);
    close(fd);
}

}

DataFile::~DataFile()
{
    Close();
}

bool DataFile::OpenForReading(const std::filesystem::path& file)
{
    Close();
    const int fd = OpenRetrying(file.c_str(), O_RDONLY);
    if (fd < 0)
        return false;
    handle_ = fd;
    if (!TryLock(fd, F_RDLCK)) {
        Close();
        return false;
    }
    return true;
}

bool DataFile::Read(std::span<char> buffer, std::size_t& got)
{
    got = 0;
    if (!IsOpen())
        return false;
    ssize_t n = -1;
    do
        n = read(Fd(handle_), buffer.data(), buffer.size());
    while (n < 0 && errno == EINTR);
    if (n < 0)
        return false;
    got = static_cast<std::size_t>(n);
    return true;
}

bool DataFile::CreateForWriting(const std::filesystem::path& file)
{
    Close();
    const int fd = OpenRetrying(file.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0666);
    if (fd < 0)
        return false;
    handle_ = fd;
    created_ = file;
    if (!TryLock(fd, F_WRLCK)) {
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

bool DataFile::MoveOver(const std::filesystem::path& target,
                        std::span<const std::filesystem::path> replaced)
{
    if (!IsOpen() || created_.empty()) {
        Close();
        return false;
    }
    // Each file about to disappear is held with a write lock until the move
    // is done, so no reader or writer can be cut off in the middle.
    std::vector<int> held;
    auto release = [&held] {
        for (const int fd : held)
            close(fd);
    };
    bool ok = true;
    for (const auto& file : replaced) {
        struct stat st{};
        if (stat(file.c_str(), &st) != 0) {
            if (errno == ENOENT)
                continue;
            ok = false;
            break;
        }
        if (!S_ISREG(st.st_mode) || IsReadOnly(st)) {
            ok = false;
            break;
        }
        const int fd = OpenRetrying(file.c_str(), O_WRONLY | O_NONBLOCK);
        if (fd < 0) {
            ok = false;
            break;
        }
        held.push_back(fd);
        if (!TryLock(fd, F_WRLCK)) {
            ok = false;
            break;
        }
        if (held.size() == 1)
            TakeOwnerAndMode(Fd(handle_), st);
    }
    if (ok)
        ok = rename(created_.c_str(), target.c_str()) == 0;
    if (ok)
        SyncDirectory(target.parent_path());
    release();
    Close();
    return ok;
}

void DataFile::Close()
{
    if (IsOpen())
        close(Fd(handle_));
    handle_ = kClosed;
    created_.clear();
}

void DataFile::RemoveIfUnused(const std::filesystem::path& file)
{
    const int fd = OpenRetrying(file.c_str(), O_WRONLY | O_NONBLOCK);
    if (fd < 0)
        return;
    if (TryLock(fd, F_WRLCK))
        unlink(file.c_str());
    close(fd);
}
