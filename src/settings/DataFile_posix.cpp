#include "DataFile.h"

#include <cerrno>
#include <cstdio>
#include <ctime>
#include <string>
#include <vector>

#include <fcntl.h>
#include <grp.h>
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

SettingsResult Errno(const std::filesystem::path& where)
{
    return SettingsResult::FromSystem(errno, where);
}

bool SameFile(const struct stat& a, const struct stat& b)
{
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// Opens for reading without following a link in the last step and without
// waiting, then makes sure a regular file was opened and, when `expected` is
// given, that it is still the file examined before. -1 on any failure,
// whose cause goes to `result`.
int OpenRegularForReading(const std::filesystem::path& path, const struct stat* expected, struct stat& st,
                          SettingsResult& result)
{
    const int fd = OpenRetrying(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOFOLLOW);
    if (fd < 0) {
        result = Errno(path);
        return -1;
    }
    if (fstat(fd, &st) != 0)
        result = Errno(path);
    else if (!S_ISREG(st.st_mode))
        result = SettingsResult::Failed(SettingsFailure::NotAPlainFile, path);
    else if (expected && !SameFile(st, *expected))
        result = SettingsResult::Failed(SettingsFailure::ChangedMeanwhile, path);
    else
        return fd;
    close(fd);
    return -1;
}

// A lock another open holds: the file is in use, whatever errno says.
SettingsResult Locked(const std::filesystem::path& path)
{
    return SettingsResult::Failed(SettingsFailure::InUse, path, std::error_code(errno, std::system_category()));
}

} // namespace

SettingsResult SettingsResult::FromSystem(int error, const std::filesystem::path& where)
{
    SettingsFailure failure = SettingsFailure::SystemError;
    switch (error) {
    case ENOENT: failure = SettingsFailure::NoFile; break;
    case ENOTDIR: failure = SettingsFailure::NoFolder; break;
    case EACCES:
    case EPERM: failure = SettingsFailure::NotPermitted; break;
    case EROFS: failure = SettingsFailure::ReadOnlyFileSystem; break;
    case ENOSPC:
    case EDQUOT: failure = SettingsFailure::DiskFull; break;
    case ELOOP: // O_NOFOLLOW met a symbolic link
    case EISDIR:
    case ENXIO: failure = SettingsFailure::NotAPlainFile; break;
    case ENOMEM: failure = SettingsFailure::NoMemory; break;
    default: break;
    }
    return Failed(failure, where, std::error_code(error, std::system_category()));
}

std::string PermissionAdvice(const std::filesystem::path& folder)
{
    struct stat st = {};
    if (stat(folder.c_str(), &st) != 0)
        return {};
    const struct group* g = getgrgid(st.st_gid);
    const std::string group = g ? std::string(g->gr_name) : std::to_string(st.st_gid);
    const std::string where = folder.string();
    if (geteuid() == st.st_uid)
        return {};
    bool member = getegid() == st.st_gid;
    const int count = getgroups(0, nullptr);
    std::vector<gid_t> groups(count > 0 ? static_cast<std::size_t>(count) : 0);
    if (count > 0 && getgroups(count, groups.data()) == count) {
        for (const gid_t id : groups)
            member = member || id == st.st_gid;
    }
    if (!member)
        return "this user is not a member of the group " + group + " that may change " + where;
    if ((st.st_mode & S_IWGRP) == 0)
        return "the folder " + where + " does not let its group " + group + " change it (chmod g+w)";
    // A member who was added after logging in has not taken the group up yet.
    return "this user is a member of the group " + group + " that may change " + where
           + "; check the permissions of the files in it";
}

DataFile::~DataFile()
{
    Close();
}

SettingsResult DataFile::OpenForReading(const std::filesystem::path& file)
{
    Close();
    // A pipe, a device, a folder or a link planted under the name is never
    // read, and the size is known before the first byte comes in.
    struct stat st = {};
    SettingsResult result;
    const int fd = OpenRegularForReading(file, nullptr, st, result);
    if (fd < 0)
        return result;
    handle_ = fd;
    opened_ = file;
    if (st.st_nlink != 1)
        result = SettingsResult::Failed(SettingsFailure::OtherNames, file);
    else if (static_cast<std::uint64_t>(st.st_size) > kMaxReadBytes)
        result = SettingsResult::Failed(SettingsFailure::TooLarge, file);
    else if (!TryLock(fd, F_RDLCK))
        result = Locked(file);
    if (!result) {
        Close();
        return result;
    }
    size_ = static_cast<std::uint64_t>(st.st_size);
    return result;
}

