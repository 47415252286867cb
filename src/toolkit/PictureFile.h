#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

// The bytes of a picture file, read only when the name leads to a regular
// file of at most maxBytes. The open never waits: a pipe or a device put in
// a picture's place gives nothing at once instead of stopping the window.
std::optional<QByteArray> ReadPictureFile(const QString& path, qint64 maxBytes);
