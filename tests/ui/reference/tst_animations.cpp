// The two pages that move. Simplex and duplex: the arrows follow the two timers' own ticks, the
// timers alternate, and every way out stops both and starts the next opening from the first
// step. Handshaking: the user plays the receiver; each example starts blocked, RTS at 0 and an
// arrived Xon allow the transmission, RTS at 1 and an arrived Xoff block it, the Xon/Xoff button
// waits for TimerX; a page closed in any way during the wait opens again as new.
#include <QAbstractButton>
#include <QAccessible>
#include <QAction>
#include <QTimer>
#include <QtTest>

#include "support/appfixture.h"
#include "ui/reference/finfo.h"
#include "ui/reference/fmessage.h"
#include "ui/reference/pageindex.h"
#include "ui/shell/fmenu.h"

using namespace testsupport;

namespace {

const QStringList kArrows = {"ImageSimplex", "ImageHalf1", "ImageHalf2", "ImageFull1",
                             "ImageFull2"};

QTimer* timer(QWidget& window, const char* name) {
    return window.findChild<QTimer*>(QString::fromLatin1(name));
}

// A tick as the timer gives it.
void tick(QTimer* t) {
    QVERIFY(QMetaObject::invokeMethod(t, "timeout"));
}

bool shown(QWidget& window, const QString& name) {
    QWidget* w = window.findChild<QWidget*>(name);
    return w && !w->isHidden();
}

QString shownArrows(QWidget& window) {
    QStringList out;
    for (const QString& a : kArrows)
        if (shown(window, a)) out << a;
    return out.join(' ');
}

// Every control of a window as the user and a screen reader find it.
QStringList snapshot(QWidget& window) {
    QStringList out;
    for (QWidget* w : window.findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (w->objectName().isEmpty()) continue;
        const auto* b = qobject_cast<QAbstractButton*>(w);
        out << QStringLiteral("%1 %2 %3 %4 [%5]")
                   .arg(w->objectName(), w->isHidden() ? "hidden" : "shown",
                        w->isEnabled() ? "enabled" : "disabled", b ? b->text() : QString(),
                        w->toolTip());
    }
    return out;
}

struct Fixture {
    AppFixture app{AppFixture::Ports::Absent};
    Fixture() { app.menu().show(); }
    template <class W>
    W& open(const char* page) {
        app.menu().item(QString::fromLatin1(page))->trigger();
        return app.get<W>();
    }
};

}  // namespace

class TstAnimations : public QObject {
    Q_OBJECT
private slots:
    // After a number of half-second ticks from the opening, the arrows shown.
    void arrowsFollowTheTicks_data() {
        QTest::addColumn<int>("ticks");
        QTest::addColumn<QString>("arrows");
        QTest::newRow("opened") << 0 << "";
        QTest::newRow("0.5 s") << 1 << "ImageSimplex";
        QTest::newRow("1 s") << 2 << "";
        QTest::newRow("4.5 s") << 9 << "ImageSimplex";
        QTest::newRow("5.5 s, the pause") << 11 << "";
        QTest::newRow("6.5 s") << 13 << "ImageHalf1";
        QTest::newRow("7 s") << 14 << "ImageHalf2";
        QTest::newRow("10.5 s, once more left to right") << 21 << "ImageHalf1";
        QTest::newRow("11 s") << 22 << "";
        QTest::newRow("12.5 s") << 25 << "ImageFull1 ImageFull2";
        QTest::newRow("13 s") << 26 << "";
        QTest::newRow("18.5 s, the end") << 37 << "";
        QTest::newRow("19.5 s, the next cycle") << 39 << "ImageSimplex";
    }
    void arrowsFollowTheTicks() {
        QFETCH(int, ticks);
        QFETCH(QString, arrows);
        Fixture fx;
        FInfo& w = fx.open<FInfo>("SimplexDuplex");
        QTimer* first = timer(w, "TimerPlex1");
        QTimer* second = timer(w, "TimerPlex2");
        QCOMPARE(first->interval(), 500);
        QCOMPARE(second->interval(), 500);
        for (int i = 0; i < ticks; ++i) {
            // One timer runs at a time, the first on odd half seconds.
            QCOMPARE(first->isActive(), i % 2 == 0);
            QCOMPARE(second->isActive(), i % 2 == 1);
            tick(i % 2 == 0 ? first : second);
        }
        QCOMPARE(shownArrows(w), arrows);
        // An arrow on the screen is one in the tree of assistive technologies, with its name.
        for (const QString& a : kArrows) {
            QAccessibleInterface* acc =
                QAccessible::queryAccessibleInterface(w.findChild<QWidget*>(a));
            QCOMPARE(acc->state().invisible, !shown(w, a));
            QVERIFY(!acc->text(QAccessible::Name).isEmpty());
        }
    }

