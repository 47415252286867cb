#pragma once

#include <QImage>
#include <QList>
#include <QString>

// Writes a Windows icon file with several images, each stored as PNG data;
// Qt's own ICO writer stores a single image only.
class IcoWriter
{
public:
    static bool Write(const QString& path, const QList<QImage>& images);
};
