// Two copies of the program on the two ends of the lab's null-modem cable, as two students'
// computers: each has its own working folder, ports and state, and both are driven only through
// their menus, dialogs and keys. One sends a keyboard character, a decimal code, a hexadecimal
// code and a string; the other receives them one character at a time, as a string, or in the
// exchange, and shows the same codes; then the other way round. Both in the exchange at once,
// each sees what the other types. Set to different speeds, the receiver reports a line error.
//
// Both programs live in this one process: their windows, dialogs and serial controls are apart
// (nothing in the program is shared between two registries), one event loop serves both, so
// that each step is taken when the other program has done its part, without a control channel
// the program itself does not have.
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>

#include "core/accesscode.h"
#include "core/appstate.h"
#include "core/eventtexts.h"
#include "core/linkconfig.h"
#include "support/labline.h"
#include "support/modal.h"
#include "support/portsfile.h"
#include "support/shownlines.h"
#include "support/wait.h"
#include "ui/shell/fmenu.h"
#include "ui/shell/fmsg.h"
#include "ui/shell/forms.h"
#include "ui/terminal/fchoixcase.h"
#include "ui/terminal/femirecep.h"
#include "ui/terminal/receptionview.h"

using namespace testsupport;

namespace {

enum class Emission { Keyboard, Decimal, Hexadecimal, String };
enum class Reception { Character, String, ExchangeCodes, ExchangeText };

// One copy of the program: its working folder, whose ports.232 leads to the lab's ends, its
// state and its windows, on the port it is told.
struct Program {
    QTemporaryDir dir;
    AppState state;
    std::unique_ptr<Forms> forms;

    Program(const LabLine& lab, const QString& port) {
        QMap<int, QString> ends;
        for (int n = 1; n <= 4; ++n) ends[n] = lab.end(QStringLiteral("com%1").arg(n));
        writePortsFile(dir.path(), ends, {});
        state.workDir = dir.path();
        state.LinkConfig = linkconfig::defaults(accesscode::storedNoCode());
        forms = std::make_unique<Forms>(state);
        forms->setProgramEnd([] {});
        menu().show();
        menu().item(port)->trigger();
    }
    ~Program() { forms.reset(); }
    FMenu& menu() { return forms->get<FMenu>(); }
    FEmiRecep& terminal() { return forms->get<FEmiRecep>(); }
    // What the terminal shows: its printed lines, and its reception window.
    QString drawn() { return terminal().accessibleDescription(); }
    QStringList rows() { return shownReception(terminal()); }
    QString text() { return rows().join(QString()); }

    void exchange(int emission, int reception) {
        menu().Emission_Reception_Simultanees_Click();
        FChoixCase& options = forms->get<FChoixCase>();
        options.OptionEmission[emission]->setChecked(true);
        options.OptionReception[reception]->setChecked(true);
        options.OK->click();
    }
    void receive(Reception how) {
        switch (how) {
            case Reception::Character:
                return menu().RecepCaractere_Click();
            case Reception::String:
                return menu().RecepChaine_Click();
            case Reception::ExchangeCodes:
                return exchange(1, 1);
            case Reception::ExchangeText:
                return exchange(1, 0);
        }
    }
    // The emission item with the entry typed in its dialog; leaves the terminal as it ends.
    void send(Emission how, const QString& entry) {
        onNextModal(typeAndEnter(entry));
        switch (how) {
            case Emission::Keyboard:
                return menu().Ascii_Click();
            case Emission::Decimal:
                return menu().Decimal_Click();
            case Emission::Hexadecimal:
                return menu().Hexadecimal_Click();
            case Emission::String:
                return menu().Chaine_Click();
        }
    }
    void leave() {
        if (terminal().Annuler->isVisible()) QTest::mouseClick(terminal().Annuler, Qt::LeftButton);
    }
};

// The rows of the table of codes for `codes`: each with its decimal, hexadecimal and octal
// forms.
bool rowsShow(const QStringList& rows, const QList<int>& codes) {
    if (rows.size() != codes.size()) return false;
    for (int i = 0; i < codes.size(); ++i) {
        const QStringList fields = rows.at(i).split(QLatin1Char('\t'), Qt::SkipEmptyParts);
        if (fields.size() < 3) return false;
        const int c = codes.at(i);
        if (fields.at(0).trimmed() != QString::number(c) ||
            fields.at(1).trimmed() != QString::number(c, 16).toUpper() ||
            fields.at(2).trimmed() != QString::number(c, 8))
            return false;
    }
    return true;
}

struct Bench {
    LabLine lab;
    std::unique_ptr<Program> first, second;
    Bench() {
        if (!lab.isReady()) return;
        first = std::make_unique<Program>(lab, QStringLiteral("COM2"));
        second = std::make_unique<Program>(lab, QStringLiteral("COM3"));
    }
};

}  // namespace

