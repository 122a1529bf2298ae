// The emission modes through the real windows on a virtual cable: what each mode sends, what it
// refuses, how line errors end it, the repeated emission, and the keys of the exchange.
#include <QApplication>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <QToolButton>
#include <QtTest>

#include "core/appstate.h"
#include "core/codepage.h"
#include "core/eventtexts.h"
#include "serial/mscomm.h"
#include "support/appfixture.h"
#include "support/modal.h"
#include "support/wait.h"
#include "ui/shell/fmenu.h"
#include "ui/shell/fmsg.h"
#include "ui/terminal/femirecep.h"

using namespace testsupport;

Q_DECLARE_METATYPE(testsupport::AppFixture::Ports)

namespace {

// Counts the showings of a window.
class ShowCounter : public QObject {
public:
    explicit ShowCounter(QWidget* w) : QObject(w) { w->installEventFilter(this); }
    int shown = 0;

protected:
    bool eventFilter(QObject* o, QEvent* e) override {
        if (e->type() == QEvent::Show) ++shown;
        return QObject::eventFilter(o, e);
    }
};

// The terminal on Com2, the other computer at the far end of the cable (socat's or the lab's);
// or the terminal on a loopback plug.
struct Line : AppFixture {
    PeerPort peer;
    ShowCounter* errorBoxes;

    explicit Line(int dataBits = 7, serial::Handshaking handshake = serial::Handshaking::None,
                  Ports ports = Ports::Cable)
        // On a loopback plug there is no other computer: the peer's port leads nowhere.
        // On the lab's line the far end of Com2 is Com3.
        : AppFixture(ports),
          peer(folder(), ports == Ports::Loopback || ports == Ports::Lab ? 3 : 1, "9600,E,8,1") {
        linkconfig::setDataBits(state.LinkConfig, dataBits);
        linkconfig::setProtocol(state.LinkConfig, handshake, linkconfig::ProtocolSpelling::Menu);
        if (ports == Ports::Loopback) linkconfig::setPort(state.LinkConfig, 1);
        errorBoxes = new ShowCounter(&get<FMsg>());
        menu().show();
    }
    FEmiRecep& terminal() { return get<FEmiRecep>(); }
    QStringList surfaceText() { return terminal().surface().textLines(); }
    // Line errors arriving together while the exchange displays text; the message is answered.
    void receiveErrors(const QList<int>& events) {
        terminal().Ouvreport();
        state.DuplexDisplay = 2;
        terminal().show();
        onNextModal(pressEnter());
        for (int e : events) terminal().MSComm1->injectEvent(e);
        QVERIFY(waitFor([&] { return !terminal().isVisible(); }));
    }
    // Waits until the peer holds `bytes`, then a little more, to see that nothing else comes.
    bool peerGets(const QByteArray& bytes) {
        const bool arrived = waitFor([&] { return peer.received.size() >= bytes.size(); });
        settle(200);
        return arrived && peer.received == bytes;
    }
};

// The answers to the dialogs one menu item shows: a text typed then Enter, "<esc>" for Esc,
// "<box>" for Enter on a message box.
QList<std::function<void(QWidget*)>> answers(const QStringList& list) {
    QList<std::function<void(QWidget*)>> out;
    for (const QString& a : list) {
        if (a == "<esc>")
            out << typeAndEscape(QString());
        else if (a == "<box>")
            out << pressEnter();
        else
            out << typeAndEnter(a);
    }
    return out;
}

enum class Item { Keyboard, Decimal, Hexadecimal, String };

void run(FMenu& menu, Item item) {
    switch (item) {
        case Item::Keyboard:
            return menu.Ascii_Click();
        case Item::Decimal:
            return menu.Decimal_Click();
        case Item::Hexadecimal:
            return menu.Hexadecimal_Click();
        case Item::String:
            return menu.Chaine_Click();
    }
}

}  // namespace

Q_DECLARE_METATYPE(Item)

