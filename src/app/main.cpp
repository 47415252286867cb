// Program start-up: one configuration window; the program ends when it closes.
#include "AdmUn00.h"
#include "DesignFont.h"
#include "NativeWindow.h"
#include "QtTranslation.h"
#include "QuorveloResources.h"
#include "StartGuard.h"

#include <QApplication>
#include <QIcon>

#include <cstdio>

namespace {

// The window needs what Wayland gives no client: its own opacity, its place
// over the work area, a shaped outline. Where the session also runs an X
// server (XWayland) and the user has not picked a platform, go through it.
// Returns false, after saying why, where there is no display at all.
bool ChoosePlatform()
{
#ifdef Q_OS_WIN
    return true; // the Windows platform is the only one there, whatever DISPLAY says (Wine sets it)
#else
    if (qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        return true;
    const bool x11 = !qEnvironmentVariableIsEmpty("DISPLAY");
    const bool wayland = !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
    if (x11) {
        qputenv("QT_QPA_PLATFORM", "xcb;wayland");
        return true;
    }
    if (wayland)
        return true;
    std::fputs("quorvelo-config: no display to show the window on (neither DISPLAY nor WAYLAND_DISPLAY is set)\n",
               stderr);
    return false;
#endif
}

} // namespace

int main(int argc, char** argv)
{
    if (!ChoosePlatform())
        return 1;
    StartGuard guard; // a display that cannot be reached ends here with one line, not an abort
    QApplication app(argc, argv);
    guard.Release();
    InitQuorveloResources();
    InstallQtTranslation(); // Qt's own texts in Portuguese too
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
