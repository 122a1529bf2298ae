// The terminal window on a virtual cable: line errors and modem-line notices, single-character
// reception with its timing diagram, string reception, and the two displays of the exchange.
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <QToolButton>
#include <QtTest>

#include "core/accesscode.h"
#include "core/appstate.h"
#include "core/codepage.h"
#include "core/eventtexts.h"
#include "core/linkconfig.h"
#include "serial/mscomm.h"
#include "support/appfixture.h"
#include "support/modal.h"
#include "support/virtualcable.h"
#include "support/wait.h"
#include "ui/shell/fmenu.h"
#include "ui/shell/forms.h"
#include "ui/shell/svgpicture.h"
#include "ui/terminal/codetable.h"
#include "ui/terminal/femirecep.h"
#include "ui/terminal/receptionview.h"

using namespace testsupport;

namespace {

// The terminal on Com2 (end B of the fixture's cable); a peer control on Com1 (end A) plays the
// other computer.
struct Bench : AppFixture {
    PeerPort peerPort;
    QByteArray& peerReceived = peerPort.received;

    explicit Bench(int dataBits = 7)
        : peerPort(folder(), 1, QStringLiteral("9600,E,%1,1").arg(dataBits)) {
        linkconfig::setDataBits(state.LinkConfig, dataBits);
    }
    FEmiRecep& terminal() { return get<FEmiRecep>(); }
    // Puts the terminal in a mode as the menu would: main window disabled, port open.
    void enterMode(int AppState::*flag, int value) {
        state.*flag = value;
        menu().setEnabled(false);
        terminal().Ouvreport();
        terminal().MSComm1->setRThreshold(1);
        terminal().show();
    }
    void send(const QByteArray& bytes) { peerPort.send(bytes); }
    QString received() {
        return state.DuplexDisplay == AppState::kDisplayCodes
                   ? terminal().TableReception->toPlainText()
                   : terminal().TexteReception->toPlainText();
    }
};

}  // namespace

class TstTerminal : public QObject {
    Q_OBJECT
private slots:
    void eventTexts_data() {
        QTest::addColumn<int>("event");
        QTest::addColumn<bool>("error");
        QTest::addColumn<QString>("start");
        QTest::newRow("1001") << 1001 << true << "Un signal Break a été reçu.";
        QTest::newRow("1002") << 1002 << true << "Délai d'attente dépassé. La ligne Prêt à émettre";
        QTest::newRow("1003") << 1003 << true << "Délai d'attente dépassé. La ligne Modem Prêt";
        QTest::newRow("1004") << 1004 << true << "Erreur de dépassement du délai imparti.";
        QTest::newRow("1005") << 1005 << false << "";
        QTest::newRow("1006") << 1006 << true << "Dépassement de la capacité du port.";
        QTest::newRow("1007") << 1007 << true << "Délai d'attente dépassé. La ligne Détection";
        QTest::newRow("1008") << 1008 << true
                              << "Dépassement de la capacité du tampon de réception.";
        QTest::newRow("1009") << 1009 << true << "Erreur de parité.";
        QTest::newRow("1010") << 1010 << true << "Tampon de transmission plein.";
        QTest::newRow("1011") << 1011 << true << "Erreur inattendue lors de l'extraction";
        QTest::newRow("lost port")
            << int(serial::comEventPortLost) << true << "La liaison avec le port";
        QTest::newRow("2") << 2 << false << "";
        QTest::newRow("3") << 3 << false << "";
    }
    void eventTexts() {
        QFETCH(int, event);
        QFETCH(bool, error);
        QFETCH(QString, start);
        const QString message = eventtexts::errorMessage(event);
        QCOMPARE(!message.isEmpty(), error);
        if (error) QVERIFY(message.startsWith(start));
    }

    void lineNotices_data() {
        QTest::addColumn<int>("event");
        QTest::addColumn<bool>("changes");
        QTest::addColumn<QString>("notice");
        QTest::newRow("sent clears") << 1 << true << "";
        QTest::newRow("CTS") << 3 << true << "Changement d'état de la ligne Prêt à émettre (CTS).";
        QTest::newRow("DSR") << 4 << true << "Changement d'état de la ligne Modem prêt (DSR).";
        QTest::newRow("CD") << 5 << true
                            << "Changement d'état de la ligne Détection de porteuse (CD).";
        QTest::newRow("ring") << 6 << true << "Sonnerie détectée (RI).";
        QTest::newRow("received") << 2 << false << "";
        QTest::newRow("1005") << 1005 << false << "";
    }
    void lineNotices() {
        QFETCH(int, event);
        QFETCH(bool, changes);
        QFETCH(QString, notice);
        const auto got = eventtexts::lineNotice(event);
        QCOMPARE(got.has_value(), changes);
        if (got) QCOMPARE(*got, notice);
    }

