// What the program does when the other side goes away in the middle of a mode: the far
// computer (or the interface unit) stops, or the line itself disappears (the socat cable's
// pseudo-terminals close, as an unplugged USB adapter's device does; the lab's line daemon is
// killed). Every mode that keeps a port open is tried on both kinds of line. A line that goes is
// one message and the main window back; a far end that goes is what a cable shows. In every
// case the program sleeps afterwards, and the port works again once the line is back.
#include <QtGlobal>

#include <signal.h>
#ifdef Q_OS_LINUX
#include <sys/prctl.h>
#endif

#include <QApplication>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTextEdit>
#include <QtTest>

#include "core/appstate.h"
#include "core/eventtexts.h"
#include "serial/mscomm.h"
#include "support/appfixture.h"
#include "support/cpushare.h"
#include "support/modal.h"
#include "support/shownlines.h"
#include "support/wait.h"
#include "ui/hardware/ftest.h"
#include "ui/hardware/velmoconsole.h"
#include "ui/shell/fmenu.h"
#include "ui/shell/fmsg.h"
#include "ui/terminal/fchoixcase.h"
#include "ui/terminal/femirecep.h"
#include "ui/terminal/receptionview.h"

using namespace testsupport;
using Ports = AppFixture::Ports;

namespace {

enum class Mode { Character, String, ExchangeText, ExchangeCodes, Repeated, Console };
enum class Gone { FarEnd, Line };
// What the user sees once it has gone.
enum class Seen { PortLost, NoReply, CarriesOn };

// A program that has nothing to do uses far less than this share of a core.
constexpr double kIdleShare = 0.5;
constexpr int kIdleMeasureMs = 1000;

// The interface unit's emulator on the far end.
struct Unit {
    QProcess process;
    bool start(const QString& device) {
        stop();
#ifdef Q_OS_LINUX
        process.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGTERM); });
#endif
        process.setProcessChannelMode(QProcess::MergedChannels);
        process.start(QStringLiteral(VELMO_EMULATOR), {QStringLiteral("--verbose"), device});
        QByteArray said;
        return waitFor([&] {
                   said += process.readAll();
                   return said.contains("ready on") || process.state() == QProcess::NotRunning;
               }) &&
               process.state() == QProcess::Running;
    }
    void stop() {
        if (process.state() == QProcess::NotRunning) return;
        process.kill();
        process.waitForFinished(3000);
    }
    ~Unit() {
        stop();
    }
};

// The terminal (or the console) on Com2; the far end on the other end of the cable: Com1's end
// of the socat cable, Com3 of the lab's null-modem cable.
struct Rig : AppFixture {
    Ports ports;
    std::unique_ptr<PeerPort> peer;
    Unit unit;
    MessageLog messages;

    explicit Rig(Ports p) : AppFixture(p), ports(p) { menu().show(); }
    int farPort() const { return ports == Ports::Lab ? 3 : 1; }
    QString farDevice() const { return ports == Ports::Lab ? lab->end("com3") : cable->endA(); }
    void plugPeer() {
        peer = std::make_unique<PeerPort>(folder(), farPort(),
                                          linkconfig::portSettings(state.LinkConfig));
    }
    FEmiRecep& terminal() { return get<FEmiRecep>(); }
    QString received() { return shownReception(terminal()).join(QString()); }

    void removeLine() {
        if (ports == Ports::Lab)
            lab->kill();
        else
            cable->unplug();
    }
    bool restoreLine() { return ports == Ports::Lab ? lab->restart() : cable->plugIn(); }

    void startExchange(int reception) {
        menu().Emission_Reception_Simultanees_Click();
        FChoixCase& options = get<FChoixCase>();
        options.OptionEmission[1]->setChecked(true);
        options.OptionReception[reception]->setChecked(true);
        options.OK->click();
    }
    // The mode started from the menu, as the user starts it.
    void start(Mode mode) {
        switch (mode) {
            case Mode::Character:
                return menu().RecepCaractere_Click();
            case Mode::String:
                return menu().RecepChaine_Click();
            case Mode::ExchangeText:
                return startExchange(0);
            case Mode::ExchangeCodes:
                return startExchange(1);
            case Mode::Repeated:
                onNextModal(typeAndEnter("55"));
                return menu().Identique_Click();
            case Mode::Console:
                return;  // it runs from the test's steps, see runConsole
        }
    }
    // The port works: a string sent from the far end arrives in string reception.
    bool receivesAgain() {
        plugPeer();
        if (!peer->isOpen()) return false;
        menu().RecepChaine_Click();
        if (!terminal().isVisible()) return false;
        peer->send("Ok");
        const bool shown = waitFor([&] { return received().contains("Ok"); });
        terminal().Annuler->click();
        return shown;
    }
};

// The console runs until it ends, inside the menu item; the test acts from a timer meanwhile.
void runConsole(Rig& rig, const std::function<bool()>& when, const std::function<void()>& then) {
    QTimer tick;
    bool done = false;
    QElapsedTimer clock;
    clock.start();
    QObject::connect(&tick, &QTimer::timeout, [&] {
        if (done) return;
        if (when()) {
            done = true;
            then();
        } else if (clock.elapsed() > kWaitMs) {
            done = true;
            rig.forms->velmo().Annuler();
        }
    });
    tick.start(10);
    rig.menu().Velmo_Click();
}

