// Program start-up: one configuration window; the program ends when it closes.
#include "AdmUn00.h"
#include "DesignFont.h"
#include "NativeWindow.h"
#include "QuorveloResources.h"

#include <QApplication>
#include <QIcon>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    InitQuorveloResources();
    RegisterFontSubstitutes();

    QIcon icon;
    icon.addFile(QStringLiteral(":/quorvelo/app-64.png"));
    icon.addFile(QStringLiteral(":/quorvelo/app-93x61.png"));
    QApplication::setWindowIcon(icon);

    auto* window = new TAdmFor00(QStringLiteral(QUORVELO_DATA_ROOT));
    // Closing the window frees it; message popups still open go with it.
    QObject::connect(window, &QObject::destroyed, &app, &QApplication::quit);
    // Another program may destroy the window itself (X11); with nothing left
    // on screen the program must not linger, so that too is a close request.
    WhenDestroyedFromOutside(window, [window] { window->close(); });
    window->ShowFirstTime();
    app.exec();
    return 0;
}
