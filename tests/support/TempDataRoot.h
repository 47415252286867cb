#pragma once

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

// A throw-away data root with the "Dados" and "IMAGEM" folders, so that no
// test touches the real one.
class TempDataRoot
{
public:
    TempDataRoot();

    QString Path() const { return dir_.path(); }
    QString SettingsFile() const { return dir_.path() + "/Dados/Dados.txt"; }
    QString ImagePath(const QString& name) const { return dir_.path() + "/IMAGEM/" + name; }

    void WriteSettings(const QByteArray& bytes) const;
    QByteArray ReadSettings() const;
    // Writes small OK.JPG (white) and NAOOK.JPG (black) pictures.
    void WriteCheckImages() const;

private:
    QTemporaryDir dir_;
};
