// The interface-unit console against the unit's emulator, or a unit played by the test itself,
// over a virtual null-modem cable: the console on Com2 (end B), the unit on end A. The start
// blocks until the console ends, as it does for the user, so each test drives the console from
// a timer while it runs and checks what it saw once the start has returned.
#include <QtGlobal>

#include <signal.h>
#ifdef Q_OS_LINUX
#include <sys/prctl.h>
#endif

#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

#include "serial/mscomm.h"
#include "support/appfixture.h"
#include "support/modal.h"
#include "support/wait.h"
#include "ui/hardware/bitframe.h"
#include "ui/hardware/ftest.h"
#include "ui/hardware/velmoconsole.h"
#include "ui/shell/fmenu.h"

using testsupport::AppFixture;
using testsupport::settle;

namespace {

// Longest that any step of a test may take to come (the time-out is 2 s).
constexpr int kStepBoundMs = 8000;
constexpr char kLogPrefix[] = "velmo-emulator: ";

// The emulator as a child process; its log lists each command line it received.
struct Emulator {
    QProcess process;
    QByteArray err;

    bool start(const QString& device, const QStringList& options = {}) {
        QObject::connect(&process, &QProcess::readyReadStandardError, &process,
                         [this] { err += process.readAllStandardError(); });
#ifdef Q_OS_LINUX
        process.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGTERM); });
#endif
        process.start(QStringLiteral(VELMO_EMULATOR), options + QStringList{"--verbose", device});
        return testsupport::waitFor([this] {
                   return err.contains("ready on") || process.state() == QProcess::NotRunning;
               }) &&
               process.state() == QProcess::Running;
    }
    // The command lines received, in order.
    QStringList commands() {
        err += process.readAllStandardError();
        QStringList lines;
        for (const QByteArray& line : err.split('\n')) {
            if (!line.startsWith(kLogPrefix) || line.contains("ready on")) continue;
            lines << QString::fromLatin1(QByteArray::fromPercentEncoding(line.mid(16)));
        }
        return lines;
    }
    ~Emulator() {
        if (process.state() == QProcess::NotRunning) return;
        process.kill();
        process.waitForFinished(3000);
    }
};

// A unit played by the test: every byte received is kept; each command line ending in a
// carriage return gets the pieces `reply` gives for it, each after its pause.
struct ScriptedUnit {
    struct Piece {
        int pauseMs;
        QByteArray bytes;
    };
    MSComm comm;
    QByteArray received;
    QByteArray line;
    std::function<QList<Piece>(const QByteArray&)> reply;

    bool open(const QString& device) {
        QObject::connect(&comm, &MSComm::OnComm, &comm, [this] { onComm(); });
        comm.setDevicePath(device);
        comm.setSettings("9600,N,8,1");
        comm.setRThreshold(1);
        return comm.setPortOpen(true) == MSComm::NoError;
    }
    void onComm() {
        if (comm.CommEvent() != serial::comEvReceive) return;
        for (char c : comm.InputBytes()) {
            received += c;
            if (c != '\r') {
                line += c;
                continue;
            }
            int at = 0;
            for (const Piece& p : reply(line)) {
                at += p.pauseMs;
                QTimer::singleShot(at, &comm, [this, b = p.bytes] { comm.setOutputBytes(b); });
            }
            line.clear();
        }
    }
};

bool expectsReply(const QByteArray& line) {
    return line.startsWith("XCPT") || line.startsWith("XEA") || line.startsWith("XEBIT");
}

// Steps run in order from a timer while the console runs: each one's action runs once its
// condition holds. A step that never comes ends the console through "Annuler" and is reported.
class Driver : public QObject {
public:
    struct Step {
        QString name;
        std::function<bool()> when;
        std::function<void()> then;
    };
    Driver(Forms& forms, QList<Step> steps) : forms_(forms), steps_(std::move(steps)) {
        connect(&tick_, &QTimer::timeout, this, [this] { check(); });
        tick_.start(5);
        clock_.start();
    }
    QString stuck;

private:
    void check() {
        if (steps_.isEmpty()) return tick_.stop();
        if (steps_.first().when()) {
            const Step step = steps_.takeFirst();
            clock_.restart();
            if (step.then) step.then();
        } else if (clock_.elapsed() > kStepBoundMs) {
            stuck = steps_.first().name;
            steps_.clear();
            forms_.velmo().Annuler();
        }
    }
    Forms& forms_;
    QList<Step> steps_;
    QTimer tick_;
    QElapsedTimer clock_;
};

