#include "x_desktop.h"

#include <QClipboard>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QPixmap>
#include <QtGui/qguiapplication_platform.h>
#include <QRegularExpression>
#include <QScreen>

#include <xcb/xcb.h>

#include "programs.h"
#include "test_env.h"

namespace desktop {

QString run(const QString& program, const QStringList& arguments, int timeout_ms)
{
    return run_program(program, arguments, QProcessEnvironment::systemEnvironment(), timeout_ms);
}

namespace {

QString xdotool(const QStringList& arguments) { return run(QStringLiteral("xdotool"), arguments); }

QString window_id(unsigned long window) { return QString::number(window); }

QStringList at(unsigned long window, QPoint point)
{
    return {QStringLiteral("mousemove"), QStringLiteral("--window"), window_id(window), QString::number(point.x()),
            QString::number(point.y())};
}

// Gives the window the keyboard unless it has it: focusing it again would
// make Qt see its window lose and regain focus around the keys.
void focus(unsigned long window)
{
    if (xdotool({QStringLiteral("getwindowfocus")}).trimmed() != window_id(window))
        xdotool({QStringLiteral("windowfocus"), window_id(window)});
}

}  // namespace

unsigned long find_window(qint64 pid, const QString& title)
{
    const QString pattern = QLatin1Char('^') + QRegularExpression::escape(title) + QLatin1Char('$');
    const QString found = xdotool({QStringLiteral("search"), QStringLiteral("--all"), QStringLiteral("--onlyvisible"), QStringLiteral("--pid"),
                                   QString::number(pid), QStringLiteral("--name"), pattern});
    const QStringList ids = found.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    return ids.isEmpty() ? 0 : ids.first().toULong();
}

unsigned long wait_window(qint64 pid, const QString& title, int timeout_ms)
{
    unsigned long window = 0;
    wait_until([&] { return (window = find_window(pid, title)) != 0; }, timeout_ms);
    return window;
}

bool window_gone(qint64 pid, const QString& title) { return find_window(pid, title) == 0; }

QRect window_geometry(unsigned long window)
{
    const QString shell = xdotool({QStringLiteral("getwindowgeometry"), QStringLiteral("--shell"), window_id(window)});
    QRect rect;
    for (const QString& line : shell.split(QLatin1Char('\n'))) {
        const QString key = line.section(QLatin1Char('='), 0, 0);
        const int value = line.section(QLatin1Char('='), 1).toInt();
        if (key == QLatin1String("X"))
            rect.moveLeft(value);
        else if (key == QLatin1String("Y"))
            rect.moveTop(value);
        else if (key == QLatin1String("WIDTH"))
            rect.setWidth(value);
        else if (key == QLatin1String("HEIGHT"))
            rect.setHeight(value);
    }
    return rect;
}

void click(unsigned long window, QPoint point)
{
    xdotool(at(window, point) + QStringList{QStringLiteral("click"), QStringLiteral("1")});
}

void type_text(unsigned long window, const QString& text)
{
    focus(window);
    xdotool({QStringLiteral("type"), QStringLiteral("--delay"), QStringLiteral("20"), text});
}

void press_keys(unsigned long window, const QStringList& keys)
{
    focus(window);
    xdotool(QStringList{QStringLiteral("key"), QStringLiteral("--delay"), QStringLiteral("50")} + keys);
}

void request_close(unsigned long window)
{
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    if (!x11)
        return;
    xcb_connection_t* connection = x11->connection();
    auto atom = [connection](const char* name) {
        xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(
            connection, xcb_intern_atom(connection, 0, static_cast<uint16_t>(qstrlen(name)), name), nullptr);
        xcb_atom_t result = XCB_NONE;
        if (reply)
            result = reply->atom;
        free(reply);
        return result;
    };
    xcb_client_message_event_t event {};
    event.response_type = XCB_CLIENT_MESSAGE;
    event.format = 32;
    event.window = static_cast<xcb_window_t>(window);
    event.type = atom("WM_PROTOCOLS");
    event.data.data32[0] = atom("WM_DELETE_WINDOW");
    event.data.data32[1] = XCB_CURRENT_TIME;
    xcb_send_event(connection, 0, static_cast<xcb_window_t>(window), XCB_EVENT_MASK_NO_EVENT,
                   reinterpret_cast<const char*>(&event));
    xcb_flush(connection);
}

QString clipboard_text() { return QGuiApplication::clipboard()->text(); }

QImage grab(unsigned long window)
{
    return QGuiApplication::primaryScreen()->grabWindow(static_cast<WId>(window)).toImage();
}

QString screenshot(const QString& name)
{
    const QString path = TestEnv::build_dir() + QStringLiteral("/screenshots/system_") + name + QStringLiteral(".png");
    QDir().mkpath(QFileInfo(path).path());
    QFile::remove(path);
    if (run(QStringLiteral("import"), {QStringLiteral("-window"), QStringLiteral("root"), path}).isNull())
        return {};
    return path;
}

}  // namespace desktop
