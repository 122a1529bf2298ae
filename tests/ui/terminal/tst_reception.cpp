// The reception modes and the simultaneous exchange through the menu, on a virtual cable: what
// each display keeps of a burst, the single-character wait, the option dialog, the keypad, Xon,
// Xoff and break.
#include <QCheckBox>
#include <QClipboard>
#include <QElapsedTimer>
#include <QGroupBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTextBlock>
#include <QTimer>
#include <QtTest>

#include "core/appstate.h"
#include "core/codepage.h"
#include "core/framebits.h"
#include "serial/mscomm.h"
#include "support/appfixture.h"
#include "support/modal.h"
#include "support/wait.h"
#include "ui/shell/fdebut.h"
#include "ui/shell/fmenu.h"
#include "ui/shell/fpropri.h"
#include "ui/shell/svgpicture.h"
#include "ui/terminal/codetable.h"
#include "ui/terminal/fchoixcase.h"
#include "ui/terminal/femirecep.h"
#include "ui/terminal/receptionview.h"

using namespace testsupport;

namespace {

using serial::Handshaking;

// The terminal on Com2, the other computer at the cable's far end: Com1 (end A) on a socat
// cable, Com3 on the lab's line; both at `speed` baud, no parity.
struct Rx : AppFixture {
    PeerPort peer;

    explicit Rx(int dataBits = 8, Handshaking handshake = Handshaking::None,
                Ports ports = Ports::Cable, const QString& speed = QStringLiteral("9600"))
        : AppFixture(ports),
          peer(folder(), ports == Ports::Lab ? 3 : 1,
               QStringLiteral("%1,N,%2,1").arg(speed).arg(dataBits)) {
        linkconfig::setSpeed(state.LinkConfig, speed);
        linkconfig::setDataBits(state.LinkConfig, dataBits);
        linkconfig::setParityByLetter(state.LinkConfig, "N");
        linkconfig::setProtocol(state.LinkConfig, handshake, linkconfig::ProtocolSpelling::Menu);
        // A burst leaves in one write.
        peer.comm.setOutputQueueLimit(1 << 20);
        menu().show();
    }
    FEmiRecep& terminal() { return get<FEmiRecep>(); }
    FChoixCase& options() { return get<FChoixCase>(); }
    // The exchange as the user starts it: the menu item, the three choices, OK.
    void exchange(int emission, int reception, bool keypad = false) {
        menu().Emission_Reception_Simultanees_Click();
        options().OptionEmission[emission]->setChecked(true);
        options().OptionReception[reception]->setChecked(true);
        options().CheckANSI->setChecked(keypad);
        options().OK->click();
    }
    QStringList rows() { return terminal().TableReception->toPlainText().split('\n'); }
    // The received text as shown (no-break spaces included), whatever lines the window's width
    // broke it into.
    QString text() {
        return terminal().TexteReception->document()->toRawText().remove(QChar::ParagraphSeparator);
    }
    int codeLines() {
        const QStringList lines = terminal().surface().textLines();
        return int(std::count_if(lines.begin(), lines.end(), [](const QString& l) {
            return l.startsWith(QStringLiteral("Code   décimal"));
        }));
    }
    bool peerGets(const QByteArray& bytes) {
        const bool arrived = waitFor([&] { return peer.received.size() >= bytes.size(); });
        settle(150);
        return arrived && peer.received == bytes;
    }
};

// Every byte value in turn, `count` of them.
QByteArray everyCode(int count) {
    QByteArray bytes(count, '\0');
    for (int i = 0; i < count; ++i) bytes[i] = char(i % 256);
    return bytes;
}

QString keptOf(const QByteArray& bytes, bool (*keep)(int)) {
    QString out;
    for (char b : bytes) {
        const int code = static_cast<unsigned char>(b);
        if (keep(code)) out += cp1252::toChar(code);
    }
    return out;
}

bool printableAscii(int code) {
    return code >= 32 && code <= 126;
}

enum class Mode { String, Text };

}  // namespace

Q_DECLARE_METATYPE(Mode)
Q_DECLARE_METATYPE(Handshaking)
Q_DECLARE_METATYPE(AppFixture::Ports)

