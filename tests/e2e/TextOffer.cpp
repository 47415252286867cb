// Another program offering text, for the end-to-end runs: on the clipboard,
// or as a drag from its own small window.
//
//   text_offer clipboard TEXT      owns the clipboard with TEXT until killed
//   text_offer drag TEXT X Y       shows a 60x40 window titled "OFERTA" at
//                                  X,Y; a mouse press on it starts a drag of
//                                  TEXT as text/plain
// In TEXT, "\n" stands for a line feed. Prints "ready" once the text is
// offered and, after a drag, "dropped" or "refused".
#include <QApplication>
#include <QClipboard>
#include <QDrag>
#include <QMimeData>
#include <QMouseEvent>
#include <QWidget>

#include <cstdio>

namespace {

class Offer : public QWidget
{
public:
    explicit Offer(QString text) : text_(std::move(text))
    {
        setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
        setWindowTitle(QStringLiteral("OFERTA"));
        setStyleSheet(QStringLiteral("background: orange"));
    }

protected:
    void mousePressEvent(QMouseEvent* event) override
    {
        if (event->button() != Qt::LeftButton)
            return;
        auto* drag = new QDrag(this);
        auto* mime = new QMimeData;
        mime->setText(text_);
        drag->setMimeData(mime);
        const Qt::DropAction done = drag->exec(Qt::CopyAction);
        std::printf("%s\n", done == Qt::IgnoreAction ? "refused" : "dropped");
        std::fflush(stdout);
    }

private:
    QString text_;
};

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    const bool drag = args.size() == 5 && args[1] == QLatin1String("drag");
    if (!drag && !(args.size() == 3 && args[1] == QLatin1String("clipboard"))) {
        std::fprintf(stderr, "usage: text_offer clipboard TEXT | text_offer drag TEXT X Y\n");
        return 2;
    }
    QString text = args[2];
    text.replace(QLatin1String("\\n"), QLatin1String("\n"));
    if (!drag) {
        QGuiApplication::clipboard()->setText(text);
        std::printf("ready\n");
        std::fflush(stdout);
        return app.exec();
    }
    Offer offer(text);
    offer.setGeometry(args[3].toInt(), args[4].toInt(), 60, 40);
    offer.show();
    std::printf("ready\n");
    std::fflush(stdout);
    return app.exec();
}
