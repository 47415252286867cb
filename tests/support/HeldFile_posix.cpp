#include "HeldFile.h"

#include <fcntl.h>
#include <unistd.h>

// An open-file-description lock is the program's own sharing rule; a second
// open description conflicts with it even inside this same process.
HeldFile::HeldFile(const QString& path)
{
    const int fd = open(path.toLocal8Bit().constData(), O_RDWR | O_CLOEXEC);
    if (fd < 0)
        return;
    struct flock lock = {};
    lock.l_type = F_WRLCK;
    lock.l_whence = SEEK_SET;
    if (fcntl(fd, F_OFD_SETLK, &lock) != 0) {
        close(fd);
        return;
    }
    handle_ = fd;
}

HeldFile::~HeldFile()
{
    Release();
}

bool HeldFile::Held() const
{
    return handle_ >= 0;
}

void HeldFile::Release()
{
    if (handle_ >= 0)
        close(static_cast<int>(handle_));
    handle_ = -1;
}