class TstReception : public QObject {
    Q_OBJECT
private slots:
    // The table of codes: one row each, with the exact tabs, an empty aspect for what is not
    // displayable, and a NUL as the row of code 0.
    void tableRows_data() {
        QTest::addColumn<QByteArray>("sent");
        QTest::addColumn<QStringList>("rows");
        QTest::newRow("A") << QByteArray("A") << QStringList{"   65\t\t\t41\t\t\t\t101\t\t\tA"};
        QTest::newRow("é") << QByteArray("\xE9") << QStringList{"   233\t\t\tE9\t\t\t\t351\t\t\té"};
        QTest::newRow("DEL") << QByteArray("\x7F")
                             << QStringList{"   127\t\t\t7F\t\t\t\t177\t\t\t"};
        QTest::newRow("NUL") << QByteArray(1, '\0') << QStringList{"   0\t\t\t0\t\t\t\t0\t\t\t"};
        QTest::newRow("145 146 150 together")
            << QByteArray("\x91\x92\x96")
            << QStringList{"   145\t\t\t91\t\t\t\t221\t\t\t‘", "   146\t\t\t92\t\t\t\t222\t\t\t’",
                           "   150\t\t\t96\t\t\t\t226\t\t\t"};
    }
    void tableRows() {
        QFETCH(QByteArray, sent);
        QFETCH(QStringList, rows);
        Rx r;
        r.exchange(1, 1);
        QCOMPARE(r.state.DuplexDisplay, 1);
        r.peer.send(sent);
        QVERIFY(waitFor([&] { return r.rows() == rows; }));
    }

    // String reception keeps every displayable character, the text display only 32 to 126,
    // each character judged on its own wherever it falls in a burst.
    void textKept_data() {
        QTest::addColumn<Mode>("mode");
        QTest::addColumn<QByteArray>("sent");
        QTest::addColumn<QString>("shown");
        const QByteArray controlFirst(
            "\x01"
            "Bonjour\x96\x91\xE9\x7F!");
        const QByteArray letterFirst("Ab\x01\x1B\x92\xA0z\x0D\x0A");
        QTest::newRow("string, control first") << Mode::String << controlFirst << "Bonjour‘é!";
        QTest::newRow("string, letter first")
            << Mode::String << letterFirst << "Ab’" + QString(QChar(0xA0)) + "z";
        QTest::newRow("text, control first") << Mode::Text << controlFirst << "Bonjour!";
        QTest::newRow("text, letter first") << Mode::Text << letterFirst << "Abz";
    }
    void textKept() {
        QFETCH(Mode, mode);
        QFETCH(QByteArray, sent);
        QFETCH(QString, shown);
        Rx r;
        if (mode == Mode::String)
            r.menu().RecepChaine_Click();
        else
            r.exchange(1, 0);
        QVERIFY(r.terminal().TexteReception->isVisible());
        r.peer.send(sent);
        QVERIFY(waitFor([&] { return r.text().size() >= shown.size(); }));
        settle(100);
        QCOMPARE(r.text(), shown);
    }

    // A burst of 10 000 characters: a row each in the table, every displayable one kept by
    // string reception and by the text display, in order.
    void burst_data() {
        QTest::addColumn<Mode>("mode");
        QTest::newRow("string reception") << Mode::String;
        QTest::newRow("text display") << Mode::Text;
    }
    void burst() {
        QFETCH(Mode, mode);
        Rx r;
        if (mode == Mode::String)
            r.menu().RecepChaine_Click();
        else
            r.exchange(0, 0);
        const QByteArray sent = everyCode(10000);
        const QString expected =
            keptOf(sent, mode == Mode::String ? &frame::isDisplayable : &printableAscii);
        r.peer.send(sent);
        QVERIFY(waitFor([&] { return r.text().size() >= expected.size(); }));
        settle(100);
        QCOMPARE(r.text(), expected);
        // Broken into lines, each within the window's width.
        QPlainTextEdit* box = r.terminal().TexteReception;
        const QStringList lines = box->toPlainText().split('\n');
        QVERIFY(lines.size() > 1);
        const QFontMetricsF metrics(box->font());
        for (const QString& line : lines)
            QVERIFY2(metrics.horizontalAdvance(line) <= box->viewport()->width(), qPrintable(line));
        // Those lines are the display's: a copy of the window gives what arrived, whole or in
        // part across a line end.
        ReceptionBox* received = r.terminal().TexteReception;
        QCOMPARE(received->receivedText(), expected);
        received->selectAll();
        received->copy();
        QCOMPARE(QGuiApplication::clipboard()->text(), expected);
        const QTextBlock second = received->document()->firstBlock().next();
        QCOMPARE(received->receivedText(second.position() - 3, second.position() + 3),
                 expected.mid(second.position() - 3, 5));
    }