SettingsResult DataFile::ReadSome(char* data, std::size_t want, std::size_t& got)
{
    ssize_t n = -1;
    do
        n = read(Fd(handle_), data, want);
    while (n < 0 && errno == EINTR);
    if (n < 0)
        return Errno(opened_);
    got = static_cast<std::size_t>(n);
    return SettingsResult::Ok();
}

SettingsResult DataFile::CreateForWriting(const std::filesystem::path& file)
{
    Close();
    // Exclusive creation fails on any name already taken, a link included,
    // so nothing outside the folder is ever written through a planted name.
    const int fd = OpenRetrying(file.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW, 0600);
    if (fd < 0) {
        // Creating is asking the folder: a refusal is the folder's.
        SettingsResult result = Errno(file);
        if (result.failure == SettingsFailure::NotPermitted || result.failure == SettingsFailure::NoFile)
            result.where = file.parent_path();
        if (result.failure == SettingsFailure::NoFile)
            result.failure = SettingsFailure::NoFolder;
        return result;
    }
    handle_ = fd;
    created_ = file;
    // Nobody else may write into it before it is in place: MoveOver opens it
    // to the group only once the name holds it.
    SettingsResult result;
    if (fchmod(fd, 0600) != 0)
        result = Errno(file);
    else if (!TryLock(fd, F_WRLCK))
        result = Locked(file);
    if (!result) {
        Close();
        unlink(file.c_str());
    }
    return result;
}

