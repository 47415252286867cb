#include "IcoWriter.h"

#include <QBuffer>
#include <QDataStream>
#include <QFile>

bool IcoWriter::Write(const QString& path, const QList<QImage>& images)
{
    if (images.isEmpty() || images.size() > 0xFFFF)
        return false;

    QList<QByteArray> pngs;
    for (const QImage& image : images) {
        // The directory holds sizes in one byte each, 0 standing for 256.
        if (image.isNull() || image.width() > 256 || image.height() > 256)
            return false;
        QByteArray png;
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        if (!image.convertToFormat(QImage::Format_ARGB32).save(&buffer, "PNG"))
            return false;
        pngs.append(png);
    }

    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out.setByteOrder(QDataStream::LittleEndian);
    out << quint16(0) << quint16(1) << quint16(images.size());

    const quint32 headerSize = 6;
    const quint32 entrySize = 16;
    quint32 offset = headerSize + entrySize * quint32(images.size());
    for (qsizetype i = 0; i < images.size(); ++i) {
        out << quint8(images[i].width() & 0xFF) << quint8(images[i].height() & 0xFF) << quint8(0) // no palette
            << quint8(0)                                                                          // reserved
            << quint16(1)                                                                         // colour planes
            << quint16(32)                                                                        // bits per pixel
            << quint32(pngs[i].size()) << offset;
        offset += quint32(pngs[i].size());
    }
    for (const QByteArray& png : pngs)
        out.writeRawData(png.constData(), int(png.size()));

    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    return file.write(bytes) == bytes.size() && file.flush();
}
