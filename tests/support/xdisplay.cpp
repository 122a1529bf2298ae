#include "support/xdisplay.h"

#include <xcb/xcb.h>
#include <QApplication>
#include <QWidget>
#include <cstdlib>

namespace testsupport::xdisplay {

namespace {

xcb_connection_t* connection() {
    auto* x11 = qApp ? qApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    return x11 ? x11->connection() : nullptr;
}

xcb_window_t root() {
    return xcb_setup_roots_iterator(xcb_get_setup(connection())).data->root;
}

xcb_atom_t atom(const char* name) {
    xcb_connection_t* c = connection();
    xcb_intern_atom_reply_t* reply =
        xcb_intern_atom_reply(c, xcb_intern_atom(c, 1, uint16_t(strlen(name)), name), nullptr);
    const xcb_atom_t a = reply ? reply->atom : XCB_ATOM_NONE;
    free(reply);
    return a;
}

// A property of the root window made of window ids.
QList<quint32> rootWindows(const char* property) {
    QList<quint32> out;
    const xcb_atom_t a = atom(property);
    if (a == XCB_ATOM_NONE) return out;
    xcb_connection_t* c = connection();
    xcb_get_property_reply_t* reply = xcb_get_property_reply(
        c, xcb_get_property(c, 0, root(), a, XCB_ATOM_WINDOW, 0, 4096), nullptr);
    if (reply && reply->format == 32) {
        const auto* ids = static_cast<const xcb_window_t*>(xcb_get_property_value(reply));
        for (int i = 0; i < xcb_get_property_value_length(reply) / 4; ++i) out << ids[i];
    }
    free(reply);
    return out;
}

bool viewable(xcb_window_t w) {
    xcb_connection_t* c = connection();
    xcb_get_window_attributes_reply_t* reply =
        xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, w), nullptr);
    const bool on = reply && reply->map_state == XCB_MAP_STATE_VIEWABLE;
    free(reply);
    return on;
}

QList<quint32> mappedRootChildren() {
    QList<quint32> out;
    xcb_connection_t* c = connection();
    xcb_query_tree_reply_t* reply = xcb_query_tree_reply(c, xcb_query_tree(c, root()), nullptr);
    if (!reply) return out;
    const xcb_window_t* children = xcb_query_tree_children(reply);
    for (int i = 0; i < xcb_query_tree_children_length(reply); ++i) {
        if (viewable(children[i])) out << children[i];
    }
    free(reply);
    return out;
}

}  // namespace

bool available() {
    return connection() != nullptr;
}

bool hasWindowManager() {
    return !rootWindows("_NET_SUPPORTING_WM_CHECK").isEmpty();
}

QList<quint32> stacking() {
    return hasWindowManager() ? rootWindows("_NET_CLIENT_LIST_STACKING") : mappedRootChildren();
}

quint32 topWindow() {
    QList<quint32> ours;
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (w->internalWinId()) ours << quint32(w->internalWinId());
    }
    const QList<quint32> order = stacking();
    for (auto it = order.rbegin(); it != order.rend(); ++it) {
        if (ours.contains(*it)) return *it;
    }
    return 0;
}

quint32 inputFocus() {
    xcb_connection_t* c = connection();
    xcb_get_input_focus_reply_t* reply =
        xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr);
    const quint32 focus = reply ? reply->focus : 0;
    free(reply);
    return focus;
}

quint32 activeWindow() {
    const QList<quint32> active = rootWindows("_NET_ACTIVE_WINDOW");
    return active.isEmpty() ? 0 : active.first();
}

quint32 idOf(const QWidget& window) {
    return quint32(window.internalWinId());
}

QString describe() {
    auto name = [](quint32 id) {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (quint32(w->internalWinId()) == id) return w->objectName();
        }
        return QString::number(id, 16);
    };
    QStringList order;
    for (quint32 id : stacking()) order << name(id);
    return QStringLiteral("stacking (bottom to top) %1; focus %2; active %3")
        .arg(order.join(' '), name(inputFocus()), name(activeWindow()));
}

}  // namespace testsupport::xdisplay
