// quorvelo-pad-icon <input> <output> <side>: centres a picture, unscaled, on a
// transparent square. Icon themes file icons by square size, and the wide
// application icon must keep its own pixels rather than be stretched.
#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <cstdio>

int main(int argc, char** argv)
{
    // Nothing is shown; the build machine may have no display at all.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);

    const QStringList args = QCoreApplication::arguments();
    bool sideOk = false;
    const int side = args.size() == 4 ? args[3].toInt(&sideOk) : 0;
    if (!sideOk || side <= 0) {
        std::fprintf(stderr, "usage: quorvelo-pad-icon <input> <output> <side>\n");
        return 2;
    }
    const QImage picture(args[1]);
    if (picture.isNull()) {
        std::fprintf(stderr, "quorvelo-pad-icon: cannot read %s\n", qPrintable(args[1]));
        return 1;
    }
    if (picture.width() > side || picture.height() > side) {
        std::fprintf(stderr, "quorvelo-pad-icon: %s is %dx%d, larger than %d\n", qPrintable(args[1]), picture.width(),
                     picture.height(), side);
        return 1;
    }

    QImage square(side, side, QImage::Format_ARGB32);
    square.fill(Qt::transparent);
    {
        QPainter painter(&square);
        painter.drawImage((side - picture.width()) / 2, (side - picture.height()) / 2, picture);
    }
    if (!square.save(args[2], "png")) {
        std::fprintf(stderr, "quorvelo-pad-icon: cannot write %s\n", qPrintable(args[2]));
        return 1;
    }
    return 0;
}
