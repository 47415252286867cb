#include "PictureFile.h"

#include <QFile>
#include <QFileInfo>

// Pipes and devices live in their own namespaces on Windows, out of reach of
// a path under the data root; only the kind and the size need checking.
std::optional<QByteArray> ReadPictureFile(const QString& path, qint64 maxBytes)
{
    const QFileInfo info(path);
    if (!info.isFile() || info.size() > maxBytes)
        return std::nullopt;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    QByteArray bytes = file.read(maxBytes + 1);
    if (bytes.size() > maxBytes || file.error() != QFileDevice::NoError)
        return std::nullopt;
    return bytes;
}