    // Every way out stops both timers and puts the step back; the next opening starts again.
    void exitsStopTheAnimation_data() {
        QTest::addColumn<QString>("exit");
        for (const char* exit : {"Annuler", "Esc", "close", "example", "hidden", "another page"})
            QTest::newRow(exit) << exit;
    }
    void exitsStopTheAnimation() {
        QFETCH(QString, exit);
        Fixture fx;
        FInfo& w = fx.open<FInfo>("SimplexDuplex");
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QTimer* first = timer(w, "TimerPlex1");
        QTimer* second = timer(w, "TimerPlex2");
        for (int i = 0; i < 13; ++i) tick(i % 2 == 0 ? first : second);
        QCOMPARE(w.plexState().step, 7);
        if (exit == "Annuler") {
            w.findChild<QAbstractButton*>("Annuler")->click();
        } else if (exit == "Esc") {
            QTest::keyClick(&w, Qt::Key_Escape);
        } else if (exit == "close") {
            w.close();
        } else if (exit == "example") {
            w.BPExemple_Click();
        } else if (exit == "hidden") {
            w.hide();
        } else {
            pageindex::open(*fx.app.forms, "Niveaux");
        }
        if (exit != "another page") QTRY_VERIFY(w.isHidden());
        QVERIFY(!first->isActive());
        QVERIFY(!second->isActive());
        QCOMPARE(w.plexState().step, 0);
        QCOMPARE(shownArrows(w), QString());
        fx.app.get<FInfo>().Annuler_Click();
        fx.open<FInfo>("SimplexDuplex");
        QCOMPARE(w.plexState().step, 0);
        QCOMPARE(shownArrows(w), QString());
        QVERIFY(first->isActive() && !second->isActive());
        tick(first);
        QCOMPARE(shownArrows(w), QStringLiteral("ImageSimplex"));
    }