// The polling commands from analog input 0, each followed by the analog output's command,
// written out here as the unit reads them.
QStringList pollCycle(int outputCode, int count) {
    QStringList lines;
    for (int i = 0; i < count; ++i) {
        const int step = i % 14;
        lines << (step < 8 ? QStringLiteral("XEA  %1").arg(step)
                           : QStringLiteral("XEBIT  %1").arg(step - 8))
              << QStringLiteral("XSA  %1").arg(outputCode);
    }
    return lines;
}

// Counts the polling lines in `lines`.
int polls(const QStringList& lines) {
    return int(lines.filter(QRegularExpression("^(XEA|XEBIT) ")).size());
}

}  // namespace

class TstFTest : public QObject {
    Q_OBJECT

    std::unique_ptr<AppFixture> app;
    std::unique_ptr<Emulator> unit;

    Forms& forms() { return *app->forms; }
    VelmoConsole& console() { return app->forms->velmo(); }
    FTest* window() { return console().window(); }
    bool polling() { return window() && window()->isVisible(); }
    void startEmulator(const QStringList& options = {}) {
        unit = std::make_unique<Emulator>();
        QVERIFY2(unit->start(app->cable->endA(), options), unit->err.constData());
    }
    // The start from the menu with the steps driving it; returns once the console has ended.
    QString runConsole(QList<Driver::Step> steps) {
        Driver driver(forms(), std::move(steps));
        app->menu().Velmo_Click();
        return driver.stuck;
    }
    // What a console that has ended leaves: the main window usable, the port closed, no window.
    void checkEnded() {
        QVERIFY(app->menu().isEnabled());
        QVERIFY(!console().MSComm2.PortOpen());
        QVERIFY(!window());
        QVERIFY(!forms().has<FTest>());
    }

private slots:
    void init() {
        app = std::make_unique<AppFixture>();
        QVERIFY2(app->isReady(), qPrintable(app->errorString()));
        app->menu().show();
    }
    void cleanup() {
        unit.reset();
        app.reset();
    }

    void startSetsTheLinkAndPollsInOrder() {
        startEmulator();
        const QString stuck = runConsole({
            // One poll past the sixteen compared, so that the sixteenth step has sent its "XSA".
            {"polling", [&] { return polls(unit->commands()) >= 17; },
             [&] {
                 QVERIFY(!app->menu().isEnabled());
                 QCOMPARE(QApplication::focusWidget(), window()->BoutonQuitter);
                 console().Annuler();
             }},
        });
        QVERIFY2(stuck.isEmpty(), qPrintable(stuck));
        const QStringList lines = unit->commands();
        QCOMPARE(lines.mid(0, 2), (QStringList{"XCPT 0", "XRESET"}));
        QCOMPARE(lines.mid(2, 32), pollCycle(128, 16));
        QCOMPARE(app->state.LinkConfig.Speed, "9600");
        QCOMPARE(app->state.LinkConfig.ParityLetter, "N");
        QCOMPARE(app->state.LinkConfig.DataBits, "8");
        QCOMPARE(app->state.LinkConfig.StopBits, "1");
        QCOMPARE(app->state.LinkConfig.Handshake, serial::Handshaking::None);
        checkEnded();
        QCOMPARE(forms().beepCount(), 0);
    }

    void exactBytesOnTheWire() {
        ScriptedUnit scripted;
        QVERIFY(scripted.open(app->cable->endA()));
        scripted.reply = [](const QByteArray& line) -> QList<ScriptedUnit::Piece> {
            if (!expectsReply(line)) return {};
            return {{0, "7\r"}};
        };
        const QString stuck = runConsole({
            {"first reading", [&] { return scripted.received.contains("XEA  1\r"); },
             [&] {
                 window()->BoutonFront1->click();
                 window()->FrameBitSL_Click(5);
             }},
            {"edge reading", [&] { return scripted.received.contains("XCPT 1\r"); },
             [&] { window()->FrameBit_Click(7); }},
            {"new output code", [&] { return scripted.received.contains("XSA  0\r"); },
             [&] { console().Annuler(); }},
        });
        QVERIFY2(stuck.isEmpty(), qPrintable(stuck));
        const QByteArray& bytes = scripted.received;
        QVERIFY2(bytes.startsWith("XCPT 0\rXRESET\rXEA  0\rXSA  128\rXEA  1\r"), bytes.constData());
        QVERIFY(bytes.contains("XSBIT  5\r"));
        QVERIFY(!bytes.contains('\n'));
        QCOMPARE(window(), nullptr);
        QCOMPARE(console().AnalogOutValue, 0);
    }