    void burstIntoTheTable() {
        Rx r;
        r.exchange(2, 1);
        const QByteArray sent = everyCode(10000);
        r.peer.send(sent);
        QVERIFY(waitFor([&] { return r.terminal().TableReception->rows().rowCount() >= 10000; }));
        settle(100);
        const QStringList rows = r.rows();
        QCOMPARE(rows.size(), 10000);
        for (int i = 0; i < rows.size(); ++i) {
            const int code = rows[i].section('\t', 0, 0).trimmed().toInt();
            QVERIFY2(code == i % 256, qPrintable(QStringLiteral("row %1: %2").arg(i).arg(rows[i])));
        }
    }

    // The same burst while one character is awaited: the first character's diagram, once, and
    // the program answering meanwhile.
    void burstDuringCharacterReception() {
        Rx r;
        r.menu().RecepCaractere_Click();
        FEmiRecep& t = r.terminal();
        QVERIFY(t.ImageSablier->isVisible());
        int ticks = 0;
        QTimer ticker;
        QObject::connect(&ticker, &QTimer::timeout, [&] { ++ticks; });
        ticker.start(50);
        QByteArray sent = everyCode(10000);
        sent[0] = 'Q';
        r.peer.send(sent);
        QVERIFY(waitFor([&] { return t.Suivant->isVisible(); }));
        QVERIFY2(ticks >= 10, qPrintable(QString::number(ticks)));
        QCOMPARE(r.state.CurrentCode, int('Q'));
        QCOMPARE(r.codeLines(), 1);
        QVERIFY(!t.MSComm1->PortOpen());
        settle(1200);
        QCOMPARE(r.codeLines(), 1);
        QCOMPARE(r.state.CurrentCode, int('Q'));
    }

    // A modem line that changes while the hourglass waits is no character: the port stays open
    // and the character that follows is the one drawn.
    void modemLineChangeWhileWaiting() {
        Rx r;
        r.menu().RecepCaractere_Click();
        FEmiRecep& t = r.terminal();
        t.MSComm1->injectEvent(serial::comEvCTS);
        settle(1500);
        QVERIFY(t.MSComm1->PortOpen());
        QVERIFY(t.ImageSablier->isVisible());
        QVERIFY(!t.Suivant->isVisible());
        QCOMPARE(r.codeLines(), 0);
        r.peer.send("A");
        QVERIFY(waitFor([&] { return t.Suivant->isVisible(); }));
        QCOMPARE(r.state.CurrentCode, 65);
        settle(300);
        QCOMPARE(r.codeLines(), 1);
        QCOMPARE(r.state.CurrentCode, 65);
    }

    // A second piece during the one-second wait starts no second wait: the first character
    // stays drawn, never a NUL over it.
    void secondPieceDuringTheWait() {
        Rx r;
        r.menu().RecepCaractere_Click();
        FEmiRecep& t = r.terminal();
        r.peer.send("K");
        QTimer::singleShot(200, [&] { r.peer.send("xy"); });
        QVERIFY(waitFor([&] { return t.Suivant->isVisible(); }));
        QCOMPARE(r.state.CurrentCode, int('K'));
        settle(1300);
        QCOMPARE(r.codeLines(), 1);
        QCOMPARE(r.state.CurrentCode, int('K'));
        // "Suivant" waits again, and draws the next one.
        t.Suivant->click();
        QVERIFY(t.MSComm1->PortOpen());
        r.peer.send("L");
        QVERIFY(waitFor([&] { return t.Suivant->isVisible(); }));
        QCOMPARE(r.state.CurrentCode, int('L'));
    }

    // DTR is off while a character is awaited; Annuler puts it back as the properties say.
    void dtrDuringCharacterReception_data() {
        QTest::addColumn<bool>("ticked");
        QTest::newRow("ticked") << true;
        QTest::newRow("not ticked") << false;
    }
    void dtrDuringCharacterReception() {
        QFETCH(bool, ticked);
        Rx r;
        r.get<FPropri>().LigneDTR->setChecked(ticked);
        r.menu().RecepCaractere_Click();
        QVERIFY(!r.terminal().MSComm1->DTREnable());
        QVERIFY(!r.menu().isEnabled());
        r.terminal().Annuler->click();
        QCOMPARE(r.terminal().MSComm1->DTREnable(), ticked);
        QVERIFY(r.menu().isEnabled());
    }

