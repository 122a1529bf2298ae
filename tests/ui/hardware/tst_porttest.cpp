// The port test and the properties dialog, on virtual cables and absent devices.
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>

#include "core/accesscode.h"
#include "core/appstate.h"
#include "serial/mscomm.h"
#include "support/appfixture.h"
#include "support/modal.h"
#include "support/virtualcable.h"
#include "support/wait.h"
#include "ui/hardware/porttest.h"
#include "ui/shell/fmenu.h"
#include "ui/shell/forms.h"
#include "ui/shell/fpropri.h"
#include "ui/terminal/femirecep.h"

using namespace testsupport;

namespace {

// Com1: a working cable end; Com2: nothing there; Com3: a folder; Com4: the cable's other end.
struct Lab : AppFixture {
    Lab() {
        QDir(folder()).mkdir("folder");
        cable->writePortMap({{1, cable->endA()},
                             {2, cable->absentDevice()},
                             {3, folder() + "/folder"},
                             {4, cable->endB()}});
        linkconfig::setPort(state.LinkConfig, 1);
        menu().ShowLinkStatus();
        menu().show();
    }
    FPropri& propri() { return get<FPropri>(); }
    MSComm& terminalPort() { return forms->serial(); }
};

}  // namespace

class TstPortTest : public QObject {
    Q_OBJECT
private slots:
    void messages_data() {
        QTest::addColumn<int>("error");
        QTest::addColumn<QString>("message");
        QTest::newRow("8002") << 8002 << "Le port n'existe pas sur cet ordinateur.";
        QTest::newRow("8005") << 8005 << "Le port est déjà affecté à une autre tâche.";
        QTest::newRow("8015") << 8015 << "Cette configuration est impossible sur cet ordinateur.";
        QTest::newRow("other") << 8012 << "";
        QTest::newRow("none") << 0 << "";
    }
    void messages() {
        QFETCH(int, error);
        QFETCH(QString, message);
        QCOMPARE(porttest::messageFor(error), message);
        // The permission case gets its own message, distinct from "in use".
        QVERIFY(!porttest::messageFor(MSComm::comPortAccessDenied).isEmpty());
        QVERIFY(porttest::messageFor(MSComm::comPortAccessDenied) != porttest::messageFor(8005));
    }

    // EssaiPort on each kind of port: its verdict, its message, and the port left closed.
    void essaiPort_data() {
        QTest::addColumn<int>("port");
        QTest::addColumn<bool>("holdElsewhere");
        QTest::addColumn<int>("commError");
        QTest::addColumn<QString>("message");
        QTest::newRow("good cable") << 1 << false << 0 << "";
        QTest::newRow("absent device")
            << 2 << false << 1 << "Le port n'existe pas sur cet ordinateur.";
        QTest::newRow("a folder") << 3 << false << 1 << "Le port n'existe pas sur cet ordinateur.";
        QTest::newRow("held open elsewhere")
            << 1 << true << 1 << "Le port est déjà affecté à une autre tâche.";
    }
    void essaiPort() {
        QFETCH(int, port);
        QFETCH(bool, holdElsewhere);
        QFETCH(int, commError);
        QFETCH(QString, message);
        Lab lab;
        QVERIFY2(lab.isReady(), qPrintable(lab.errorString()));
        MSComm other;  // another user of the same device (the console's control, say)
        if (holdElsewhere) {
            other.setPortMapDirectory(lab.folder());
            other.setCommPort(port);
            other.setSettings("9600,N,8,1");
            QCOMPARE(other.setPortOpen(true), MSComm::NoError);
        }
        linkconfig::setPort(lab.state.LinkConfig, port);
        QString seen;
        if (!message.isEmpty()) onNextModal(pressEnter(&seen));
        const int beeps = lab.forms->beepCount();
        lab.menu().EssaiPort();
        QCOMPARE(lab.state.CommError, commError);
        QCOMPARE(seen, message);
        QCOMPARE(lab.forms->beepCount(), beeps + (message.isEmpty() ? 0 : 1));
        QVERIFY(!lab.terminalPort().PortOpen());
        QVERIFY(lab.menu().isEnabled());
        QCOMPARE(lab.state.PortSettings, QStringLiteral("9600,E,7,1"));
        QCOMPARE(lab.terminalPort().CommPort(), port);
        QCOMPARE(lab.terminalPort().Settings(), QStringLiteral("9600,E,7,1"));
        // The other user's port was not disturbed.
        if (holdElsewhere) QVERIFY(other.PortOpen());
    }

