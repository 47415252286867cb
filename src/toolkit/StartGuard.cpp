#include "StartGuard.h"

#include <QStringList>

#include <cstdio>
#include <cstdlib>

namespace {

struct Held
{
    QtMsgType type;
    int line;
    QByteArray category;
    QByteArray file;
    QByteArray function;
    QString text;
};

QtMessageHandler previous = nullptr;
QList<Held>* held = nullptr;

void Hold(QtMsgType type, const QMessageLogContext& context, const QString& text)
{
    if (type == QtFatalMsg) {
        QStringList said;
        for (const Held& h : *held)
            said << h.text;
        const QByteArray line = StartGuard::FailureLine(said, text).toLocal8Bit();
        std::fprintf(stderr, "quorvelo-config: %s\n", line.constData());
        std::fflush(stderr);
        std::_Exit(1); // no abort: nothing to debug, only something missing
    }
    held->append({type, context.line, context.category, context.file, context.function, text});
}

} // namespace

StartGuard::StartGuard()
{
    held = new QList<Held>;
    previous = qInstallMessageHandler(Hold);
}

StartGuard::~StartGuard()
{
    Release();
}

void StartGuard::Release()
{
    if (!held)
        return;
    qInstallMessageHandler(previous);
    for (const Held& h : std::as_const(*held)) {
        const QMessageLogContext context(h.file.constData(), h.line, h.function.constData(), h.category.constData());
        qt_message_output(h.type, context, h.text);
    }
    delete held;
    held = nullptr;
}

QString StartGuard::FailureLine(const QStringList& said, const QString& fatal)
{
    // Qt first says what it could not reach or find ("could not connect to
    // display :7", "Could not find the Qt platform plugin "wayland""); its
    // fatal message after that only says that it gave up.
    QString cause = said.isEmpty() ? fatal : said.first();
    cause = cause.section(QLatin1Char('\n'), 0, 0).trimmed();
    // Qt names an X display it could not reach, but not a Wayland one.
    if (cause.contains(QLatin1String("wl_display")) && qEnvironmentVariableIsSet("WAYLAND_DISPLAY"))
        cause += QStringLiteral(" for WAYLAND_DISPLAY=%1").arg(qEnvironmentVariable("WAYLAND_DISPLAY"));
    if (cause.isEmpty())
        cause = QStringLiteral("no platform plugin could be started");
    return QStringLiteral("cannot show the window: %1").arg(cause);
}