class TstEmission : public QObject {
    Q_OBJECT
private slots:
    // Each item sends exactly what was accepted, once, after any refused entries asked again.
    void itemsSendWhatIsAccepted_data() {
        QTest::addColumn<Item>("item");
        QTest::addColumn<int>("bits");
        QTest::addColumn<QStringList>("typed");
        QTest::addColumn<QByteArray>("sent");
        QTest::addColumn<int>("boxes");
        using QL = QStringList;
        QTest::newRow("keyboard A") << Item::Keyboard << 7 << QL{"A"} << QByteArray("A") << 0;
        QTest::newRow("euro sign is 128")
            << Item::Keyboard << 8 << QL{"€"} << QByteArray("\x80") << 0;
        QTest::newRow("outside the code page, then Esc")
            << Item::Keyboard << 8 << QL{"ő", "<esc>"} << QByteArray() << 0;
        QTest::newRow("keyboard under 5 bits")
            << Item::Keyboard << 5 << QL{"<box>"} << QByteArray() << 1;
        QTest::newRow("decimal 128 00 012 then 0")
            << Item::Decimal << 7 << QL{"128", "00", "012", "0"} << QByteArray(1, '\0') << 0;
        QTest::newRow("decimal wrap-around, 256, then 65")
            << Item::Decimal << 8 << QL{"4294967361", "256", "65"} << QByteArray("A") << 0;
        QTest::newRow("hexadecimal 80 G1 123 then 7F")
            << Item::Hexadecimal << 7 << QL{"80", "G1", "123", "7F"} << QByteArray("\x7f") << 0;
        QTest::newRow("hexadecimal 7")
            << Item::Hexadecimal << 7 << QL{"7"} << QByteArray("\x07") << 0;
        QTest::newRow("cancelled") << Item::Decimal << 7 << QL{"<esc>"} << QByteArray() << 0;
        QTest::newRow("string cafe") << Item::String << 7 << QL{"cafe"} << QByteArray("cafe") << 0;
        QTest::newRow("string café under 7 bits")
            << Item::String << 7 << QL{"café", "<box>"} << QByteArray() << 1;
        QTest::newRow("string outside the code page")
            << Item::String << 8 << QL{"aőb", "<box>"} << QByteArray() << 1;
    }
    void itemsSendWhatIsAccepted() {
        QFETCH(Item, item);
        QFETCH(int, bits);
        QFETCH(QStringList, typed);
        QFETCH(QByteArray, sent);
        QFETCH(int, boxes);
        Line line(bits);
        QVERIFY2(line.isReady(), qPrintable(line.errorString()));
        onModals(answers(typed));
        run(line.menu(), item);
        QVERIFY(waitFor([] { return pendingModalAnswers() == 0; }));
        QVERIFY(line.peerGets(sent));
        QCOMPARE(line.errorBoxes->shown, boxes);
        // A string the line cannot carry says which character is at fault.
        for (QChar c : typed.join(QString())) {
            if (cp1252::toCode(c) < 0 && item == Item::String)
                QVERIFY(line.get<FMsg>().text().contains(c));
        }
        FEmiRecep& t = line.terminal();
        QVERIFY(!t.MSComm1->PortOpen());
        const bool sending = !sent.isEmpty();
        QCOMPARE(t.isVisible(), sending);
        QCOMPARE(line.menu().isEnabled(), !sending);
        if (!sending) return;
        QVERIFY(t.Suivant->isVisible());
        QVERIFY(t.Annuler->isVisible());
        const QStringList drawn = line.surfaceText();
        if (item == Item::String) {
            QVERIFY(drawn.join('|').contains("correctement émise"));
            QVERIFY(!t.ImageImprimer->isVisible());
        } else {
            // The diagram of the code sent, and its printer picture.
            QCOMPARE(line.state.CurrentCode, int(static_cast<unsigned char>(sent.at(0))));
            const QString codeLine =
                QStringLiteral("Code   décimal :  %1 ").arg(line.state.CurrentCode);
            QVERIFY2(std::any_of(drawn.begin(), drawn.end(),
                                 [&](const QString& l) { return l.startsWith(codeLine); }),
                     qPrintable(drawn.join('|')));
            QVERIFY(t.ImageImprimer->isVisible());
        }
    }

    // "Suivant" asks for the next code of the same mode, clicked or pressed from the keyboard.
    void nextCodeOfTheSameMode_data() {
        QTest::addColumn<int>("key");
        QTest::newRow("click") << 0;
        QTest::newRow("Space") << int(Qt::Key_Space);
        QTest::newRow("Enter") << int(Qt::Key_Return);
        QTest::newRow("keypad Enter") << int(Qt::Key_Enter);
    }
    void nextCodeOfTheSameMode() {
        QFETCH(int, key);
        Line line(8);
        onModals(answers({"41", "42"}));
        line.menu().Hexadecimal_Click();
        QVERIFY(line.peerGets("A"));
        QPushButton* next = line.terminal().Suivant;
        if (key == 0) {
            next->click();
        } else {
            QVERIFY(next->hasFocus() || line.terminal().focusWidget() == next);
            QTest::keyClick(next, Qt::Key(key));
        }
        QVERIFY(line.peerGets("AB"));
        QCOMPARE(line.state.HexMode, 1);
        line.terminal().Annuler->click();
        QCOMPARE(line.state.HexMode, 0);
        QVERIFY(line.menu().isEnabled());
    }

