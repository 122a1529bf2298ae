// A walk through every item of every menu of the main window, on the lab's line: each item opens
// a window (or a dialog), or changes the link's configuration. Every window that comes up is
// closed again, which must give the main window back, so that the walk goes on.
#include <QAction>
#include <QMenuBar>
#include <QtTest>

#include "support/appfixture.h"
#include "support/menuwalk.h"
#include "support/wait.h"
#include "ui/shell/fmenu.h"

using namespace testsupport;

class TstMenuWalk : public QObject {
    Q_OBJECT
private slots:
    void everyItemDoesItsWork() {
        AppFixture fx(AppFixture::Ports::Lab);
        QVERIFY2(fx.isReady(), qPrintable(fx.errorString()));
        FMenu& menu = fx.menu();
        menu.show();
        QVERIFY(QTest::qWaitForWindowExposed(&menu));
        WindowCloser closer(&menu);
        const auto givenBack = [&] { return !closer.othersShown() && menu.isEnabled(); };
        // Each submenu starts on its last choice, so that each of its items, taken in order,
        // changes something; from the end, since a window may set the configuration it needs
        // (the console does).
        const QList<QAction*> choices = lastChoices(menu.menuBar());
        for (auto it = choices.rbegin(); it != choices.rend(); ++it) {
            (*it)->trigger();
            QVERIFY2(waitFor(givenBack),
                     qPrintable((*it)->objectName() + ": " + closer.stillShown().join(", ")));
        }
        const QList<QAction*> items = menuItems(menu.menuBar());
        QVERIFY(items.size() > choices.size());
        QStringList idle, notGivenBack;
        for (QAction* item : items) {
            QVERIFY2(menu.isEnabled(), qPrintable(item->objectName()));
            const LinkRecord before = fx.state.LinkConfig;
            closer.seen.clear();
            item->trigger();
            const bool worked = waitFor(
                [&] { return !closer.seen.isEmpty() || !(fx.state.LinkConfig == before); }, 3000);
            if (!worked) idle << item->objectName();
            if (!waitFor(givenBack))
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
