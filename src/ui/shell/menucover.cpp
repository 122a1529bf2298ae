#include "ui/shell/menucover.h"

#include <QEvent>
#include <QWidget>

#include "ui/shell/formkit.h"

MenuCover::MenuCover(std::function<QWidget*()> menu) : menu_(std::move(menu)) {}

void MenuCover::hold(QWidget& window) {
    if (!watched_.contains(&window)) {
        watched_.insert(&window);
        window.installEventFilter(this);
        connect(&window, &QObject::destroyed, this, &MenuCover::forget);
    }
    if (!holders_.contains(&window)) holders_.append(&window);
    if (QWidget* menu = menu_()) menu->setEnabled(false);
}

void MenuCover::release(QWidget& window) {
    const bool held = holders_.removeAll(&window) > 0;
    holders_.removeAll(nullptr);
    if (!holders_.isEmpty()) return;
    QWidget* menu = menu_();
    // A window that never held it leaves an enabled main window where it is.
    if (!menu || (!held && menu->isEnabled())) return;
    menu->setEnabled(true);
    formkit::bringToFrontLater(menu);
}

bool MenuCover::held() const {
    for (const QPointer<QWidget>& w : holders_) {
        if (w) return true;
    }
    return false;
}

bool MenuCover::eventFilter(QObject* watched, QEvent* event) {
    // A spontaneous hide is the window manager minimising the window: it is still in use.
    if (event->type() == QEvent::Hide && !event->spontaneous())
        release(*static_cast<QWidget*>(watched));
    return QObject::eventFilter(watched, event);
}

void MenuCover::forget(QObject* window) {
    // Gone with the registry or disposed of after it hid: nothing left to give back.
    watched_.remove(window);
    holders_.removeAll(nullptr);
}
