#pragma once
#include <QImage>
#include <QPoint>
#include <QProcess>
#include <QRect>
#include <QString>
#include <QStringList>

#include "x_server.h"

// The person in front of the test's own X server (see XServer): windows
// found by their titles, real pointer and keyboard events through xdotool,
// screenshots.

namespace desktop {

// The visible window of process `pid` whose title is exactly `title`;
// 0 while there is none. wait_window polls until one shows.
unsigned long find_window(qint64 pid, const QString& title);
unsigned long wait_window(qint64 pid, const QString& title, int timeout_ms);
bool window_gone(qint64 pid, const QString& title);
// Geometry of the window on the screen (there is no window manager, so no
// decoration: the window's client area).
QRect window_geometry(unsigned long window);

// Pointer and keyboard, at points relative to the window.
void click(unsigned long window, QPoint point);
void type_text(unsigned long window, const QString& text);
void press_keys(unsigned long window, const QStringList& keys);   // "ctrl+a", "Return", "Down"

// Asks the window to close, as the close box of a window manager would
// (WM_DELETE_WINDOW).
void request_close(unsigned long window);

// What the clipboard holds.
QString clipboard_text();

// The window's pixels as they are on the screen now.
QImage grab(unsigned long window);
// Saves the whole screen as build/screenshots/system_<name>.png with
// ImageMagick's import; returns the path or "" on failure.
QString screenshot(const QString& name);

// Runs a program to its end; its standard output, or a null string on
// failure (not started, non-zero exit, timeout).
QString run(const QString& program, const QStringList& arguments, int timeout_ms = 10000);

}  // namespace desktop