    // A malformed line of ports.232 for the port: missing, and the message names the line.
    void malformedPortLine() {
        Lab lab;
        QVERIFY(lab.isReady());
        lab.writeFile("ports.232", QByteArray("Com1=/dev/null\nCom3=\n"));
        linkconfig::setPort(lab.state.LinkConfig, 3);
        QString seen;
        onNextModal(pressEnter(&seen));
        lab.menu().EssaiPort();
        QCOMPARE(lab.state.CommError, 1);
        QVERIFY2(seen.startsWith(porttest::messageFor(MSComm::comPortInvalid)), qPrintable(seen));
        QVERIFY2(seen.contains("ligne 2"), qPrintable(seen));
    }

    // Every configuration the menu can make works over a virtual cable.
    void everyFormatOnACable() {
        Lab lab;
        QVERIFY(lab.isReady());
        linkconfig::setPort(lab.state.LinkConfig, 1);
        for (int bits = 4; bits <= 8; ++bits) {
            for (const char* stop : {"1", "1.5", "2"}) {
                linkconfig::setDataBits(lab.state.LinkConfig, bits);
                linkconfig::setStopBits(lab.state.LinkConfig, stop);
                lab.menu().EssaiPort();
                QVERIFY2(lab.state.CommError == 0, qPrintable(lab.state.PortSettings));
            }
        }
    }

    void propertiesShowTheConfiguration() {
        Lab lab;
        LinkRecord& c = lab.state.LinkConfig;
        linkconfig::setPort(c, 4);
        linkconfig::setSpeed(c, "19200");
        linkconfig::setDataBits(c, 5);
        linkconfig::setParityByLetter(c, "M");
        linkconfig::setStopBits(c, "1.5");
        linkconfig::setProtocol(c, serial::Handshaking::RtsCts, linkconfig::ProtocolSpelling::Menu);
        for (bool dtr : {false, true}) {
            lab.terminalPort().setDTREnable(dtr);
            lab.propri().LigneDTR->setChecked(!dtr);  // whatever the box held last time
            lab.menu().Propriete_Click();
            FPropri& p = lab.propri();
            QVERIFY(p.isVisible());
            QVERIFY(!lab.menu().isEnabled());
            QCOMPARE(p.Port->currentText(), QStringLiteral("Com4"));
            QCOMPARE(p.Speed->currentText(), QStringLiteral("19200"));
            QCOMPARE(p.DataBits->currentText(), QStringLiteral("5"));
            QCOMPARE(p.Parity->currentText(), QStringLiteral("marque"));
            QCOMPARE(p.StopBits->currentText(), QStringLiteral("1.5"));
            QVERIFY(p.Protocole[2]->isChecked());
            QCOMPARE(p.LigneDTR->isChecked(), dtr);
            QCOMPARE(p.Port->count(), 4);
            QCOMPARE(p.Speed->count(), 10);
            QCOMPARE(p.Parity->itemText(0), QStringLiteral("aucune"));
            p.OK_Click();  // Com4 works: the dialog closes
            QVERIFY(!p.isVisible());
            QVERIFY(lab.menu().isEnabled());
        }
    }

