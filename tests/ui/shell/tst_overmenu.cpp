// "One window at a time": the main window disabled while a window covers it, and given back,
// in front with the keyboard, when the last covering window goes, whichever way it went.
#include <QApplication>
#include <QtTest>

#include "support/appfixture.h"
#include "support/wait.h"
#include "ui/shell/fmenu.h"
#include "ui/shell/forms.h"

using namespace testsupport;

class TstOverMenu : public QObject {
    Q_OBJECT
private slots:
    // Steps on two windows A and B, each followed by whether the main window takes the user:
    // s = shown over the main window, o = announced (shows itself later), p = shown plainly,
    // h = hidden, r = says it is done, d = destroyed.
    void sequences_data() {
        QTest::addColumn<QString>("steps");
        QTest::addColumn<QString>("enabled");
        QTest::newRow("shown then hidden") << "sA hA"
                                           << "01";
        QTest::newRow("the last of two gives it back") << "sA sB hA hB"
                                                       << "0001";
        QTest::newRow("in the other order") << "sA sB hB hA"
                                            << "0001";
        QTest::newRow("one hides after showing the next") << "sA sB hA sA hB hA"
                                                          << "000001";
        QTest::newRow("announced, shown later, hidden") << "oA pA hA"
                                                        << "001";
        QTest::newRow("announced, never shown, done") << "oA rA"
                                                      << "01";
        QTest::newRow("done while another holds it") << "sB oA rA hB"
                                                     << "0001";
        QTest::newRow("a stranger's word changes nothing") << "sA rB hA"
                                                           << "001";
        QTest::newRow("a plain window does not hold it") << "pB sA hA hB"
                                                         << "1011";
        QTest::newRow("shown twice, hidden once") << "sA sA hA"
                                                  << "001";
        QTest::newRow("disposed of while shown") << "sA sB dB hA"
                                                 << "0001";
    }
    void sequences() {
        QFETCH(QString, steps);
        QFETCH(QString, enabled);
        AppFixture fx(AppFixture::Ports::Absent);
        FMenu& menu = fx.menu();
        menu.show();
        QPointer<QWidget> windows[2] = {new QWidget, new QWidget};
        const QStringList list = steps.split(' ');
        QCOMPARE(list.size(), enabled.size());
        for (int i = 0; i < list.size(); ++i) {
            QWidget* w = windows[list[i].at(1) == 'B'];
            QVERIFY(w);
            switch (list[i].at(0).toLatin1()) {
                case 's':
                    fx.forms->showOverMenu(*w);
                    break;
                case 'o':
                    fx.forms->holdMenu(*w);
                    break;
                case 'p':
                    w->show();
                    break;
                case 'h':
                    w->hide();
                    break;
                case 'r':
                    fx.forms->releaseMenu(*w);
                    break;
                case 'd':
                    delete w;
                    break;
            }
            QVERIFY2(menu.isEnabled() == (enabled.at(i) == '1'), qPrintable(list[i]));
            QCOMPARE(fx.forms->menuHeld(), !menu.isEnabled());
        }
        for (QWidget* w : windows) delete w;
    }

    // Given back, the main window is in front with the keyboard; not when another window has
    // been shown since (that one is where the user works now).
    void givenBackInFront_data() {
        QTest::addColumn<bool>("otherShownSince");
        QTest::newRow("nothing since") << false;
        QTest::newRow("a window shown since") << true;
    }
    void givenBackInFront() {
        QFETCH(bool, otherShownSince);
        AppFixture fx(AppFixture::Ports::Absent);
        FMenu& menu = fx.menu();
        menu.show();
        QWidget over;
        QWidget other;
        fx.forms->showOverMenu(over);
        QVERIFY(waitFor([&] { return over.isActiveWindow() || !QApplication::activeWindow(); }));
        QApplication::setActiveWindow(&over);
        over.hide();
        if (otherShownSince) {
            other.show();
            QApplication::setActiveWindow(&other);
        }
        QWidget* expected = otherShownSince ? &other : static_cast<QWidget*>(&menu);
        QVERIFY(waitFor([&] { return QApplication::activeWindow() == expected; }));
        settle(50);  // nothing later takes it away
        QCOMPARE(QApplication::activeWindow(), expected);
    }
};

QTEST_MAIN(TstOverMenu)
#include "tst_overmenu.moc"
