// quorvelo-artwork <output directory>: draws every picture the tool ships.
#include "Artwork.h"
#include "IcoWriter.h"

#include <QDir>
#include <QGuiApplication>
#include <QImageWriter>

#include <cstdio>

namespace {

bool Save(const QImage& image, const QString& path, const char* format, int quality = -1)
{
    QImageWriter writer(path, format);
    if (quality >= 0)
        writer.setQuality(quality);
    if (writer.write(image))
        return true;
    std::fprintf(stderr, "quorvelo-artwork: %s: %s\n", qPrintable(path), qPrintable(writer.errorString()));
    return false;
}

} // namespace

int main(int argc, char** argv)
{
    // Nothing is shown; the build machine may have no display at all.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);

    const QStringList args = QCoreApplication::arguments();
    if (args.size() != 2) {
        std::fprintf(stderr, "usage: quorvelo-artwork <output directory>\n");
        return 2;
    }
    const QDir out(args[1]);
    if (!out.mkpath(".")) {
        std::fprintf(stderr, "quorvelo-artwork: cannot create %s\n", qPrintable(args[1]));
        return 1;
    }

    const QImage app64 = Artwork::AppIcon(64, 64);
    const QImage appWide = Artwork::AppIcon(93, 61);

    bool ok = Save(Artwork::PopupArrow(), out.filePath("popup-arrow.png"), "png");
    ok = Save(app64, out.filePath("app-64.png"), "png") && ok;
    ok = Save(appWide, out.filePath("app-93x61.png"), "png") && ok;
    // JPEG has no alpha: flatten onto the picture's own opaque background.
    ok = Save(Artwork::CheckBox(false).convertToFormat(QImage::Format_RGB32), out.filePath("OK.JPG"), "jpeg", 95) && ok;
    ok = Save(Artwork::CheckBox(true).convertToFormat(QImage::Format_RGB32), out.filePath("NAOOK.JPG"), "jpeg", 95)
         && ok;

    const QString ico = out.filePath("quorvelo-config.ico");
    if (!IcoWriter::Write(ico, {app64, appWide})) {
        std::fprintf(stderr, "quorvelo-artwork: cannot write %s\n", qPrintable(ico));
        ok = false;
    }
    return ok ? 0 : 1;
}
