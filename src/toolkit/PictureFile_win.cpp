#include "PictureFile.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>

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

// No libjpeg of its own here: Qt's decoder reads the picture, and the
// bounds are what ImageBox's walk over the markers found (every marker
// known, the scans counted, the end reached), with the size from the header.
QImage DecodeJpeg(const QByteArray& bytes, int maxSide, int, QString& refusal)
{
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, "jpeg");
    const QSize size = reader.size();
    if (!size.isValid() || size.width() > maxSide || size.height() > maxSide) {
        refusal = QStringLiteral("the picture's size is unknown or more than %1 pixels a side").arg(maxSide);
        return {};
    }
    QImage image = reader.read();
    if (image.isNull())
        refusal = QStringLiteral("it cannot be decoded: ") + reader.errorString();
    return image;
}
