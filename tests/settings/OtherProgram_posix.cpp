#include "OtherProgram.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

// A child process with an open-file-description lock on the file: the lock
// the settings store itself takes, held by somebody else.
struct OtherProgram::Handle
{
    int release[2] = {-1, -1};
    pid_t pid = -1;
    bool locked = false;
};

std::vector<OtherProgram::Hold> OtherProgram::Holds()
{
    // A rename leaves a reader on the old file, so only a writer stops a save.
    return {{"Writer", F_WRLCK, false, false}, {"Reader", F_RDLCK, true, true}};
}

OtherProgram::Hold OtherProgram::Writer()
{
    return {"Writer", F_WRLCK, false, false};
}

OtherProgram::Hold OtherProgram::Reminder()
{
    return {"Reader", F_RDLCK, true, true};
}

OtherProgram::OtherProgram(const std::filesystem::path& file, const Hold& hold) : handle_(std::make_unique<Handle>())
{
    int ready[2];
    if (pipe(ready) != 0 || pipe(handle_->release) != 0)
        return;
    handle_->pid = fork();
    if (handle_->pid == 0) {
        close(ready[0]);
        close(handle_->release[1]);
        const int fd = open(file.c_str(), hold.how == F_WRLCK ? O_RDWR : O_RDONLY);
        struct flock lock = {};
        lock.l_type = static_cast<short>(hold.how);
        lock.l_whence = SEEK_SET;
        const char ok = (fd >= 0 && fcntl(fd, F_OFD_SETLK, &lock) == 0) ? '1' : '0';
        (void)!write(ready[1], &ok, 1);
        char c;
        (void)!read(handle_->release[0], &c, 1); // returns when the parent lets go
        _exit(0);
    }
    close(ready[1]);
    close(handle_->release[0]);
    char ok = '0';
    handle_->locked = handle_->pid > 0 && read(ready[0], &ok, 1) == 1 && ok == '1';
    close(ready[0]);
}

OtherProgram::~OtherProgram()
{
    Release();
}

bool OtherProgram::Holding() const
{
    return handle_->locked && handle_->pid > 0;
}

void OtherProgram::Release()
{
    if (handle_->pid <= 0)
        return;
    close(handle_->release[1]);
    waitpid(handle_->pid, nullptr, 0);
    handle_->pid = -1;
}