bool consolePolls(Rig& rig) {
    FTest* w = rig.forms->velmo().window();
    return w && w->isVisible() && !w->TextEA[0]->text().trimmed().isEmpty();
}

}  // namespace

Q_DECLARE_METATYPE(Mode)
Q_DECLARE_METATYPE(Gone)
Q_DECLARE_METATYPE(Seen)

class TstPeerLoss : public QObject {
    Q_OBJECT
private slots:
    void goneInTheMiddle_data() {
        QTest::addColumn<Mode>("mode");
        QTest::addColumn<Ports>("ports");
        QTest::addColumn<Gone>("gone");
        QTest::addColumn<Seen>("seen");
        const QList<QPair<const char*, Mode>> modes = {
            {"character", Mode::Character},        {"string", Mode::String},
            {"exchange text", Mode::ExchangeText}, {"exchange codes", Mode::ExchangeCodes},
            {"repeated", Mode::Repeated},          {"console", Mode::Console}};
        const QList<QPair<const char*, Ports>> lines = {{"socat", Ports::Cable},
                                                        {"lab", Ports::Lab}};
        for (const auto& [modeName, mode] : modes) {
            for (const auto& [lineName, ports] : lines) {
                // The far computer going is silence on a cable; the unit going is its silence.
                const Seen farEnd = mode == Mode::Console ? Seen::NoReply : Seen::CarriesOn;
                QTest::addRow("%s, %s, far end", modeName, lineName)
                    << mode << ports << Gone::FarEnd << farEnd;
                QTest::addRow("%s, %s, line", modeName, lineName)
                    << mode << ports << Gone::Line << Seen::PortLost;
            }
        }
    }
    void goneInTheMiddle() {
        QFETCH(Mode, mode);
        QFETCH(Ports, ports);
        QFETCH(Gone, gone);
        QFETCH(Seen, seen);
        Rig rig(ports);
        QVERIFY2(rig.isReady(), qPrintable(rig.errorString()));

        auto goAway = [&] {
            if (gone == Gone::Line)
                rig.removeLine();
            else if (mode == Mode::Console)
                rig.unit.stop();
            else
                rig.peer.reset();
        };
        if (mode == Mode::Console) {
            QVERIFY(rig.unit.start(rig.farDevice()));
            runConsole(
                rig, [&] { return consolePolls(rig); }, goAway);
            QVERIFY(!rig.forms->velmo().window());
        } else {
            rig.plugPeer();
            QVERIFY(rig.peer->isOpen());
            rig.start(mode);
            FEmiRecep& t = rig.terminal();
            QVERIFY(waitFor([&] { return t.isVisible(); }));
            if (mode == Mode::Repeated) {
                QVERIFY(waitFor([&] { return rig.peer->received.size() > 10; }));
            } else if (mode != Mode::Character) {
                // Something received first; single-character reception keeps waiting instead.
                rig.peer->send("ab");
                QVERIFY(waitFor([&] { return !shownReception(rig.terminal()).isEmpty(); }));
            }
            QVERIFY(!rig.menu().isEnabled());
            goAway();
            if (seen == Seen::PortLost) QVERIFY(waitFor([&] { return !t.isVisible(); }));
        }
        settle(200);

        // What was said: once, and the main window given back; or nothing, the mode going on.
        const QString lost = eventtexts::errorMessage(serial::comEventPortLost);
        switch (seen) {
            case Seen::PortLost:
                QCOMPARE(rig.messages.texts(), QStringList{lost});
                QVERIFY(rig.menu().isEnabled());
                break;
            case Seen::NoReply:
                QCOMPARE(rig.messages.texts().size(), 1);
                QVERIFY(rig.messages.texts().first() != lost);
                QVERIFY(rig.messages.texts().first().contains(rig.state.LinkConfig.PortName));
                QVERIFY(rig.menu().isEnabled());
                break;
            case Seen::CarriesOn:
                QCOMPARE(rig.messages.texts(), QStringList{});
                QVERIFY(rig.terminal().isVisible());
                QVERIFY(!rig.menu().isEnabled());
                break;
        }

        // Nothing spins once it has gone.
        const double share = coreShareWhileIdle(kIdleMeasureMs);
        QVERIFY2(share < kIdleShare, qPrintable(QString::number(share)));
        if (seen == Seen::CarriesOn) {
            QCOMPARE(rig.messages.texts(), QStringList{});
            rig.terminal().Annuler->click();
            QVERIFY(rig.menu().isEnabled());
        }

        // And the port works again once what went is back.
        if (gone == Gone::Line) QVERIFY(rig.restoreLine());
        if (mode == Mode::Console) {
            QVERIFY(rig.unit.start(rig.farDevice()));
            bool polled = false;
            runConsole(
                rig, [&] { return consolePolls(rig); },
                [&] {
                    polled = true;
                    rig.forms->velmo().Annuler();
                });
            QVERIFY(polled);
        } else {
            QVERIFY(rig.receivesAgain());
        }
        QVERIFY(rig.menu().isEnabled());
    }
};

QTEST_MAIN(TstPeerLoss)
#include "tst_peerloss.moc"