    void codeRows_data() {
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("aspect");
        QTest::addColumn<QString>("row");
        QTest::newRow("A") << 65 << "A"
                           << "   65\t\t\t41\t\t\t\t101\t\t\tA\r\n";
        QTest::newRow("é") << 233 << "é"
                           << "   233\t\t\tE9\t\t\t\t351\t\t\té\r\n";
        QTest::newRow("DEL") << 127 << ""
                             << "   127\t\t\t7F\t\t\t\t177\t\t\t\r\n";
        QTest::newRow("NUL") << 0 << ""
                             << "   0\t\t\t0\t\t\t\t0\t\t\t\r\n";
    }
    void codeRows() {
        QFETCH(int, code);
        QFETCH(QString, aspect);
        QFETCH(QString, row);
        QCOMPARE(eventtexts::codeRow(code, aspect), row);
    }

    // A line error: its message, "ERREUR" sent to the other end, and back to the menu.
    void lineErrorEndsTheMode_data() {
        QTest::addColumn<int>("event");
        for (int e : {1001, 1002, 1003, 1004, 1006, 1007, 1008, 1009, 1010, 1011})
            QTest::addRow("%d", e) << e;
    }
    void lineErrorEndsTheMode() {
        QFETCH(int, event);
        Bench b;
        QVERIFY2(b.isReady(), qPrintable(b.errorString()));
        b.enterMode(&AppState::DuplexDisplay, 1);
        QVERIFY(b.terminal().MSComm1->PortOpen());
        QString message;
        onNextModal(pressEnter(&message));
        b.terminal().MSComm1->injectEvent(event);
        QVERIFY(waitFor([&] { return !b.terminal().isVisible(); }));
        QCOMPARE(message, eventtexts::errorMessage(event));
        QCOMPARE(b.state.CommError, 1);
        QVERIFY(b.menu().isEnabled());
        QVERIFY(!b.terminal().MSComm1->PortOpen());
        QCOMPARE(b.state.DuplexDisplay, 0);
        QVERIFY(waitFor([&] { return b.peerReceived.size() >= 6; }));
        QCOMPARE(b.peerReceived, QByteArray("ERREUR"));
    }

    // On the lab's line, a far end at half the terminal's speed: the terminal reads framing
    // errors, says so, and sends "ERREUR" once the far end is set right.
    void mismatchedSpeedsOnTheLabLine() {
        AppFixture app(AppFixture::Ports::Lab);
        QVERIFY2(app.isReady(), qPrintable(app.errorString()));
        linkconfig::setParityByLetter(app.state.LinkConfig, "N");
        linkconfig::setDataBits(app.state.LinkConfig, 8);
        auto& t = app.get<FEmiRecep>();
        app.state.DuplexDisplay = 1;
        app.menu().setEnabled(false);
        t.Ouvreport();
        t.MSComm1->setRThreshold(1);
        t.show();
        MSComm peer;
        QByteArray peerReceived;
        peer.setPortMapDirectory(app.folder());
        peer.setCommPort(3);
        peer.setSettings("4800,N,8,1");
        peer.setRThreshold(1);
        QObject::connect(&peer, &MSComm::OnComm, &peer, [&] {
            if (peer.CommEvent() == serial::comEvReceive) peerReceived += peer.InputBytes();
        });
        QCOMPARE(peer.setPortOpen(true), MSComm::NoError);
        QString message;
        onNextModal([&](QWidget* dialog) {
            peer.setPortOpen(false);
            peer.setSettings("9600,N,8,1");
            peer.setPortOpen(true);
            pressEnter (&message)(dialog);
        });
        peer.setOutput("A");
        QVERIFY(waitFor([&] { return !t.isVisible(); }));
        QCOMPARE(message, eventtexts::errorMessage(serial::comEventFrame));
        QVERIFY(waitFor([&] { return peerReceived.size() >= 6; }));
        QCOMPARE(peerReceived, QByteArray("ERREUR"));
    }