    // The keypad, Xon and Xoff send their one code each.
    void keysSendTheirCode_data() {
        QTest::addColumn<QString>("button");
        QTest::addColumn<int>("code");
        QTest::newRow("NUL") << "BPNUL" << 0;
        QTest::newRow("SP") << "BPSP" << 32;
        QTest::newRow("DEL") << "BPDEL" << 127;
        QTest::newRow("ESC") << "BPESC" << 27;
        QTest::newRow("DC1") << "BPDC1" << 17;
        QTest::newRow("Xon") << "BPXon" << 17;
        QTest::newRow("DC3") << "BPDC3" << 19;
        QTest::newRow("Xoff") << "BPXoff" << 19;
    }
    void keysSendTheirCode() {
        QFETCH(QString, button);
        QFETCH(int, code);
        Rx r(8, Handshaking::XonXoff);
        r.exchange(1, 1, true);
        auto* b = r.terminal().findChild<QPushButton*>(button);
        QVERIFY(b && b->isVisible());
        b->click();
        QVERIFY(r.peerGets(QByteArray(1, char(code))));
        QCOMPARE(r.terminal().TexteEmission->toPlainText(), QString());
        // Once the exchange is left, the port is closed: a click sends nothing.
        r.terminal().Annuler->click();
        b->click();
        QVERIFY(r.peerGets(QByteArray(1, char(code))));
    }

    // Keys typed faster than the line, in each emission of the exchange: every one shown as it
    // leaves, in order, none dropped; on a socat cable and on the lab's line, at a slow speed
    // (110 baud: a key every 90 ms) and a fast one.
    void exchangeShowsKeys_data() {
        QTest::addColumn<AppFixture::Ports>("ports");
        QTest::addColumn<QString>("speed");
        QTest::addColumn<int>("emission");
        QTest::addColumn<QString>("keys");
        QTest::addColumn<QByteArray>("sent");
        QTest::addColumn<QString>("shown");
        const struct {
            AppFixture::Ports ports;
            const char* name;
        } cables[] = {{AppFixture::Ports::Cable, "socat"}, {AppFixture::Ports::Lab, "lab"}};
        for (const auto& cable : cables) {
            for (const char* speed : {"110", "9600"}) {
                auto row = [&](const char* what) {
                    return &QTest::newRow(
                        qPrintable(QStringLiteral("%1, %2, %3").arg(cable.name, speed, what)));
                };
                *row("keyboard") << cable.ports << speed << 0 << "abcdefgh"
                                 << QByteArray("abcdefgh") << "abcdefgh";
                *row("decimal") << cable.ports << speed << 1 << "65\r66\r0\r127\r"
                                << QByteArray("AB\0\x7f", 4) << "65 ; 66 ; 0 ; 127 ; ";
                *row("hexadecimal") << cable.ports << speed << 2 << "4142007F"
                                    << QByteArray("AB\0\x7f", 4) << "41 ; 42 ; 00 ; 7F ; ";
            }
        }
    }
    void exchangeShowsKeys() {
        QFETCH(AppFixture::Ports, ports);
        QFETCH(QString, speed);
        QFETCH(int, emission);
        QFETCH(QString, keys);
        QFETCH(QByteArray, sent);
        QFETCH(QString, shown);
        Rx r(8, Handshaking::None, ports, speed);
        QVERIFY2(r.isReady(), qPrintable(r.errorString()));
        QVERIFY(r.peer.isOpen());
        r.exchange(emission, 1);
        QPlainTextEdit* typed = r.terminal().TexteEmission;
        QVERIFY(typed->isVisible());
        for (QChar k : keys) {
            if (k == '\r')
                QTest::keyClick(typed, Qt::Key_Return);
            else
                QTest::keyClick(typed, k.toLatin1());
        }
        // Shown as they leave for the line, before they have all arrived.
        QCOMPARE(typed->toPlainText(), shown);
        QVERIFY(waitFor([&] { return r.peer.received.size() >= sent.size(); }));
        QCOMPARE(r.peer.received, sent);
        QCOMPARE(typed->toPlainText(), shown);
    }