    // Three errors in a burst: one message, one "ERREUR", back to the menu. And an error handled
    // in one mode does not come back in the next one.
    void oneReportPerBurst() {
        Line line;
        line.receiveErrors(
            {serial::comEventFrame, serial::comEventRxParity, serial::comEventBreak});
        QVERIFY(line.peerGets("ERREUR"));
        QCOMPARE(line.errorBoxes->shown, 1);
        QVERIFY(line.menu().isEnabled());
        onModals(answers({"Z"}));
        line.menu().Ascii_Click();
        QVERIFY(line.peerGets("ERREURZ"));
        QCOMPARE(line.errorBoxes->shown, 1);
    }

    // A repeated emission whose first character is refused stops there: nothing goes on sending
    // into the next mode.
    void repeatedEmissionFailingAtOnce() {
        Line line(8);
        line.forms->serial().setOutputQueueLimit(0);
        onModals(answers({"41", "<box>"}));
        line.menu().Identique_Click();
        QVERIFY(waitFor([] { return pendingModalAnswers() == 0; }));
        QVERIFY(!line.terminal().Tempo->isActive());
        QVERIFY(!line.terminal().isVisible());
        QVERIFY(!line.terminal().Annuler->isVisible());
        QVERIFY(!line.terminal().ImageImprimer->isVisible());
        QCOMPARE(line.errorBoxes->shown, 1);
        line.forms->serial().setOutputQueueLimit(MSComm::kOutputQueueLimit);
        onModals(answers({"xyz"}));
        line.menu().Chaine_Click();
        QVERIFY(line.peerGets("xyz"));
    }

    // The repeated emission on a loopback plug: its echo is not kept, so the small receive
    // buffer never overflows; Annuler stops it at once.
    void repeatedEmissionOnALoopbackPlug() {
        Line line(8, serial::Handshaking::None, AppFixture::Ports::Loopback);
        QVERIFY2(line.isReady(), qPrintable(line.errorString()));
        line.forms->serial().setInputBufferLimit(16384);
        onModals(answers({"55"}));
        line.menu().Identique_Click();
        QVERIFY(waitFor([&] { return line.terminal().Tempo->isActive(); }));
        settle(3000);
        QVERIFY(line.terminal().Tempo->isActive());
        QCOMPARE(line.errorBoxes->shown, 0);
        QElapsedTimer stopping;
        stopping.start();
        line.terminal().Annuler->click();
        QVERIFY(stopping.elapsed() < 1000);
        QVERIFY(!line.terminal().Tempo->isActive());
        QVERIFY(!line.forms->serial().PortOpen());
    }

    // The port goes away under a repeated emission (the socat cable pulled, the lab's line
    // killed): one message, the one the other modes give; the timer stops, the menu is back.
    void repeatedEmissionOnALostPort_data() {
        QTest::addColumn<AppFixture::Ports>("ports");
        QTest::newRow("socat cable") << AppFixture::Ports::Cable;
        QTest::newRow("lab's line") << AppFixture::Ports::Lab;
    }
    void repeatedEmissionOnALostPort() {
        QFETCH(AppFixture::Ports, ports);
        Line line(8, serial::Handshaking::None, ports);
        QVERIFY2(line.isReady(), qPrintable(line.errorString()));
        FEmiRecep& t = line.terminal();
        onModals(answers({"55"}));
        line.menu().Identique_Click();
        QVERIFY(waitFor([&] { return line.peer.received.size() > 20; }));
        QVERIFY(t.Tempo->isActive());
        QVERIFY(!line.menu().isEnabled());
        QString message;
        onNextModal(pressEnter(&message));
        if (ports == AppFixture::Ports::Lab)
            line.lab->kill();
        else
            line.cable->unplug();
        QVERIFY(waitFor([&] { return !t.isVisible(); }));
        QCOMPARE(message, eventtexts::errorMessage(serial::comEventPortLost));
        QVERIFY(!t.Tempo->isActive());
        QVERIFY(line.menu().isEnabled());
        QVERIFY(!t.MSComm1->PortOpen());
        settle(200);
        QCOMPARE(line.errorBoxes->shown, 1);
    }

    // A string the line would not take (the far end holds it, by Xoff or CTS) is not reported as
    // sent: the closing that throws it away says so, as the CTS time-out.
    void stringHeldByXoff() {
        Line line(7, serial::Handshaking::XonXoff);
        FEmiRecep& t = line.terminal();
        t.MSComm1->holdLineForTest(true);
        QString message;
        onModals({typeAndEnter("abc"), pressEnter(&message)});
        line.menu().Chaine_Click();
        QVERIFY(waitFor([] { return pendingModalAnswers() == 0; }));
        QVERIFY(!message.isEmpty());
        QCOMPARE(line.errorBoxes->shown, 1);
        QVERIFY(!line.surfaceText().join('|').contains("correctement"));
        QVERIFY(!t.isVisible());
        QVERIFY(line.menu().isEnabled());
    }