    // Pulling the cable out while the terminal listens: one message, back to the menu.
    void lostPort() {
        Bench b;
        QVERIFY(b.isReady());
        b.enterMode(&AppState::StringReceptionMode, 1);
        QString message;
        onNextModal(pressEnter(&message));
        b.cable->unplug();
        QVERIFY(waitFor([&] { return !b.terminal().isVisible(); }));
        QCOMPARE(message, eventtexts::errorMessage(serial::comEventPortLost));
        QVERIFY(b.menu().isEnabled());
        QVERIFY(!b.terminal().MSComm1->PortOpen());
        QCOMPARE(pendingModalAnswers(), 0);
    }

    // A modem-line event writes its notice, cleared two seconds later; 1005 does nothing.
    void modemLineNotice() {
        Bench b;
        b.enterMode(&AppState::DuplexDisplay, 2);
        FEmiRecep& t = b.terminal();
        const int beeps = b.forms->beepCount();
        t.MSComm1->injectEvent(serial::comEvCTS);
        QVERIFY(waitFor([&] { return !t.TextLine->text().isEmpty(); }));
        QCOMPARE(t.TextLine->text(),
                 QStringLiteral("Changement d'état de la ligne Prêt à émettre (CTS)."));
        // Read from its start, however narrow the line, and whole for screen readers.
        QCOMPARE(t.TextLine->cursorPosition(), 0);
        QCOMPARE(t.TextLine->accessibleDescription(), t.TextLine->text());
        QVERIFY(t.TimerMessage->isActive());
        t.MSComm1->injectEvent(1005);
        settle(100);
        QVERIFY(!t.TextLine->text().isEmpty());
        QVERIFY(t.isVisible());
        QCOMPARE(b.state.CommError, 0);
        QVERIFY(waitFor([&] { return t.TextLine->text().isEmpty(); }, 4000));
        QVERIFY(!t.TimerMessage->isActive());
        QCOMPARE(b.forms->beepCount(), beeps);
    }

    // Single-character reception: the first character's diagram, after a one-second wait that
    // gathers what follows it.
    void characterReception_data() {
        QTest::addColumn<QByteArray>("sent");
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("frame");
        QTest::newRow("A") << QByteArray("A") << 65 << "010000011";
        QTest::newRow("AB: only A") << QByteArray("AB") << 65 << "010000011";
        QTest::newRow("NUL") << QByteArray(1, '\0') << 0 << "000000001";
        QTest::newRow("é masked to 7 bits") << QByteArray("\xE9") << 0x69 << "010010111";
    }
    void characterReception() {
        QFETCH(QByteArray, sent);
        QFETCH(int, code);
        QFETCH(QString, frame);
        Bench b;
        linkconfig::setParityByLetter(b.state.LinkConfig, "N");  // 7N1: start, 7 bits, stop
        b.enterMode(&AppState::CharReceptionMode, 1);
        b.terminal().ImageSablier->show();
        b.send(sent.left(1));
        // The rest arrives during the one-second wait (a nested event loop, in which this check
        // runs too).
        bool restSent = sent.size() < 2;
        QVERIFY(waitFor([&] {
            if (!restSent && b.terminal().TimerRecep->isActive()) {
                b.send(sent.mid(1));
                restSent = true;
            }
            return b.terminal().Suivant->isVisible();
        }));
        QVERIFY(restSent);
        QCOMPARE(b.state.CurrentCode, code);
        QCOMPARE(b.state.FrameBits, frame);
        QVERIFY(!b.terminal().MSComm1->PortOpen());
        QVERIFY(b.terminal().ImageImprimer->isVisible());
        QVERIFY(!b.terminal().ImageSablier->isVisible());
        const QStringList lines = b.terminal().surface().textLines();
        const QString codeLine = QStringLiteral("Code   décimal :  %1 ").arg(code);
        QVERIFY2(std::any_of(lines.begin(), lines.end(),
                             [&](const QString& l) { return l.startsWith(codeLine); }),
                 qPrintable(lines.join('|')));
        // Nothing more is drawn afterwards.
        const int items = b.terminal().surface().items().size();
        settle(1300);
        QCOMPARE(b.terminal().surface().items().size(), items);
        QCOMPARE(b.state.CurrentCode, code);
    }

