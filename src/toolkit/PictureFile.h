#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>

#include <optional>

// The bytes of a picture file, read only when the name leads to a regular
// file of at most maxBytes. The open never waits: a pipe or a device put in
// a picture's place gives nothing at once instead of stopping the window.
std::optional<QByteArray> ReadPictureFile(const QString& path, qint64 maxBytes);

// Decodes a JPEG whose markers have already been followed to its end. Only
// a picture of at most maxSide pixels a side is decoded; where the decoder
// is libjpeg it also stops on the first scan past maxScans and refuses any
// data it has to warn about (stray bytes, a missing end). A null picture
// when refused, with `refusal` saying why.
QImage DecodeJpeg(const QByteArray& bytes, int maxSide, int maxScans, QString& refusal);
