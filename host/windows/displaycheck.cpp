#include "displaycheck.h"

#include <QMessageLogContext>
#include <QtGlobal>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <vector>

namespace host {

namespace {
bool platformNamed(const QStringList &arguments)
{
    for (const QString &argument : arguments) {
        if (argument == QLatin1String("-platform") || argument == QLatin1String("--platform")
            || argument.startsWith(QLatin1String("-platform=")) || argument.startsWith(QLatin1String("--platform=")))
            return true;
    }
    return false;
}

QString shown(const char *name, const QByteArray &value)
{
    return value.isEmpty() ? QStringLiteral("%1 unset").arg(QLatin1String(name))
                           : QStringLiteral("%1=%2").arg(QLatin1String(name), QString::fromLocal8Bit(value));
}

// What Qt reported while the guard held it back.
struct HeldMessage
{
    QtMsgType type;
    QByteArray file, function, category;
    int line;
    QString text;
};

std::mutex g_heldLock;
std::vector<HeldMessage> g_held;
QtMessageHandler g_previous = nullptr;

void holdMessage(QtMsgType type, const QMessageLogContext &context, const QString &text)
{
    if (type == QtFatalMsg) {
        // Qt could not reach the window system (nothing else is fatal while the
        // application object is made); it would abort right after this.
        const QString line = unreachableDisplayMessage(qgetenv("QT_QPA_PLATFORM"), qgetenv("DISPLAY"),
                                                       qgetenv("WAYLAND_DISPLAY"));
        std::fprintf(stderr, "%s\n", qPrintable(line));
        std::fflush(stderr);
        std::_Exit(1);
    }
    const std::lock_guard lock(g_heldLock);
    g_held.push_back({type, context.file, context.function, context.category, context.line, text});
}
} // namespace

QString missingDisplayMessage(const QStringList &arguments, const QByteArray &qpaPlatform, const QByteArray &x11Display,
                              const QByteArray &waylandDisplay)
{
    if (!qpaPlatform.isEmpty() || platformNamed(arguments) || !x11Display.isEmpty() || !waylandDisplay.isEmpty())
        return QString();
    return QStringLiteral("vexorin: no display to show windows on (DISPLAY and WAYLAND_DISPLAY are unset)");
}

QString unreachableDisplayMessage(const QByteArray &qpaPlatform, const QByteArray &x11Display,
                                  const QByteArray &waylandDisplay)
{
    QStringList named{shown("DISPLAY", x11Display), shown("WAYLAND_DISPLAY", waylandDisplay)};
    if (!qpaPlatform.isEmpty())
        named.prepend(shown("QT_QPA_PLATFORM", qpaPlatform));
    return QStringLiteral("vexorin: cannot connect to the display (%1)").arg(named.join(QLatin1String(", ")));
}

WindowSystemGuard::WindowSystemGuard() : m_active(true)
{
    g_previous = qInstallMessageHandler(holdMessage);
}

WindowSystemGuard::~WindowSystemGuard()
{
    release();
}

void WindowSystemGuard::release()
{
    if (!m_active)
        return;
    m_active = false;
    qInstallMessageHandler(g_previous);
    std::vector<HeldMessage> held;
    {
        const std::lock_guard lock(g_heldLock);
        held.swap(g_held);
    }
    for (const HeldMessage &message : held) {
        const QMessageLogContext context(message.file.isEmpty() ? nullptr : message.file.constData(), message.line,
                                         message.function.isEmpty() ? nullptr : message.function.constData(),
                                         message.category.isEmpty() ? nullptr : message.category.constData());
        qt_message_output(message.type, context, message.text);
    }
}

} // namespace host
