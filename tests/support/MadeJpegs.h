#pragma once

#include <QBuffer>
#include <QByteArray>
#include <QImage>
#include <QImageWriter>
#include <QSize>

// Pictures made on the spot for the picture tests and benchmark.

// A plain green JPEG of `size`, baseline or progressive.
inline QByteArray MadeJpeg(QSize size, bool progressive)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::darkGreen);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "JPEG");
    writer.setProgressiveScanWrite(progressive);
    writer.write(image);
    return bytes;
}

// A small progressive picture whose last scan comes `extra` more times:
// every repeat is more decoding work for no more picture.
inline QByteArray MadeScanBomb(int extra, int side)
{
    const QByteArray plain = MadeJpeg(QSize(side, side), true);
    const qsizetype lastScan = plain.lastIndexOf("\xFF\xDA");
    const qsizetype end = plain.size() - 2; // the end-of-image marker
    QByteArray bomb = plain.left(end);
    for (int i = 0; i < extra; ++i)
        bomb += plain.mid(lastScan, end - lastScan);
    return bomb + plain.mid(end);
}

// The progressive picture of `side` pixels a side whose last scan comes again
// as often as fits in `maxBytes`: tens of thousands of scans in 1 MiB, each a
// refinement of the whole picture.
inline QByteArray MadeScanBombOfSize(int side, qsizetype maxBytes)
{
    const QByteArray plain = MadeJpeg(QSize(side, side), true);
    const qsizetype scan = plain.size() - 2 - plain.lastIndexOf("\xFF\xDA");
    return MadeScanBomb(static_cast<int>((maxBytes - plain.size()) / scan), side);
}

// A stray byte between the start marker and the next one, which libjpeg
// skips with a warning.
inline QByteArray WithStrayByteAfterStart(QByteArray jpeg)
{
    jpeg.insert(2, '\0');
    return jpeg;
}

// No end marker: the file stops in the length of a table (FF C4 00), which
// libjpeg takes for the end of the data with a warning.
inline QByteArray WithoutEnd(QByteArray jpeg)
{
    jpeg.chop(2);
    return jpeg + QByteArray("\xFF\xC4\x00", 3);
}

// The number of scans of a picture made here (their start markers).
inline int ScansOf(const QByteArray& jpeg)
{
    return static_cast<int>(jpeg.count(QByteArrayView("\xFF\xDA", 2)));
}
