// A walk through every item of every menu of the main window, on the lab's line: each item opens
// a window (or a dialog), or changes the link's configuration. Every window that comes up is
// closed again with Esc, which must give the main window back, so that the walk goes on.
#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QPushButton>
#include <QSet>
#include <QTimer>
#include <QtTest>

#include "support/appfixture.h"
#include "support/wait.h"
#include "ui/shell/fmenu.h"

using namespace testsupport;

namespace {

// The items of a menu bar, depth first, in display order; submenus are not items.
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

// The last item of each menu or submenu that holds more than one.
QList<QAction*> lastChoices(const QList<QAction*>& actions) {
    QList<QAction*> out;
    for (QAction* a : actions) {
        if (!a->menu()) continue;
        out << lastChoices(a->menu()->actions());
        QList<QAction*> leaves;
        for (QAction* b : a->menu()->actions())
            if (!b->menu() && !b->isSeparator()) leaves << b;
        if (leaves.size() > 1) out << leaves.last();
    }
    return out;
}

// Notes every window that comes up over the main window and answers it with Esc, in whatever
// event loop the program is waiting (a dialog's, a reception's). A window for which Esc is a key
// like any other is closed as the window manager closes it; one that has no close box either,
// through its "Annuler" button (the terminal) or its default button (the properties dialog).
class Closer : public QObject {
public:
    explicit Closer(QWidget* mainWindow) : main_(mainWindow) {
        connect(&pump_, &QTimer::timeout, this, &Closer::closeWhatCameUp);
        pump_.start(20);
    }
    QStringList seen;

    bool othersShown() const { return !shownOthers().isEmpty(); }
    QStringList stillShown() const {
        QStringList names;
        for (QWidget* w : shownOthers()) names << w->objectName();
        return names;
    }

private:
    QList<QWidget*> shownOthers() const {
        QList<QWidget*> out;
        for (QWidget* w : QApplication::topLevelWidgets()) {
            const Qt::WindowType type = w->windowType();
            if (w == main_ || !w->isVisible() || type == Qt::Popup || type == Qt::ToolTip) continue;
            out << w;
        }
        return out;
    }
    void closeWhatCameUp() {
        for (QWidget* w : shownOthers()) {
            if (!seen.contains(w->objectName())) seen << w->objectName();
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
    }
    static QPushButton* wayOut(QWidget* w) {
        auto* cancel = w->findChild<QPushButton*>(QStringLiteral("Annuler"));
        if (cancel && cancel->isVisible()) return cancel;
        for (QPushButton* b : w->findChildren<QPushButton*>())
            if (b->isDefault() && b->isVisible()) return b;
        return nullptr;
    }
    static constexpr int kEscapes = 5;
    QWidget* main_;
    QTimer pump_;
    QHash<QWidget*, int> tries_;
};

}  // namespace

class TstMenuWalk : public QObject {
    Q_OBJECT
private slots:
    void everyItemDoesItsWork() {
        AppFixture fx(AppFixture::Ports::Lab);
        QVERIFY2(fx.isReady(), qPrintable(fx.errorString()));
        FMenu& menu = fx.menu();
        menu.show();
        QVERIFY(QTest::qWaitForWindowExposed(&menu));
        Closer closer(&menu);
        const QList<QAction*> bar = menu.menuBar()->actions();
        // Each submenu starts on its last choice, so that each of its items, taken in order,
        // changes something; from the end, since a window may set the configuration it needs
        // (the console does).
        const QList<QAction*> choices = lastChoices(bar);
        for (auto it = choices.rbegin(); it != choices.rend(); ++it) {
            QAction* a = *it;
            a->trigger();
            QVERIFY2(waitFor([&] { return !closer.othersShown() && menu.isEnabled(); }),
                     qPrintable(a->objectName() + ": " + closer.stillShown().join(", ")));
        }
        const QList<QAction*> items = itemsOf(bar);
        QVERIFY(items.size() > 1);
        QStringList idle, notGivenBack;
        for (QAction* item : items) {
            QVERIFY2(menu.isEnabled(), qPrintable(item->objectName()));
            const LinkRecord before = fx.state.LinkConfig;
            closer.seen.clear();
            item->trigger();
            const bool worked = waitFor(
                [&] { return !closer.seen.isEmpty() || !(fx.state.LinkConfig == before); }, 3000);
            if (!worked) idle << item->objectName();
            if (!waitFor([&] { return !closer.othersShown() && menu.isEnabled(); }))
                notGivenBack << item->objectName() + " (" + closer.stillShown().join(", ") + ")";
            qInfo("%s: %s", qPrintable(item->objectName()),
                  qPrintable(closer.seen.isEmpty() ? QStringLiteral("configuration")
                                                   : closer.seen.join(", ")));
        }
        QVERIFY2(idle.isEmpty(), qPrintable(idle.join(", ")));
        QVERIFY2(notGivenBack.isEmpty(), qPrintable(notGivenBack.join(", ")));
    }
};

QTEST_MAIN(TstMenuWalk)
#include "tst_menuwalk.moc"