    // Keys of the exchange: keyboard characters, decimal codes collected until Enter,
    // hexadecimal codes by pairs; held back by an inactive CTS under RTS/CTS.
    void exchangeKeys_data() {
        QTest::addColumn<int AppState::*>("mode");
        QTest::addColumn<bool>("ctsHeld");
        QTest::addColumn<QString>("keys");  // "\r" for Enter
        QTest::addColumn<QByteArray>("sent");
        QTest::addColumn<QString>("shown");
        QTest::newRow("6 5 Enter")
            << &AppState::DecimalMode << false << "65\r" << QByteArray("A") << "65 ; ";
        QTest::newRow("0 5 Enter")
            << &AppState::DecimalMode << false << "05\r" << QByteArray() << "";
        QTest::newRow("decimal too large")
            << &AppState::DecimalMode << false << "200\r12\r" << QByteArray("\x0c") << "12 ; ";
        QTest::newRow("0 A") << &AppState::HexMode << false << "0A" << QByteArray("\n") << "0A ; ";
        QTest::newRow("5 F") << &AppState::HexMode << false << "5F" << QByteArray("_") << "5F ; ";
        QTest::newRow("hexadecimal ignores other keys")
            << &AppState::HexMode << false << "x4z1" << QByteArray("A") << "41 ; ";
        QTest::newRow("keyboard") << &AppState::AsciiMode << false << "ok" << QByteArray("ok")
                                  << "ok";
        QTest::newRow("keyboard, CTS inactive")
            << &AppState::AsciiMode << true << "ok" << QByteArray() << "";
        QTest::newRow("decimal, CTS inactive")
            << &AppState::DecimalMode << true << "65\r" << QByteArray() << "";
        QTest::newRow("hexadecimal, CTS inactive")
            << &AppState::HexMode << true << "41" << QByteArray() << "";
    }
    void exchangeKeys() {
        QFETCH(int AppState::*, mode);
        QFETCH(bool, ctsHeld);
        QFETCH(QString, keys);
        QFETCH(QByteArray, sent);
        QFETCH(QString, shown);
        Line line(7, ctsHeld ? serial::Handshaking::RtsCts : serial::Handshaking::None);
        FEmiRecep& t = line.terminal();
        line.state.*mode = 1;
        line.state.HighNibble = line.state.LowNibble = -1;
        t.Ouvreport();
        t.MSComm1->holdLineForTest(ctsHeld);
        t.TexteEmission->show();
        t.show();
        t.KeyPreview = true;
        for (QChar k : keys) {
            if (k == '\r')
                QTest::keyClick(t.TexteEmission, Qt::Key_Return);
            else
                QTest::keyClick(t.TexteEmission, k.toLatin1());
        }
        QVERIFY(line.peerGets(sent));
        QCOMPARE(t.TexteEmission->toPlainText(), shown);
        // Nothing was kept back to leave later.
        t.MSComm1->holdLineForTest(false);
        QVERIFY(line.peerGets(sent));
    }

    // Without RTS/CTS a key is sent whatever CTS says; one the line then holds back (an Xoff
    // received) is dropped and not shown, as a character that could not leave.
    void keyHeldBackIsDropped() {
        Line line(7, serial::Handshaking::XonXoff);
        FEmiRecep& t = line.terminal();
        line.state.AsciiMode = 1;
        t.Ouvreport();
        t.show();
        t.KeyPreview = true;
        QTest::keyClick(t.TexteEmission, 'a');
        t.MSComm1->holdLineForTest(true);
        QTest::keyClick(t.TexteEmission, 'b');
        t.MSComm1->holdLineForTest(false);
        QTest::keyClick(t.TexteEmission, 'c');
        QVERIFY(line.peerGets("ac"));
        QCOMPARE(t.TexteEmission->toPlainText(), QStringLiteral("ac"));
    }

    // A half-typed hexadecimal code is forgotten while CTS holds the line.
    void halfTypedCodeForgotten() {
        Line line(7, serial::Handshaking::RtsCts);
        FEmiRecep& t = line.terminal();
        line.state.HexMode = 1;
        line.state.HighNibble = line.state.LowNibble = -1;
        t.Ouvreport();
        t.show();
        t.KeyPreview = true;
        QTest::keyClick(t.TexteEmission, '4');
        t.MSComm1->holdLineForTest(true);
        QTest::keyClick(t.TexteEmission, '1');
        t.MSComm1->holdLineForTest(false);
        QTest::keyClick(t.TexteEmission, '4');
        QTest::keyClick(t.TexteEmission, '2');
        QVERIFY(line.peerGets("B"));
        QCOMPARE(t.TexteEmission->toPlainText(), QStringLiteral("42 ; "));
    }
};

QTEST_MAIN(TstEmission)
#include "tst_emission.moc"
