// Writes the crafted check pictures of bench/picture-startup into a folder:
// a progressive 1024x1024 picture whose last scan comes again as often as
// fits in 1 MiB (tens of thousands of scans), the same with a stray byte
// after its start marker, and the same ending in FF C4 00 with no end marker.
//
//   bench_made_pictures FOLDER

#include "MadeJpegs.h"

#include <QFile>
#include <QGuiApplication>

#include <cstdio>

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s FOLDER\n", argv[0]);
        return 2;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    int qtArgc = 1;
    QGuiApplication app(qtArgc, argv);
    const QString folder = QString::fromLocal8Bit(argv[1]);
    const QByteArray scans = MadeScanBombOfSize(1024, qint64{1024} * 1024);
    const struct
    {
        const char* name;
        QByteArray bytes;
    } pictures[] = {
        {"scans", scans},
        {"stray_byte", WithStrayByteAfterStart(scans)},
        {"no_end", WithoutEnd(scans)},
    };
    for (const auto& p : pictures) {
        QFile file(folder + "/" + p.name + ".jpg");
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(p.bytes) != p.bytes.size()) {
            std::fprintf(stderr, "bench_made_pictures: cannot write %s\n", qPrintable(file.fileName()));
            return 1;
        }
        std::printf("%-10s %8lld bytes %6d scans\n", p.name, static_cast<long long>(p.bytes.size()), ScansOf(p.bytes));
    }
    return 0;
}
