// The start-up baseline: what any Qt Widgets program pays to show a
// borderless full-screen window with one line of text (fonts included), and
// make it the active window.

#include <QApplication>
#include <QLabel>
#include <QScreen>
#include <QVBoxLayout>
#include <QWidget>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);

    QWidget window(nullptr, Qt::Window | Qt::FramelessWindowHint);
    auto* layout = new QVBoxLayout(&window);
    layout->addWidget(new QLabel(QStringLiteral("Configuração dos horários"), &window));
    if (QScreen* screen = QGuiApplication::primaryScreen())
        window.setGeometry(screen->availableGeometry());
    window.show();
    window.activateWindow(); // as the tool does: no window manager activates it under Xvfb
    return app.exec();
}
