#pragma once
// What the X server says about the program's windows, for the tests that run on a real display
// (Xvfb), with a window manager or without: the stacking order, the active window, the keyboard
// focus. Read through the connection of Qt's own xcb platform.

#include <QList>
#include <QString>

class QWidget;

namespace testsupport::xdisplay {

// Whether the program runs on an X display (the xcb platform).
bool available();
// Whether a window manager that follows the freedesktop hints runs on the display.
bool hasWindowManager();
// The top-level windows on screen, bottom to top: the window manager's client list when one
// runs (_NET_CLIENT_LIST_STACKING), else the mapped children of the root window.
QList<quint32> stacking();
// The top-most of the program's windows in that order, or none.
quint32 topWindow();
// The window that has the X keyboard focus.
quint32 inputFocus();
// The window manager's active window (_NET_ACTIVE_WINDOW), 0 without one.
quint32 activeWindow();
// The X window of a Qt top-level window.
quint32 idOf(const QWidget& window);
// What the server says, in one line, for failure messages.
QString describe();

}  // namespace testsupport::xdisplay