SettingsResult DataFile::Write(std::string_view bytes)
{
    if (!IsOpen())
        return SettingsResult::Failed(SettingsFailure::SystemError, created_,
                                      std::make_error_code(std::errc::bad_file_descriptor));
    while (!bytes.empty()) {
        const ssize_t n = write(Fd(handle_), bytes.data(), bytes.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return Errno(created_);
        if (n == 0) // nothing taken and no reason given: the disk is full
            return SettingsResult::FromSystem(ENOSPC, created_);
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return SettingsResult::Ok();
}

SettingsResult DataFile::Flush()
{
    if (!IsOpen())
        return SettingsResult::Failed(SettingsFailure::SystemError, created_,
                                      std::make_error_code(std::errc::bad_file_descriptor));
    return fsync(Fd(handle_)) == 0 ? SettingsResult::Ok() : Errno(created_);
}

SettingsResult DataFile::MoveOver(const std::filesystem::path& target, std::span<const std::filesystem::path> replaced,
                                  const MoveSteps& steps)
{
    const std::filesystem::path folder = target.parent_path();
    if (!IsOpen() || created_.empty()) {
        Close();
        return SettingsResult::Failed(SettingsFailure::SystemError, target,
                                      std::make_error_code(std::errc::bad_file_descriptor))
            .At(SaveStep::Move);
    }
    const int dirFd = OpenRetrying(folder.c_str(), O_RDONLY | O_DIRECTORY);
    if (dirFd < 0) {
        SettingsResult result = Errno(folder).At(SaveStep::Move);
        Close();
        return result;
    }
    auto passed = [&steps](MovePoint point) {
        if (steps.passed)
            steps.passed(point);
    };
    // Each file about to disappear is held with a read lock until the move is
    // done, so no writer can start on it; one that another program writes
    // (holds a write lock on) stops the save. Readers do not: the rename
    // leaves them reading the old file. It is opened for reading only: the
    // file of another member of the group is not ours to write, only the
    // folder is. A file with a second name is never read, but nothing keeps
    // it from being replaced: its content stays under that other name, so
    // whoever may only read cannot stop a save by linking the file.
    std::vector<int> held;
    SettingsResult result;
    for (const auto& file : replaced) {
        struct stat st = {};
        if (lstat(file.c_str(), &st) != 0) {
            if (errno == ENOENT)
                continue;
            result = Errno(file);
            break;
        }
        if (!S_ISREG(st.st_mode)) {
            result = SettingsResult::Failed(SettingsFailure::NotAPlainFile, file);
            break;
        }
        if (IsReadOnly(st)) {
            result = SettingsResult::Failed(SettingsFailure::ReadOnlyFile, file);
            break;
        }
        struct stat opened = {};
        const int fd = OpenRegularForReading(file, &st, opened, result);
        if (fd < 0)
            break;
        held.push_back(fd);
        if (!TryLock(fd, F_RDLCK)) {
            result = Locked(file);
            break;
        }
    }
    result = result.At(SaveStep::TakeOld);

    // Exchanging the two names keeps the old file at hand until the new one
    // is known to be in place and on disk, so a failure can put it back.
    const std::string temp = created_.filename().native();
    const std::string name = target.filename().native();
    bool exchanged = false;
    bool first = false; // nothing was under the name: a failure takes the new file away again
    bool moved = false;
    if (result) {
        if (renameat2(dirFd, temp.c_str(), dirFd, name.c_str(), RENAME_EXCHANGE) == 0) {
            exchanged = true;
        } else if (errno == ENOENT) {
            first = renameat2(dirFd, temp.c_str(), dirFd, name.c_str(), RENAME_NOREPLACE) == 0;
        } else if (errno == EINVAL) {
            // A file system that cannot exchange: a plain replace, which a
            // failure after it cannot undo.
            moved = renameat(dirFd, temp.c_str(), dirFd, name.c_str()) == 0;
        }
        if (!exchanged && !first && !moved) {
            // A rename is a change of the folder: a refusal is the folder's.
            result = Errno(target);
            if (result.failure == SettingsFailure::NotPermitted)
                result.where = folder;
            else if (result.failure == SettingsFailure::NoFile) // another member took the new file away
                result.failure = SettingsFailure::ChangedMeanwhile;
            result = result.At(SaveStep::Move);
        } else {
            passed(MovePoint::Exchanged);
        }
    }
    // Members may rename each other's entries: the name is looked at right
    // after the move (a file put under the temporary name before it) and once
    // more when everything else is done.
    struct stat mine = {};
    auto holdsMine = [&] {
        struct stat named = {};
        return fstatat(dirFd, name.c_str(), &named, AT_SYMLINK_NOFOLLOW) == 0 && SameFile(mine, named);
    };
    if (result) {
        if (fstat(Fd(handle_), &mine) != 0)
            result = Errno(created_).At(SaveStep::Move);
        else if (!holdsMine())
            result = SettingsResult::Failed(SettingsFailure::ChangedMeanwhile, target).At(SaveStep::Move);
    }
    if (result) {
        if (fchmod(Fd(handle_), 0664) != 0)
            result = Errno(target).At(SaveStep::ChangeMode);
        else
            passed(MovePoint::ModeChanged);
    }
    if (result) {
        result = steps.syncFolder(folder).At(SaveStep::FlushFolder);
        if (result)
            passed(MovePoint::FolderFlushed);
    }
    if (!result && exchanged) {
        renameat2(dirFd, temp.c_str(), dirFd, name.c_str(), RENAME_EXCHANGE);
    } else if (!result && first) {
        renameat(dirFd, name.c_str(), dirFd, temp.c_str());
    } else if (result) {
        if (exchanged)
            unlinkat(dirFd, temp.c_str(), 0); // the old file, now under the temporary name
        passed(MovePoint::OldRemoved);
        // The confirmation is the last thing: whoever renamed a file of his
        // own over the name while the steps above ran gets no save of his
        // content confirmed. Nothing is left to put back by now.
        if (!holdsMine())
            result = SettingsResult::Failed(SettingsFailure::ChangedMeanwhile, target).At(SaveStep::Confirm);
    }
    for (const int fd : held)
        close(fd);
    close(dirFd);
    Close();
    return result;
}

SettingsResult DataFile::SyncFolder(const std::filesystem::path& folder)
{
    const int fd = OpenRetrying(folder.c_str(), O_RDONLY | O_DIRECTORY);
    if (fd < 0)
        return Errno(folder);
    SettingsResult result = fsync(fd) == 0 ? SettingsResult::Ok() : Errno(folder);
    close(fd);
    return result;
}

void DataFile::CloseNative(std::intptr_t handle)
{
    close(Fd(handle));
}

void DataFile::RemoveIfUnused(const std::filesystem::path& file)
{
    // Only a regular file can be a leftover of ours; a link or anything else
    // under such a name is left alone, and nothing is opened for writing.
    struct stat st = {};
    if (lstat(file.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
        return;
    struct stat opened = {};
    SettingsResult ignored;
    const int fd = OpenRegularForReading(file, &st, opened, ignored);
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
