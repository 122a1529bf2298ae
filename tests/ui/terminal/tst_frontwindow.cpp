// On a real display, with a window manager and without one: after the first prompt of each
// emission item opened from the menu, the terminal is the top window and has the keyboard; after
// its "Annuler", the main window is. The same for a guide and the wiring window that takes its
// place. What the X server says is checked, not only what Qt thinks.
#include <QApplication>
#include <QPushButton>
#include <QtTest>

#include "support/appfixture.h"
#include "support/modal.h"
#include "support/wait.h"
#include "support/xdisplay.h"
#include "ui/hardware/fautotest.h"
#include "ui/hardware/fbrcable.h"
#include "ui/hardware/fessai2pc.h"
#include "ui/hardware/feuille.h"
#include "ui/shell/fmenu.h"
#include "ui/terminal/femirecep.h"

using namespace testsupport;
namespace x = testsupport::xdisplay;

namespace {

// How long the windows are left alone before the second look: longer than the few events after
// a dialog has gone in which a window may still be raised over the one in front.
constexpr int kSettleMs = 300;

// `w` is the top window, active for Qt, and has the X keyboard focus (and is the window
// manager's active window, when one runs).
bool inFront(const QWidget& w) {
    const quint32 id = x::idOf(w);
    const bool wmActive = !x::hasWindowManager() || x::activeWindow() == id;
    return w.isVisible() && x::topWindow() == id && x::inputFocus() == id &&
           QApplication::activeWindow() == &w && wmActive;
}

// In front now and still after a while.
bool staysInFront(const QWidget& w) {
    if (!waitFor([&] { return inFront(w); })) return false;
    settle(kSettleMs);
    return inFront(w);
}

}  // namespace

class TstFrontWindow : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        if (!x::available()) QSKIP("needs an X display (the xcb platform)");
        const bool wanted = qEnvironmentVariableIntValue("SERLINQ_WINDOW_MANAGER") == 1;
        // The window manager may still be starting.
        QVERIFY2(waitFor([&] { return x::hasWindowManager() == wanted; }),
                 wanted ? "no window manager on the display" : "a window manager is running");
    }

    void firstEmission_data() {
        QTest::addColumn<QString>("item");
        QTest::addColumn<QString>("entry");
        QTest::newRow("keyboard character") << "Ascii"
                                            << "k";
        QTest::newRow("decimal code") << "Decimal"
                                      << "100";
        QTest::newRow("hexadecimal code") << "Hexadecimal"
                                          << "3F";
        QTest::newRow("string") << "Chaine"
                                << "Un essai";
        QTest::newRow("repeated character") << "Identique"
                                            << "55";
    }
    void firstEmission() {
        QFETCH(QString, item);
        QFETCH(QString, entry);
        AppFixture app(AppFixture::Ports::Loopback);
        QVERIFY2(app.isReady(), qPrintable(app.errorString()));
        FMenu& menu = app.menu();
        menu.ShowLinkStatus();
        menu.show();
        menu.raise();
        menu.activateWindow();
        QVERIFY2(staysInFront(menu), qPrintable(x::describe()));

        FEmiRecep& terminal = app.get<FEmiRecep>();
        onNextModal(typeAndEnter(entry));
        menu.item(item)->trigger();
        QCOMPARE(pendingModalAnswers(), 0);
        QVERIFY2(staysInFront(terminal), qPrintable(x::describe()));
        QVERIFY(!menu.isEnabled());
        QWidget* focus = QApplication::focusWidget();
        QVERIFY(focus && terminal.isAncestorOf(focus));

        terminal.Annuler->click();
        QVERIFY2(staysInFront(menu), qPrintable(x::describe()));
        QVERIFY(menu.isEnabled());
    }

    // A guide from the menu, then its wiring window in its place, then the main window again:
    // each in front with the keyboard on its Annuler.
    void guideAndWiring_data() {
        QTest::addColumn<QString>("item");
        QTest::newRow("self-test") << "AutoTest";
        QTest::newRow("two computers") << "DeuxOrdinateurs";
    }
    void guideAndWiring() {
        QFETCH(QString, item);
        AppFixture app(AppFixture::Ports::Absent);
        FMenu& menu = app.menu();
        menu.show();
        menu.activateWindow();
        QVERIFY2(staysInFront(menu), qPrintable(x::describe()));
        auto annulerHasKeyboard = [](QWidget& w) {
            QWidget* focus = QApplication::focusWidget();
            return focus && focus->parentWidget() == &w && focus->objectName() == "Annuler";
        };
        menu.item(item)->trigger();
        FEssai2PC& guide = app.get<FEssai2PC>();
        QVERIFY2(staysInFront(guide), qPrintable(x::describe()));
        QVERIFY(annulerHasKeyboard(guide));
        guide.findChild<QAbstractButton*>("BrochageCable")->click();
        QWidget& wiring = item == "AutoTest" ? static_cast<QWidget&>(app.get<FAutoTest>())
                                             : static_cast<QWidget&>(app.get<FBrCable>());
        QVERIFY2(staysInFront(wiring), qPrintable(x::describe()));
        QVERIFY(annulerHasKeyboard(wiring));
        QVERIFY(!menu.isEnabled());
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
        QVERIFY2(staysInFront(menu), qPrintable(x::describe()));
        QVERIFY(menu.isEnabled());
    }

    // The test board's sheet: in front with the keyboard when it opens, its views gone through
    // from the keyboard, and the main window in front again after Esc.
    void boardSheet() {
        AppFixture app(AppFixture::Ports::Absent);
        FMenu& menu = app.menu();
        menu.ShowLinkStatus();
        menu.show();
        menu.raise();
        menu.activateWindow();
        QVERIFY2(staysInFront(menu), qPrintable(x::describe()));
        Feuille& sheet = app.get<Feuille>();
        sheet.showBoard();
        QVERIFY2(staysInFront(sheet), qPrintable(x::describe()));
        QVERIFY(!menu.isEnabled());
        const QString first = sheet.windowTitle();
        QWidget* focus = QApplication::focusWidget();
        QVERIFY(focus && sheet.isAncestorOf(focus));
        QTest::keyClick(focus, Qt::Key_Space);
        QVERIFY(sheet.windowTitle() != first);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
        QVERIFY2(staysInFront(menu), qPrintable(x::describe()));
        QVERIFY(menu.isEnabled());
        QVERIFY(sheet.isHidden());
    }
};

QTEST_MAIN(TstFrontWindow)
#include "tst_frontwindow.moc"