Q_DECLARE_METATYPE(Emission)
Q_DECLARE_METATYPE(Reception)

class TstTwoPrograms : public QObject {
    Q_OBJECT

    std::unique_ptr<Bench> bench;

private slots:
    void initTestCase() {
        bench = std::make_unique<Bench>();
        QVERIFY2(bench->lab.isReady(), qPrintable(bench->lab.errorString()));
    }
    void cleanupTestCase() { bench.reset(); }
    // A case that failed half-way leaves neither program in its mode for the next one.
    void cleanup() {
        for (Program* p : {bench->first.get(), bench->second.get()}) {
            if (p && p->terminal().isVisible()) p->terminal().Annuler_Click();
        }
    }

    // What is sent, how it is received, and what the receiver shows: the codes (in its table)
    // and the characters (in its text), the displayable ones only.
    void sentAndShown_data() {
        QTest::addColumn<bool>("fromFirst");
        QTest::addColumn<Emission>("emission");
        QTest::addColumn<QString>("entry");
        QTest::addColumn<Reception>("reception");
        QTest::addColumn<QList<int>>("codes");
        QTest::addColumn<QString>("shownText");
        struct Sent {
            const char* name;
            Emission emission;
            QString entry;
            QList<int> codes;
            QString text;
        };
        // Under the default 7 data bits: 127 is the largest code, 10 (a line feed) and 127 are
        // shown by their codes only.
        const QList<Sent> sent = {
            {"key z", Emission::Keyboard, "z", {122}, "z"},
            {"decimal 127", Emission::Decimal, "127", {127}, ""},
            {"hexadecimal 0A", Emission::Hexadecimal, "0A", {10}, ""},
            {"string",
             Emission::String,
             "Sa va~ 42",
             {83, 97, 32, 118, 97, 126, 32, 52, 50},
             "Sa va~ 42"},
        };
        const QList<QPair<const char*, Reception>> receptions = {
            {"one character", Reception::Character},
            {"string", Reception::String},
            {"exchange table", Reception::ExchangeCodes},
            {"exchange text", Reception::ExchangeText}};
        for (bool fromFirst : {true, false}) {
            for (const Sent& s : sent) {
                for (const auto& [name, reception] : receptions) {
                    // One character at a time draws the first only: a string is for the others.
                    if (reception == Reception::Character && s.emission == Emission::String)
                        continue;
                    // The text display only for the string: it shows printable ASCII.
                    if (reception == Reception::ExchangeText && s.emission != Emission::String)
                        continue;
                    QTest::addRow("%s, %s to %s", fromFirst ? "first" : "second", s.name, name)
                        << fromFirst << s.emission << s.entry << reception << s.codes << s.text;
                }
            }
        }
    }
    void sentAndShown() {
        QFETCH(bool, fromFirst);
        QFETCH(Emission, emission);
        QFETCH(QString, entry);
        QFETCH(Reception, reception);
        QFETCH(QList<int>, codes);
        QFETCH(QString, shownText);
        Program& sender = fromFirst ? *bench->first : *bench->second;
        Program& receiver = fromFirst ? *bench->second : *bench->first;
        MessageLog messages;

        receiver.receive(reception);
        QVERIFY(waitFor([&] { return receiver.terminal().isVisible(); }));
        sender.send(emission, entry);
        QVERIFY(waitFor([&] { return sender.terminal().Annuler->isVisible(); }));

        switch (reception) {
            case Reception::Character:
                // The same frame drawn at both ends, codes included.
                QVERIFY(waitFor([&] { return receiver.terminal().Suivant->isVisible(); }));
                QVERIFY(!receiver.drawn().isEmpty());
                QCOMPARE(receiver.drawn(), sender.drawn());
                QVERIFY(receiver.drawn().contains(QString::number(codes.first())));
                break;
            case Reception::String:
            case Reception::ExchangeText:
                if (shownText.isEmpty()) {
                    settle(300);
                    QCOMPARE(receiver.text(), QString());
                } else {
                    QVERIFY(waitFor([&] { return receiver.text() == shownText; }));
                }
                break;
            case Reception::ExchangeCodes:
                QVERIFY(waitFor([&] { return receiver.rows().size() >= codes.size(); }));
                QVERIFY2(rowsShow(receiver.rows(), codes), qPrintable(receiver.rows().join('|')));
                break;
        }
        QCOMPARE(messages.texts(), QStringList{});
        sender.leave();
        receiver.leave();
        QVERIFY(sender.menu().isEnabled());
        QVERIFY(receiver.menu().isEnabled());
    }