    void replyReading_data() {
        QTest::addColumn<QList<ScriptedUnit::Piece>>("pieces");
        QTest::addColumn<QString>("code");
        QTest::addColumn<QString>("voltage");
        using P = QList<ScriptedUnit::Piece>;
        QTest::newRow("whole") << P{{0, "128\r"}} << "128"
                               << " 2.5";
        QTest::newRow("in two pieces") << P{{0, "1"}, {40, "28\r"}} << "128"
                                       << " 2.5";
        QTest::newRow("no carriage return") << P{{0, "1"}, {40, "28"}} << "128"
                                            << " 2.5";
        QTest::newRow("a line feed first") << P{{0, "\n255\r"}} << "255"
                                           << " 5";
        QTest::newRow("not a number") << P{{0, "ERR\r"}} << "0"
                                      << " 0";
    }
    void replyReading() {
        QFETCH(QList<ScriptedUnit::Piece>, pieces);
        QFETCH(QString, code);
        QFETCH(QString, voltage);
        ScriptedUnit scripted;
        QVERIFY(scripted.open(app->cable->endA()));
        scripted.reply = [&](const QByteArray& line) -> QList<ScriptedUnit::Piece> {
            if (line == "XEA  0") return pieces;
            return expectsReply(line) ? QList<ScriptedUnit::Piece>{{0, "9\r"}}
                                      : QList<ScriptedUnit::Piece>{};
        };
        QString shown[2];
        const QString stuck = runConsole({
            {"next input", [&] { return scripted.received.contains("XEA  1\r"); },
             [&] {
                 shown[0] = window()->TextEA[0]->text();
                 shown[1] = window()->TextEATension[0]->text();
                 console().Annuler();
             }},
        });
        QVERIFY2(stuck.isEmpty(), qPrintable(stuck));
        QCOMPARE(shown[0], code);
        QCOMPARE(shown[1], voltage);
    }

    void emulatorMisbehaving_data() {
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<bool>("garbage");
        QTest::newRow("in two pieces") << QStringList{"--split", "40"} << false;
        QTest::newRow("garbage") << QStringList{"--garbage"} << true;
    }
    void emulatorMisbehaving() {
        QFETCH(QStringList, options);
        QFETCH(bool, garbage);
        startEmulator(options);
        QStringList codes;
        QStringList voltages;
        const QString stuck = runConsole({
            {"a whole cycle", [&] { return polls(unit->commands()) > 14; },
             [&] {
                 for (int i = 0; i < 8; ++i) {
                     codes << window()->TextEA[i]->text();
                     voltages << window()->TextEATension[i]->text();
                 }
                 console().Annuler();
             }},
        });
        QVERIFY2(stuck.isEmpty(), qPrintable(stuck));
        for (int i = 0; i < 8; ++i) {
            if (garbage) {
                QCOMPARE(codes[i], "0");
                QCOMPARE(voltages[i], " 0");
            } else {
                // Split after its first digit, a reply taken before its end shows one digit.
                QVERIFY2(codes[i].toInt() >= 0 && codes[i].toInt() <= 255, qPrintable(codes[i]));
                QVERIFY(voltages[i].startsWith(' '));
            }
        }
        if (!garbage) {
            // Only two of the emulator's inputs ever go below 10.
            int multiDigit = 0;
            for (const QString& c : codes) multiDigit += c.size() > 1;
            QVERIFY2(multiDigit >= 6, qPrintable(codes.join(',')));
        }
    }