    // The handshake examples. Steps: "r" the RTS button, "x" the Xon/Xoff button, "t" TimerX's
    // tick, "o" the page opened; ways out: "c" Annuler, "e" Esc, "h" the window hidden, "l" the
    // link to another page. `rts` and `xon`: whether the example lets the transmitter send;
    // `opening`: every control as the page opens, texts included (an arrived Xoff words its
    // tooltips in its own way).
    void handshake_data() {
        QTest::addColumn<QString>("steps");
        QTest::addColumn<bool>("rts");
        QTest::addColumn<bool>("xon");
        QTest::addColumn<bool>("waiting");  // an Xon or Xoff on its way
        QTest::addColumn<bool>("opening");
        QTest::newRow("opened: both blocked") << "o" << false << false << false << true;
        QTest::newRow("RTS at 0 allows") << "o r" << true << false << false << false;
        QTest::newRow("RTS back at 1 blocks") << "o r r" << false << false << false << true;
        QTest::newRow("Xon on its way") << "o x" << false << false << true << false;
        QTest::newRow("Xon arrived allows") << "o x t" << false << true << false << false;
        QTest::newRow("Xoff on its way, still allowed")
            << "o x t x" << false << true << true << false;
        QTest::newRow("Xoff arrived blocks") << "o x t x t" << false << false << false << false;
        QTest::newRow("both at once") << "o r x t" << true << true << false << false;
        QTest::newRow("closed during the wait") << "o x c o" << false << false << false << true;
        QTest::newRow("Esc during the wait") << "o x e o" << false << false << false << true;
        QTest::newRow("hidden during the wait") << "o x h o" << false << false << false << true;
        QTest::newRow("link during the wait") << "o x l o" << false << false << false << true;
        QTest::newRow("closed once allowed") << "o r x t c o" << false << false << false << true;
    }
    void handshake() {
        QFETCH(QString, steps);
        QFETCH(bool, rts);
        QFETCH(bool, xon);
        QFETCH(bool, waiting);
        QFETCH(bool, opening);
        Fixture fresh;
        const QStringList atOpening = snapshot(fresh.open<FInfo1>("Handshaking"));
        Fixture fx;
        FInfo1& w = fx.app.get<FInfo1>();
        QTimer* timerX = timer(w, "TimerX");
        auto* bpRts = w.findChild<QAbstractButton*>("BPRTS");
        auto* bpXon = w.findChild<QAbstractButton*>("BPXonXoff");
        for (const QString& step : steps.split(' ')) {
            if (step == "o") fx.open<FInfo1>("Handshaking");
            if (step == "r") bpRts->click();
            if (step == "x") bpXon->click();
            if (step == "t") tick(timerX);
            if (step == "c") w.findChild<QAbstractButton*>("Annuler")->click();
            if (step == "e") QTest::keyClick(&w, Qt::Key_Escape);
            if (step == "h") w.hide();
            if (step == "l") w.findChild<QAbstractButton*>("ImageVoir")->click();
            // Whatever the way out, no tick is left to come.
            if (QStringLiteral("celh").contains(step)) QVERIFY(!timerX->isActive());
        }
        QVERIFY(w.isVisible());
        QCOMPARE(shown(w, "ImageVertRTS"), rts);
        QCOMPARE(shown(w, "ImageRougeRTS"), !rts);
        QCOMPARE(shown(w, "ImageFleche"), rts);
        QCOMPARE(shown(w, "LineRTS"), rts);
        QCOMPARE(shown(w, "ImageVertX"), xon);
        QCOMPARE(shown(w, "ImageRougeX"), !xon);
        QCOMPARE(shown(w, "ImageFlecheD"), xon);
        QCOMPARE(shown(w, "ImageFlecheG"), waiting);
        QCOMPARE(timerX->isActive(), waiting);
        QCOMPARE(bpXon->isEnabled(), !waiting);
        if (waiting) QCOMPARE(timerX->interval(), 2000);
        // Each button says what a press does next, its tooltip too; the line says its level.
        QCOMPARE(bpRts->text(), QString(rts ? "1" : "0"));
        QVERIFY(bpRts->toolTip().contains(bpRts->text()));
        const QString lineTip = w.findChild<QWidget*>("ImageLigne")->toolTip();
        QVERIFY(lineTip.contains(rts ? "0" : "1"));
        QCOMPARE(bpXon->text(), QString(xon ? "Xoff" : "Xon"));
        QVERIFY(bpXon->toolTip().contains(QStringLiteral(" ") + bpXon->text() + " "));
        // Named for assistive technologies as their tooltips say.
        for (QWidget* c : w.findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
            if (c->toolTip().isEmpty()) continue;
            QAccessibleInterface* acc = QAccessible::queryAccessibleInterface(c);
            if (qobject_cast<QAbstractButton*>(c) && !c->objectName().startsWith("Image"))
                QCOMPARE(acc->text(QAccessible::Description), c->toolTip());
            else
                QCOMPARE(acc->text(QAccessible::Name), c->toolTip());
        }
        if (opening) QCOMPARE(snapshot(w), atOpening);
    }

    // The Xon/Xoff button, pressed while its character is on its way, does nothing more.
    void xonXoffWaitsForTheTimer() {
        Fixture fx;
        FInfo1& w = fx.open<FInfo1>("Handshaking");
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        auto* bpXon = w.findChild<QAbstractButton*>("BPXonXoff");
        QTest::mouseClick(bpXon, Qt::LeftButton);
        QVERIFY(!bpXon->isEnabled());
        QTest::mouseClick(bpXon, Qt::LeftButton);
        tick(timer(w, "TimerX"));
        QCOMPARE(bpXon->text(), QStringLiteral("Xoff"));
        QVERIFY(!timer(w, "TimerX")->isActive());
        QCOMPARE(w.focusWidget(), w.findChild<QWidget*>("Annuler"));
    }
};

QTEST_MAIN(TstAnimations)
#include "tst_animations.moc"
