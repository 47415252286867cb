#include "TempDataRoot.h"

#include <QDir>
#include <QFile>
#include <QImage>

TempDataRoot::TempDataRoot()
{
    QDir(dir_.path()).mkpath("Dados");
    QDir(dir_.path()).mkpath("IMAGEM");
}

void TempDataRoot::WriteSettings(const QByteArray& bytes) const
{
    QFile f(SettingsFile());
    if (f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        f.write(bytes);
}

QByteArray TempDataRoot::ReadSettings() const
{
    QFile f(SettingsFile());
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void TempDataRoot::WriteCheckImages() const
{
    QImage ok(8, 8, QImage::Format_RGB32);
    ok.fill(Qt::white);
    ok.save(ImagePath("OK.JPG"), "JPEG");
    QImage naook(8, 8, QImage::Format_RGB32);
    naook.fill(Qt::black);
    naook.save(ImagePath("NAOOK.JPG"), "JPEG");
}