    void silentUnitIsReportedOnce_data() {
        QTest::addColumn<bool>("fromTheStart");
        QTest::newRow("at the probe") << true;
        QTest::newRow("while polling") << false;
    }
    void silentUnitIsReportedOnce() {
        QFETCH(bool, fromTheStart);
        startEmulator(fromTheStart ? QStringList{"--silent"} : QStringList{});
        QString message;
        testsupport::onNextModal(testsupport::pressEnter(&message), 15000);
        QList<Driver::Step> steps;
        if (!fromTheStart) {
            steps << Driver::Step{"polling", [&] { return polls(unit->commands()) >= 3; },
                                  [&] { unit->process.kill(); }};
        }
        QElapsedTimer clock;
        clock.start();
        const QString stuck = runConsole(steps);
        QVERIFY2(stuck.isEmpty(), qPrintable(stuck));
        QCOMPARE(message, "Velmo ne répond pas sur  Com2");
        QVERIFY2(clock.elapsed() >= VelmoConsole::kReplyTimeoutMs,
                 qPrintable(QString::number(clock.elapsed())));
        settle(300);
        QCOMPARE(forms().beepCount(), 1);
        QCOMPARE(testsupport::pendingModalAnswers(), 0);
        checkEnded();
        QCOMPARE(app->state.CommError, 1);
    }

    void missingPortIsReported() {
        app->cable->writePortMap({{2, app->cable->absentDevice()}});
        QString message;
        testsupport::onModals({testsupport::pressEnter(), testsupport::pressEnter(),
                               testsupport::pressEnter(&message)});
        runConsole({});
        QCOMPARE(message, "Com2  n'existe pas sur cet ordinateur.");
        QCOMPARE(app->state.CommError, 1);
        checkEnded();
    }

    void annulerWithAReplyPending() {
        startEmulator({"--delay", "500"});
        const QString stuck = runConsole({
            {"polling", [&] { return unit->commands().contains("XEA  0"); },
             [&] { window()->BoutonQuitter->click(); }},
        });
        QVERIFY2(stuck.isEmpty(), qPrintable(stuck));
        checkEnded();
        settle(800);  // the late reply comes to a closed port
        QCOMPARE(forms().beepCount(), 0);
        // A second start gets a fresh window and polls from analog input 0 again.
        QString firstCode = "unset";
        const QString stuck2 = runConsole({
            {"window", [&] { return polling(); }, [&] { firstCode = window()->TextEA[0]->text(); }},
            {"first reading", [&] { return window()->TextEA[0]->text() != " "; },
             [&] { console().Annuler(); }},
        });
        QVERIFY2(stuck2.isEmpty(), qPrintable(stuck2));
        QCOMPARE(firstCode, " ");
        checkEnded();
    }

    void closingEndsTheConsole_data() {
        QTest::addColumn<QString>("how");
        QTest::newRow("Annuler") << "button";
        QTest::newRow("Esc") << "escape";
        QTest::newRow("window manager") << "close";
    }
    void closingEndsTheConsole() {
        QFETCH(QString, how);
        startEmulator();
        const QString stuck = runConsole({
            {"polling", [&] { return polls(unit->commands()) >= 2; },
             [&] {
                 if (how == "button") QTest::mouseClick(window()->BoutonQuitter, Qt::LeftButton);
                 if (how == "escape") QTest::keyClick(window(), Qt::Key_Escape);
                 if (how == "close") window()->close();
             }},
        });
        QVERIFY2(stuck.isEmpty(), qPrintable(stuck));
        checkEnded();
        // A command written just before the close may still be on its way to the unit's log:
        // wait until the log is quiet; a console still polling would never let it be.
        qsizetype sent = unit->commands().size();
        for (int i = 0; i < 20; ++i) {
            settle(150);
            const qsizetype now = unit->commands().size();
            if (now == sent) break;
            sent = now;
        }
        settle(500);
        QCOMPARE(unit->commands().size(), sent);
    }

    void edgeCounterTwiceReadsOnce() {
        startEmulator();
        QStringList lines;
        const QString stuck = runConsole({
            {"polling", [&] { return unit->commands().contains("XEA  3"); },
             [&] {
                 QTest::mouseClick(window()->BoutonFront0, Qt::LeftButton);
                 QTest::mouseClick(window()->BoutonFront0, Qt::LeftButton);
             }},
            {"shown", [&] { return !window()->TextFront0->text().isEmpty(); },
             [&] { lines = unit->commands(); }},
            {"more polling", [&] { return polls(unit->commands()) > polls(lines) + 3; },
             [&] { console().Annuler(); }},
        });
        QVERIFY2(stuck.isEmpty(), qPrintable(stuck));
        lines = unit->commands();
        QCOMPARE(lines.count("XCPT 0"), 2);  // the probe and one reading
        const qsizetype at = lines.lastIndexOf("XCPT 0");
        QVERIFY(lines.at(at - 1).startsWith("XE"));
        QVERIFY(lines.at(at + 1).startsWith("XSA"));
        QCOMPARE(lines.count("XCPT 1"), 0);
    }

