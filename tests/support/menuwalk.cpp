#include "support/menuwalk.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QWidget>

namespace testsupport {
namespace {

QList<QAction*> itemsOf(const QList<QAction*>& actions) {
    QList<QAction*> out;
    for (QAction* a : actions) {
        if (a->isSeparator()) continue;
        if (a->menu())
            out << itemsOf(a->menu()->actions());
        else
            out << a;
    }
    return out;
}

QList<QAction*> lastOf(const QList<QAction*>& actions) {
    QList<QAction*> out;
    for (QAction* a : actions) {
        if (!a->menu()) continue;
        out << lastOf(a->menu()->actions());
        QList<QAction*> leaves;
        for (QAction* b : a->menu()->actions())
            if (!b->menu() && !b->isSeparator()) leaves << b;
        if (leaves.size() > 1) out << leaves.last();
    }
    return out;
}

}  // namespace

QList<QAction*> menuItems(const QMenuBar* bar) {
    return itemsOf(bar->actions());
}

QList<QAction*> lastChoices(const QMenuBar* bar) {
    return lastOf(bar->actions());
}

WindowCloser::WindowCloser(QWidget* mainWindow) : main_(mainWindow) {
    connect(&pump_, &QTimer::timeout, this, &WindowCloser::closeWhatCameUp);
    pump_.start(20);
}

QStringList WindowCloser::stillShown() const {
    QStringList names;
    for (QWidget* w : shownOthers()) names << w->objectName();
    return names;
}

QList<QWidget*> WindowCloser::shownOthers() const {
    QList<QWidget*> out;
    for (QWidget* w : QApplication::topLevelWidgets()) {
        const Qt::WindowType type = w->windowType();
        if (w == main_ || !w->isVisible() || type == Qt::Popup || type == Qt::ToolTip) continue;
        out << w;
    }
    return out;
}

void WindowCloser::closeWhatCameUp() {
    // Only the look at a window holds the closer back: an answer may bring up another window,
    // in a loop of its own, which is answered in turn.
    if (looking_) return;
    for (QPointer<QWidget> w : shownOthers()) {
        if (w && !seen.contains(w->objectName())) {
            seen << w->objectName();
            looking_ = true;
            if (onFirstSight) onFirstSight(w);
            looking_ = false;
        }
        if (w && w->isVisible()) answer(w);
    }
}

void WindowCloser::answer(QWidget* w) {
    const int tries = ++tries_[w];
    if (tries <= kEscapes) {
        QPointer<QWidget> target = w->focusWidget() ? w->focusWidget() : w;
        QTest::keyClick(target.data(), Qt::Key_Escape);
    } else if (tries == kEscapes + 1) {
        w->close();
    } else {
        tries_.remove(w);
        if (QPushButton* way = wayOut(w)) way->click();
    }
}

QPushButton* WindowCloser::wayOut(QWidget* w) {
    auto* cancel = w->findChild<QPushButton*>(QStringLiteral("Annuler"));
    if (cancel && cancel->isVisible()) return cancel;
    for (QPushButton* b : w->findChildren<QPushButton*>())
        if (b->isDefault() && b->isVisible()) return b;
    return nullptr;
}

}  // namespace testsupport
