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