    // More keys than the line and its transmit queue can take, typed at once at 110 baud: a key
    // the line holds back is dropped and not shown, but every key shown is one that arrives.
    void keysBeyondTheQueue_data() {
        QTest::addColumn<AppFixture::Ports>("ports");
        QTest::newRow("socat") << AppFixture::Ports::Cable;
        QTest::newRow("lab") << AppFixture::Ports::Lab;
    }
    void keysBeyondTheQueue() {
        QFETCH(AppFixture::Ports, ports);
        Rx r(8, Handshaking::None, ports, "110");
        QVERIFY2(r.isReady(), qPrintable(r.errorString()));
        r.exchange(0, 1);
        QPlainTextEdit* typed = r.terminal().TexteEmission;
        const QString keys = QStringLiteral("abcdefghijklmnopqrstuvwxyz0123456789");
        for (QChar k : keys) r.terminal().Form_KeyPress(QString(k), 0);
        const QString shown = typed->toPlainText();
        QVERIFY(!shown.isEmpty());
        QVERIFY(keys.startsWith(shown));
        QVERIFY(waitFor([&] { return r.peer.received.size() >= shown.size(); }, 10000));
        settle(300);
        QCOMPARE(QString::fromLatin1(r.peer.received), shown);
    }

    void keypadIsComplete() {
        Rx r;
        FEmiRecep& t = r.terminal();
        QCOMPARE(t.Keypad.size(), 34);
        QSet<QString> names;
        QSet<QString> tips;
        for (QPushButton* b : t.Keypad) {
            QCOMPARE(b->parentWidget(), t.FrameANSI);
            QCOMPARE(b->objectName(), "BP" + b->text());
            QVERIFY(!b->toolTip().isEmpty());
            QVERIFY(t.FrameANSI->rect().contains(b->geometry()));
            names << b->objectName();
            tips << b->toolTip();
        }
        QCOMPARE(names.size(), 34);
        QCOMPARE(tips.size(), 34);
        // No two keys overlap.
        for (QPushButton* a : t.Keypad)
            for (QPushButton* b : t.Keypad)
                QVERIFY(a == b || !a->geometry().intersects(b->geometry()));
    }

    // Which buttons the exchange offers, by handshaking and data bits.
    void buttonsOffered_data() {
        QTest::addColumn<Handshaking>("handshake");
        QTest::addColumn<int>("bits");
        QTest::addColumn<bool>("keypadAsked");
        QTest::addColumn<bool>("keypad");
        QTest::addColumn<bool>("xonXoff");
        QTest::newRow("none, 8 bits") << Handshaking::None << 8 << true << true << false;
        QTest::newRow("Xon-Xoff, 7 bits") << Handshaking::XonXoff << 7 << true << true << true;
        QTest::newRow("RTS-CTS, keypad not asked")
            << Handshaking::RtsCts << 8 << false << false << false;
        QTest::newRow("both, 6 bits") << Handshaking::RtsCtsXonXoff << 6 << true << false << true;
    }
    void buttonsOffered() {
        QFETCH(Handshaking, handshake);
        QFETCH(int, bits);
        QFETCH(bool, keypadAsked);
        QFETCH(bool, keypad);
        QFETCH(bool, xonXoff);
        Rx r(bits, handshake);
        FEmiRecep& t = r.terminal();
        r.exchange(1, 1, keypadAsked);
        QVERIFY(t.isVisible());
        QCOMPARE(t.FrameANSI->isVisible(), keypad);
        QCOMPARE(t.BPXon->isVisible(), xonXoff);
        QCOMPARE(t.BPXoff->isVisible(), xonXoff);
        QVERIFY(t.BPBreak->isVisible());
        // Asked for under too few bits, the box is unticked.
        QCOMPARE(r.options().CheckANSI->isChecked(), keypad);
        t.Annuler->click();
        for (QWidget* w : {static_cast<QWidget*>(t.FrameANSI), static_cast<QWidget*>(t.BPXon),
                           static_cast<QWidget*>(t.BPXoff), static_cast<QWidget*>(t.BPBreak)})
            QVERIFY(w->isHidden());
    }

    // "Break" holds the line for about 100 ms; Annuler releases it at once.
    void breakHeldThenReleased() {
        Rx r;
        r.exchange(1, 1);
        FEmiRecep& t = r.terminal();
        QElapsedTimer held;
        t.BPBreak->click();
        held.start();
        QVERIFY(t.MSComm1->Break());
        QVERIFY(waitFor([&] { return !t.MSComm1->Break(); }, 2000));
        QVERIFY2(held.elapsed() >= 90, qPrintable(QString::number(held.elapsed())));
        t.BPBreak->click();
        QVERIFY(t.MSComm1->Break());
        t.Annuler->click();
        QVERIFY(!t.MSComm1->Break());
        QVERIFY(!t.TimerBreak->isActive());
    }

