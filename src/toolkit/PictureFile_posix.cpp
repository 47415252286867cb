#include "PictureFile.h"

#include <QFile>

#include <algorithm>
#include <cerrno>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

std::optional<QByteArray> ReadPictureFile(const QString& path, qint64 maxBytes)
{
    const QByteArray name = QFile::encodeName(path);
    int fd = -1;
    do
        fd = open(name.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    while (fd < 0 && errno == EINTR);
    if (fd < 0)
        return std::nullopt;
    std::optional<QByteArray> result;
    struct stat st = {};
    if (fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_size <= maxBytes) {
        // The file may grow after the check: one byte past the limit is enough to tell.
        QByteArray bytes(static_cast<qsizetype>(st.st_size) + 1, Qt::Uninitialized);
        qsizetype have = 0;
        bool ok = true;
        for (;;) {
            if (have == bytes.size()) {
                if (have > maxBytes) {
                    ok = false;
                    break;
                }
                bytes.resize(std::min<qsizetype>(maxBytes + 1, have * 2));
            }
            const ssize_t n = read(fd, bytes.data() + have, static_cast<size_t>(bytes.size() - have));
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0) {
                ok = false;
                break;
            }
            if (n == 0)
                break;
            have += n;
        }
        if (ok && have <= maxBytes) {
            bytes.truncate(have);
            result = std::move(bytes);
        }
    }
    close(fd);
    return result;
}