    // OK writes every field, then stays open until the port test passes.
    void okStaysOpenUntilThePortWorks() {
        Lab lab;
        lab.menu().Propriete_Click();
        FPropri& p = lab.propri();
        p.Port->setCurrentText("Com2");  // nothing there
        p.Speed->setCurrentText("2400");
        p.DataBits->setCurrentText("8");
        p.Parity->setCurrentText("impaire");
        p.StopBits->setCurrentText("2");
        p.Protocole[3]->setChecked(true);
        p.LigneDTR->setChecked(false);
        QString seen;
        onNextModal(pressEnter(&seen));
        p.OK->click();
        QCOMPARE(seen, QStringLiteral("Le port n'existe pas sur cet ordinateur."));
        QVERIFY(p.isVisible());
        QVERIFY(!lab.menu().isEnabled());  // the dialog keeps the main window disabled
        QCOMPARE(lab.menu().Text1->text(),
                 QStringLiteral("Port Com2,  2400 bauds,  8 bits,  parité impaire,  2 stop(s),  "
                                "protocole RTS-CTS et Xon-Xoff ."));
        QCOMPARE(lab.state.LinkConfig.MaxCodeHex, QStringLiteral("FF"));
        QCOMPARE(lab.state.LinkConfig.Handshake, serial::Handshaking::RtsCtsXonXoff);
        QVERIFY(!lab.terminalPort().DTREnable());

        p.Port->setCurrentText("Com1");
        p.OK->click();
        QCOMPARE(lab.state.CommError, 0);
        QVERIFY(!p.isVisible());
        QVERIFY(lab.menu().isEnabled());
        QCOMPARE(lab.state.LinkConfig.PortNumber, 1);
        QVERIFY(!lab.terminalPort().PortOpen());
    }

    // Driven by the keyboard alone: the dialog opens with the keyboard on its first list, Enter
    // validates as OK does, Esc and the window manager's close leave it open.
    void keyboardOnly() {
        Lab lab;
        lab.menu().Propriete_Click();
        FPropri& p = lab.propri();
        QVERIFY(QTest::qWaitForWindowActive(&p));
        QWidget* focus = QApplication::focusWidget();
        QVERIFY(focus && p.isAncestorOf(focus));
        QTest::keyClick(focus, Qt::Key_Escape);
        QVERIFY(!p.close());
        QVERIFY(p.isVisible());

        // The port list has the keyboard: down to Com2, where there is nothing.
        QTest::keyClick(focus, Qt::Key_Down);
        QString seen;
        onNextModal(pressEnter(&seen));
        QTest::keyClick(focus, Qt::Key_Return);
        QCOMPARE(seen, QStringLiteral("Le port n'existe pas sur cet ordinateur."));
        QVERIFY(p.isVisible());
        QCOMPARE(lab.state.LinkConfig.PortName, QStringLiteral("Com2"));

        // To the last port, the cable's other end: Enter closes the dialog.
        QVERIFY(QTest::qWaitForWindowActive(&p));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_End);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QVERIFY(waitFor([&] { return !p.isVisible(); }));
        QCOMPARE(lab.state.LinkConfig.PortName, QStringLiteral("Com4"));
        QCOMPARE(lab.state.CommError, 0);
        QVERIFY(lab.menu().isEnabled());
    }

    // A list with no entry chosen leaves its part of the configuration as it was; the RTS line
    // set by the protocol menu is not touched by the dialog.
    void unmatchedListKeepsItsPart() {
        Lab lab;
        linkconfig::setPort(lab.state.LinkConfig, 1);
        lab.menu().RTS_Click();
        QVERIFY(lab.terminalPort().RTSEnable());
        lab.menu().Propriete_Click();
        FPropri& p = lab.propri();
        p.Speed->setCurrentIndex(-1);
        p.Parity->setCurrentIndex(-1);
        p.Protocole[0]->setChecked(true);
        p.OK_Click();
        QCOMPARE(lab.state.LinkConfig.Speed, QStringLiteral("9600"));
        QCOMPARE(lab.state.LinkConfig.ParityName, QStringLiteral("paire"));
        QCOMPARE(lab.state.LinkConfig.Handshake, serial::Handshaking::None);
        QVERIFY(lab.terminalPort().RTSEnable());
    }

    // A port, data-bits or stop-bits item refreshes the dialog's fields.
    void menuItemsRefreshTheDialog() {
        Lab lab;
        lab.menu().Propriete_Click();
        lab.propri().OK_Click();
        lab.menu().COM4_Click();
        QCOMPARE(lab.propri().Port->currentText(), QStringLiteral("Com4"));
        lab.menu().Bit6_Click();
        QCOMPARE(lab.propri().DataBits->currentText(), QStringLiteral("6"));
        lab.menu().Stop2_Click();
        QCOMPARE(lab.propri().StopBits->currentText(), QStringLiteral("2"));
    }
};

QTEST_MAIN(TstPortTest)
#include "tst_porttest.moc"