    // The titles in red and, over the table, the column header as the window lists it.
    void exchangeTitles_data() {
        QTest::addColumn<int>("emission");
        QTest::addColumn<int>("reception");
        QTest::addColumn<int>("bits");
        QTest::addColumn<QString>("largest");
        QTest::newRow("keyboard, table") << 0 << 1 << 7 << "";
        QTest::newRow("decimal, text, 7 bits") << 1 << 0 << 7 << " 127,";
        QTest::newRow("hexadecimal, table, 8 bits") << 2 << 1 << 8 << " FF ";
    }
    void exchangeTitles() {
        QFETCH(int, emission);
        QFETCH(int, reception);
        QFETCH(int, bits);
        QFETCH(QString, largest);
        Rx r(bits);
        r.exchange(emission, reception);
        const QList<DrawItem>& items = r.terminal().surface().items();
        QStringList red;
        QStringList black;
        for (const DrawItem& item : items)
            (item.color == QColor(200, 0, 0) ? red : black) << item.text;
        QCOMPARE(red.size(), 2);
        const QString header = " Décimal" + QString(32, ' ') + "Hexadécimal" + QString(44, ' ') +
                               "Octal" + QString(38, ' ') + "aspect";
        QCOMPARE(black.contains(header), reception == 1);
        QCOMPARE(black.size(), reception == 1 ? 2 : 1);
        if (!largest.isEmpty())
            QVERIFY2(black.first().contains(largest), qPrintable(black.first()));
        QVERIFY(r.terminal().KeyPreview);
        QVERIFY(r.terminal().MSComm1->PortOpen());
    }

    // Under 5 bits keyboard characters are refused with a message; the dialog stays open and
    // another choice starts the exchange.
    void keyboardRefusedUnderSevenBits() {
        Rx r(5);
        QString message;
        onNextModal(pressEnter(&message));
        r.exchange(0, 0);
        QVERIFY(waitFor([&] { return pendingModalAnswers() == 0; }));
        QVERIFY(message.contains("7 bits"));
        QVERIFY(r.options().isVisible());
        QVERIFY(!r.terminal().isVisible());
        QCOMPARE(r.state.AsciiMode + r.state.DuplexDisplay, 0);
        r.options().OptionEmission[2]->setChecked(true);
        r.options().OK->click();
        QVERIFY(!r.options().isVisible());
        QVERIFY(r.terminal().isVisible());
        QCOMPARE(r.state.HexMode, 1);
    }

    // Esc and the window manager's close leave the dialog open; Enter is OK.
    void optionsHaveNoCancel_data() {
        QTest::addColumn<bool>("escape");
        QTest::newRow("Esc") << true;
        QTest::newRow("close") << false;
    }
    void optionsHaveNoCancel() {
        QFETCH(bool, escape);
        Rx r;
        r.menu().Emission_Reception_Simultanees_Click();
        FChoixCase& d = r.options();
        QVERIFY(d.isVisible());
        if (escape)
            QTest::keyClick(&d, Qt::Key_Escape);
        else
            d.close();
        settle(100);
        QVERIFY(d.isVisible());
        QVERIFY(!r.menu().isEnabled());
        QTest::keyClick(d.focusWidget(), Qt::Key_Return);
        QVERIFY(waitFor([&] { return r.terminal().isVisible(); }));
        QVERIFY(!d.isVisible());
    }

    // The choices come back at the next opening; the start-up sequence resets them.
    void choicesKeptThenReset() {
        Rx r;
        r.exchange(2, 1, true);
        r.terminal().Annuler->click();
        r.menu().Emission_Reception_Simultanees_Click();
        FChoixCase& d = r.options();
        QVERIFY(d.OptionEmission[2]->isChecked());
        QVERIFY(d.OptionReception[1]->isChecked());
        QVERIFY(d.CheckANSI->isChecked());
        d.OK->click();
        QCOMPARE(r.state.HexMode, 1);
        QCOMPARE(r.state.DuplexDisplay, 1);
        r.terminal().Annuler->click();

        r.menu().hide();
        r.forms->create<FDebut>(20).start();
        QVERIFY(waitFor([&] { return r.menu().isVisible() && r.menu().isEnabled(); }));
        QVERIFY(d.OptionEmission[0]->isChecked());
        QVERIFY(d.OptionReception[0]->isChecked());
        QVERIFY(!d.CheckANSI->isChecked());
    }
};

QTEST_MAIN(TstReception)
#include "tst_reception.moc"