    // Annuler during the one-second wait ends the mode: no diagram appears afterwards.
    void cancelDuringTheWait() {
        Bench b;
        b.enterMode(&AppState::CharReceptionMode, 1);
        // The click comes while the wait runs (the wait is a nested event loop).
        bool clickedDuringTheWait = false;
        QTimer::singleShot(400, [&] {
            clickedDuringTheWait = b.terminal().TimerRecep->isActive();
            b.terminal().Annuler->click();
        });
        b.send("Z");
        QVERIFY(waitFor([&] { return b.menu().isEnabled(); }));
        settle(1200);
        QVERIFY(clickedDuringTheWait);
        QVERIFY(b.terminal().surface().items().isEmpty());
        QVERIFY(!b.terminal().Suivant->isVisible());
        QVERIFY(b.menu().isEnabled());
    }

    void stringReception() {
        Bench b(8);
        b.enterMode(&AppState::StringReceptionMode, 1);
        b.terminal().TexteReception->show();
        b.send("Bonjour ");
        QVERIFY(waitFor([&] { return b.received() == "Bonjour "; }));
        b.send("\x01");  // not shown
        QVERIFY(waitFor([&] { return b.state.ReceivedText == QStringLiteral("\x01"); }));
        b.send("\x91ok\x92");  // typographic quotes are shown
        QVERIFY(waitFor([&] { return b.received().size() > 8; }));
        QCOMPARE(b.received(), QStringLiteral("Bonjour ") + QChar(0x2018) + "ok" + QChar(0x2019));
        QVERIFY(b.forms->beepCount() >= 4);  // two beeps per received piece
    }

    // Display 1 lists every character with its codes, a line each; display 2 only 32 to 126.
    void exchangeDisplays_data() {
        QTest::addColumn<int>("display");
        QTest::addColumn<QList<int>>("codes");
        QTest::addColumn<QString>("expected");
        QTest::newRow("display 1") << 1 << QList<int>{65, 233, 127, 146}
                                   << "   65\t\t\t41\t\t\t\t101\t\t\tA\n"
                                      "   233\t\t\tE9\t\t\t\t351\t\t\té\n"
                                      "   127\t\t\t7F\t\t\t\t177\t\t\t\n"
                                      "   146\t\t\t92\t\t\t\t222\t\t\t’";
        QTest::newRow("display 2")
            << 2 << QList<int>{65, 1, 127, 233, 126, 160, 146, 32, 31} << "A~ ";
    }
    void exchangeDisplays() {
        QFETCH(int, display);
        QFETCH(QList<int>, codes);
        QFETCH(QString, expected);
        Bench b(8);
        b.enterMode(&AppState::DuplexDisplay, display);
        if (display == AppState::kDisplayCodes)
            b.terminal().TableReception->show();
        else
            b.terminal().TexteReception->show();
        for (int code : codes) {
            // One character per read: the next leaves once this one has been read alone.
            b.send(QByteArray(1, char(code)));
            QVERIFY(waitFor([&] { return b.state.ReceivedText == QString(cp1252::toChar(code)); }));
        }
        QVERIFY(waitFor([&] { return b.received() == expected; }, 3000));
        QCOMPARE(b.received(), expected);
    }

    // A burst in display 1: a row for every character, nothing stranded.
    void burstInDisplayOne() {
        Bench b;
        b.enterMode(&AppState::DuplexDisplay, 1);
        b.send("abcdefghij");
        QVERIFY(waitFor([&] { return b.received().split('\n').size() == 10; }));
        QVERIFY(b.received().endsWith("\n   106\t\t\t6A\t\t\t\t152\t\t\tj"));
    }

    void annulerRestoresTheIdleState() {
        Bench b;
        b.enterMode(&AppState::DuplexDisplay, 1);
        FEmiRecep& t = b.terminal();
        for (QWidget* w : std::initializer_list<QWidget*>{t.BoutonRaz, t.BPBreak, t.Annuler,
                                                          t.TexteEmission, t.FrameTexteLine})
            w->show();
        t.KeyPreview = true;
        t.Annuler->click();
        QVERIFY(!t.isVisible());
        for (QWidget* w : std::initializer_list<QWidget*>{t.BoutonRaz, t.BPBreak, t.Annuler,
                                                          t.TexteEmission, t.FrameTexteLine})
            QVERIFY(w->isHidden());
        QVERIFY(!t.KeyPreview);
        QVERIFY(!t.MSComm1->PortOpen());
        QCOMPARE(t.MSComm1->RThreshold(), 1);
        QCOMPARE(t.MSComm1->SThreshold(), 1);
        QVERIFY(b.menu().isEnabled());
    }
};

QTEST_MAIN(TstTerminal)
#include "tst_terminal.moc"