    // Both in the exchange at once: each one's keys reach the other while it types itself.
    void bothWaysAtOnce() {
        Program& a = *bench->first;
        Program& b = *bench->second;
        MessageLog messages;
        a.exchange(0, 1);  // keyboard characters; every character received with its codes
        b.exchange(1, 0);  // decimal codes; the text received
        QVERIFY(waitFor([&] { return a.terminal().isVisible() && b.terminal().isVisible(); }));
        QTest::keyClicks(&a.terminal(), "Oui!");
        QTest::keyClicks(&b.terminal(), "78");
        QTest::keyClick(&b.terminal(), Qt::Key_Return);
        QTest::keyClicks(&b.terminal(), "111");
        QTest::keyClick(&b.terminal(), Qt::Key_Return);
        QVERIFY(waitFor([&] { return b.text() == QStringLiteral("Oui!"); }));
        QVERIFY(waitFor([&] { return a.rows().size() >= 2; }));
        QVERIFY2(rowsShow(a.rows(), {78, 111}), qPrintable(a.rows().join('|')));
        // And each shows what it sent.
        QCOMPARE(a.terminal().TexteEmission->toPlainText(), QStringLiteral("Oui!"));
        QVERIFY(b.terminal().TexteEmission->toPlainText().contains(QStringLiteral("111")));
        QCOMPARE(messages.texts(), QStringList{});
        a.leave();
        b.leave();
    }

    // Different speeds: the receiver reports a line error, once, and is back at its menu.
    void speedsDiffer_data() {
        QTest::addColumn<bool>("fromFirst");
        QTest::addColumn<Reception>("reception");
        QTest::newRow("first to second, string") << true << Reception::String;
        QTest::newRow("second to first, string") << false << Reception::String;
        QTest::newRow("first to second, exchange table") << true << Reception::ExchangeCodes;
        QTest::newRow("second to first, one character") << false << Reception::Character;
    }
    void speedsDiffer() {
        QFETCH(bool, fromFirst);
        QFETCH(Reception, reception);
        Program& sender = fromFirst ? *bench->first : *bench->second;
        Program& receiver = fromFirst ? *bench->second : *bench->first;
        receiver.menu().item("Bauds4800")->trigger();
        MessageLog messages;
        receiver.receive(reception);
        QVERIFY(waitFor([&] { return receiver.terminal().isVisible(); }));
        sender.send(Emission::String, "ABCDEFGH");
        QVERIFY(waitFor([&] { return !messages.entries.isEmpty(); }));
        QVERIFY(waitFor([&] { return !receiver.terminal().isVisible(); }));
        settle(300);
        sender.leave();

        QList<QString> lineErrors;
        for (int e = serial::comEventBreak; e <= serial::comEventDCB; ++e) {
            const QString m = eventtexts::errorMessage(e);
            if (!m.isEmpty() && e != serial::comEventTxFull) lineErrors << m;
        }
        QCOMPARE(messages.entries.size(), 1);
        QCOMPARE(messages.entries.first().dialog, &receiver.forms->get<FMsg>());
        QVERIFY2(lineErrors.contains(messages.entries.first().text),
                 qPrintable(messages.entries.first().text));
        QVERIFY(receiver.menu().isEnabled());
        QVERIFY(sender.menu().isEnabled());
        receiver.menu().item("Bauds9600")->trigger();
    }
};

QTEST_MAIN(TstTwoPrograms)
#include "tst_twoprograms.moc"