    void binaryOutputBetweenExchanges() {
        startEmulator();
        QString shown[2];
        const QString stuck = runConsole({
            {"polling", [&] { return polls(unit->commands()) >= 4; },
             [&] {
                 QTest::mouseClick(window()->FrameBitSL[2], Qt::LeftButton);
                 shown[0] = window()->TextBitSLog[2]->text();
             }},
            {"set", [&] { return unit->commands().contains("XSBIT  2"); },
             [&] {
                 // On the box inside the frame, found as a real click finds it.
                 const QPoint onBox = window()->TextBitSLog[2]->mapTo(window(), QPoint(3, 3));
                 QTest::mouseClick(window()->windowHandle(), Qt::LeftButton, {}, onBox);
                 shown[1] = window()->TextBitSLog[2]->text();
             }},
            {"reset", [&] { return unit->commands().contains("XRBIT  2"); }, {}},
            {"more polling", [&] { return polls(unit->commands()) >= 11; },
             [&] { console().Annuler(); }},
        });
        QVERIFY2(stuck.isEmpty(), qPrintable(stuck));
        QCOMPARE(shown[0], "1");
        QCOMPARE(shown[1], "0");
        QStringList lines = unit->commands();
        QCOMPARE(lines.count("XSBIT  2"), 1);
        QCOMPARE(lines.count("XRBIT  2"), 1);
        lines.removeAll("XSBIT  2");
        lines.removeAll("XRBIT  2");
        // The polling went on in order around them, no exchange lost or repeated.
        QCOMPARE(lines.mid(2, 20), pollCycle(128, 10));
    }

    void analogOutputBits_data() {
        QTest::addColumn<QList<int>>("clicks");
        QTest::addColumn<QString>("bits");  // bit 7 first
        QTest::addColumn<QString>("decimal");
        QTest::addColumn<QString>("voltage");
        QTest::addColumn<QString>("command");
        QTest::newRow("bit 7 off") << QList<int>{7} << "00000000"
                                   << " 0"
                                   << "- 5"
                                   << "XSA  0";
        QTest::newRow("then bit 0 on") << QList<int>{7, 0} << "00000001"
                                       << " 1"
                                       << "- 4.96"
                                       << "XSA  1";
        QTest::newRow("bit 6 on") << QList<int>{6} << "11000000"
                                  << " 192"
                                  << "+ 2.5"
                                  << "XSA  192";
        QTest::newRow("bit 4 twice") << QList<int>{4, 4} << "10000000"
                                     << " 128"
                                     << " 0"
                                     << "XSA  128";
    }
    void analogOutputBits() {
        QFETCH(QList<int>, clicks);
        QFETCH(QString, bits);
        QFETCH(QString, decimal);
        QFETCH(QString, voltage);
        QFETCH(QString, command);
        startEmulator();
        QString shownBits;
        QString shown[2];
        qsizetype before = 0;
        const QString stuck = runConsole({
            {"polling", [&] { return polls(unit->commands()) >= 2; },
             [&] {
                 for (int bit : clicks) QTest::mouseClick(window()->FrameBit[bit], Qt::LeftButton);
                 for (int bit = 7; bit >= 0; --bit) shownBits += window()->TextBit[bit]->text();
                 shown[0] = window()->TextSortieAna->text();
                 shown[1] = window()->TextSortieAnaTension->text();
                 before = unit->commands().size();
             }},
            {"sent", [&] { return unit->commands().mid(before).filter("XSA").size() >= 2; },
             [&] { console().Annuler(); }},
        });
        QVERIFY2(stuck.isEmpty(), qPrintable(stuck));
        QCOMPARE(shownBits, bits);
        QCOMPARE(shown[0], decimal);
        QCOMPARE(shown[1], voltage);
        QCOMPARE(unit->commands().mid(before).filter("XSA").last(), command);
    }
};

QTEST_MAIN(TstFTest)
#include "tst_ftest.moc"
