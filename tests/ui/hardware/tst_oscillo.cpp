// The oscilloscope window: the trace it draws, sampled back from its pixels, gives the frame put
// on the wire; the single mode freezes after one start bit; the readout names the frame; the
// record written opens in sigrok-cli and decodes to the character sent; every way out hides it.
#include <QComboBox>
#include <QImage>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>
#include <QtTest>

#include "core/framebits.h"
#include "serial/mscomm.h"
#include "support/appfixture.h"
#include "support/frameformats.h"
#include "support/wait.h"
#include "ui/hardware/fautotest.h"
#include "ui/hardware/foscillo.h"
#include "ui/hardware/scopescreen.h"
#include "ui/shell/svgpicture.h"

using namespace testsupport;
using namespace scope;

namespace {

const QColor kTxColour{192, 0, 0};
const QColor kRxColour{0, 80, 192};
const FrameFormat k7E1{9600, 7, u'E', 1};

// Puts the frame of `code` on a channel from `startNs` on, as the line reports it.
void send(FOscillo& o, int channel, int code, Nanos startNs, const FrameFormat& f) {
    const QString bits = frame::BuildFrameBits(code, QString::number(f.dataBits), QString(f.parity),
                                               QString::number(f.stopBits));
    QList<Edge> edges;
    for (int i = 0; i < bits.size(); ++i)
        edges << Edge{bitStart(startNs, i, f.baud), bits[i] == u'1'};
    edges << Edge{bitStart(startNs, int(bits.size()), f.baud), true};
    o.addChanges(channel, edges);
}

// The bit at time `t` of the sweep, read from the screen's pixels: the trace's colour found in
// the channel's band, above its zero line (positive volts, logic 0) or below it (logic 1).
std::optional<QChar> bitOnScreen(const ScopeScreen& screen, const QImage& image, int channel,
                                 const QColor& colour, Nanos t) {
    const int x = screen.xOf(t);
    const int zero = screen.yOf(channel, 0);
    for (int y = screen.yOf(channel, kSpaceVolts) - 1; y <= screen.yOf(channel, kMarkVolts) + 1;
         ++y) {
        if (QColor(image.pixel(x, y)) == colour) return y < zero ? u'0' : u'1';
    }
    return std::nullopt;
}

struct Fixture : AppFixture {
    Fixture() : AppFixture(Ports::Absent) {}
    FOscillo& scope() { return get<FOscillo>(); }
};

}  // namespace

class TstOscillo : public QObject {
    Q_OBJECT
private slots:
    void traceSampledBackFromThePixels_data() { testsupport::addFrameRows(3); }
    void traceSampledBackFromThePixels() {
        QFETCH(int, code);
        QFETCH(int, baud);
        QFETCH(int, dataBits);
        QFETCH(QString, parity);
        QFETCH(int, stopBits);
        const FrameFormat f{baud, dataBits, parity.at(0), stopBits};
        Fixture fx;
        FOscillo& o = fx.scope();
        o.present({{labline::Signal::TxD, kTxColour}, {labline::Signal::RxD, kRxColour}}, f);
        const Nanos start = 3'000'001;
        send(o, 0, code, start, f);
        send(o, 1, code, start + 500'000, f);  // the far end's answer, later
        o.setLineTime(start + kSecond);
        o.refresh();
        const QImage image = o.screen()->grab().toImage();
        const Nanos width = timeBaseFor(baud, frameBits(f) + 1) * kDivisions;
        const Nanos trigger = width * kTriggerDivision / kDivisions;
        QString drawn;
        for (int i = 0; i < frameBits(f); ++i) {
            const Nanos middle = (bitStart(trigger, i, baud) + bitStart(trigger, i + 1, baud)) / 2;
            const auto bit = bitOnScreen(*o.screen(), image, 0, kTxColour, middle);
            QVERIFY2(bit, qPrintable(QString("bit %1").arg(i)));
            drawn += *bit;
        }
        const QString sent = frame::BuildFrameBits(code, QString::number(dataBits), parity,
                                                   QString::number(stopBits));
        QCOMPARE(drawn, sent);
        // Idle before the trigger point: logic 1.
        QCOMPARE(bitOnScreen(*o.screen(), image, 0, kTxColour, trigger / 2).value_or(u'?'), u'1');
        // The readout gives the frame and its code.
        const QString frameLine = o.screen()->readout().value(1);
        QVERIFY2(frameLine.contains(sent.mid(1, dataBits)), qPrintable(frameLine));
        QVERIFY2(frameLine.contains(QString::number(code)), qPrintable(frameLine));
        QCOMPARE(o.screen()->accessibleDescription(), o.screen()->readout().join('\n'));
    }

    void singleModeFreezesAfterOneStartBit() {
        Fixture fx;
        FOscillo& o = fx.scope();
        o.present({{labline::Signal::TxD, kTxColour}}, k7E1);
        auto* modes = o.findChild<QComboBox*>("Declenchement");
        for (int i = 0; i < modes->count() && o.trigger().mode() != TriggerMode::Single; ++i)
            modes->setCurrentIndex(i);
        QCOMPARE(o.trigger().mode(), TriggerMode::Single);
        auto* runStop = o.findChild<QPushButton*>("BoutonMarche");
        const QString runningCaption = runStop->text();
        send(o, 0, 'A', 1'000'000, k7E1);
        send(o, 0, 'B', 50'000'000, k7E1);
        o.setLineTime(30'000'000);
        o.refresh();
        QVERIFY(!o.trigger().isRunning());
        QVERIFY(runStop->text() != runningCaption);
        const QString first = o.screen()->readout().value(1);
        QVERIFY(first.contains("65"));
        o.setLineTime(kSecond);
        o.refresh();
        QCOMPARE(o.screen()->readout().value(1), first);
        // Run again: the next start bit.
        runStop->click();
        QVERIFY(o.trigger().isRunning());
        o.setLineTime(2 * kSecond);
        send(o, 0, 'C', kSecond + 1'000'000, k7E1);
        o.refresh();
        QVERIFY(o.screen()->readout().value(1).contains("67"));
    }

    void recordOpensInSigrok() {
        const QString sigrok = QStandardPaths::findExecutable("sigrok-cli");
        if (sigrok.isEmpty()) QSKIP("sigrok-cli is not installed");
        Fixture fx;
        FOscillo& o = fx.scope();
        o.present({{labline::Signal::TxD, kTxColour}, {labline::Signal::RxD, kRxColour}}, k7E1);
        for (int i = 0; i < 3; ++i) send(o, 0, "OK!"[i], 2'000'000 + i * 1'500'000, k7E1);
        send(o, 1, 'Z', 9'000'000, k7E1);
        o.findChild<QPushButton*>("BoutonEnregistrer")->click();
        QVERIFY(!o.lastRecording().isEmpty());
        QVERIFY(o.lastRecording().startsWith(fx.folder()));
        for (const auto& [wire, expected] : {std::pair{"TxD", QByteArray("OK!")}, {"RxD", "Z"}}) {
            QProcess p;
            p.start(sigrok, {"-I", "vcd:downsample=1000", "-i", o.lastRecording(), "-P",
                             QString("uart:baudrate=9600:data_bits=7:parity=even:rx=%1").arg(wire),
                             "-A", "uart=rx-data"});
            QVERIFY(p.waitForFinished(60000));
            QCOMPARE(p.exitCode(), 0);
            QByteArray decoded;
            for (const QByteArray& line : p.readAllStandardOutput().split('\n'))
                if (line.startsWith("uart-1: ")) decoded += char(line.mid(8).toInt(nullptr, 16));
            QCOMPARE(decoded, expected);
        }
    }

    // From the self-test's wiring window, hookup on, on the lab: the oscilloscope watches the
    // configured port, and a character sent there is drawn and read.
    void openedFromTheWiringOnTheLab() {
        AppFixture fx(AppFixture::Ports::Lab);
        QVERIFY2(fx.isReady(), qPrintable(fx.errorString()));
        FAutoTest& wiring = fx.get<FAutoTest>();
        wiring.present();
        auto* picture = wiring.findChild<SvgButton*>("ImageOscillo");
        QVERIFY(picture && picture->focusPolicy() != Qt::NoFocus);
        picture->click();  // hookup off: nothing
        QVERIFY(!fx.get<FOscillo>().isVisible());
        wiring.Mesure_Click();
        picture->click();
        FOscillo& o = fx.get<FOscillo>();
        QVERIFY(o.isVisible());
        MSComm port;
        port.setDevicePath(fx.lab->end("com2"));
        port.setSettings("9600,E,7,1");
        port.setPortOpen(true);
        QVERIFY(port.PortOpen());
        port.setOutput("A");
        QVERIFY(waitFor([&] { return o.screen()->readout().value(1).contains("65"); }));
        o.Annuler_Click();
        wiring.Annuler_Click();
    }

    // On a port that is not the lab's the window stays closed and the wiring window says why.
    void notOnARealPort() {
        Fixture fx;
        FAutoTest& wiring = fx.get<FAutoTest>();
        wiring.present();
        wiring.Mesure_Click();
        const QStringList before = wiring.surface().textLines();
        auto* picture = wiring.findChild<SvgButton*>("ImageOscillo");
        picture->click();
        QVERIFY(!fx.scope().isVisible());
        QCOMPARE(wiring.surface().textLines().size(), before.size() + 1);
        QVERIFY(!wiring.surface().textLines().last().trimmed().isEmpty());
        QCOMPARE(picture->accessibleDescription(), wiring.surface().textLines().last());
        wiring.Annuler_Click();
    }

    void everyWayOutHidesIt_data() {
        QTest::addColumn<QString>("way");
        for (const char* way : {"Annuler", "Esc", "close"}) QTest::newRow(way) << QString(way);
    }
    void everyWayOutHidesIt() {
        QFETCH(QString, way);
        Fixture fx;
        FOscillo& o = fx.scope();
        o.present({{labline::Signal::TxD, kTxColour}}, k7E1);
        QVERIFY(QTest::qWaitForWindowExposed(&o));
        QSignalSpy closed(&o, &FOscillo::closed);
        if (way == "Annuler")
            o.findChild<QPushButton*>("Annuler")->click();
        else if (way == "Esc")
            QTest::keyClick(&o, Qt::Key_Escape);
        else
            o.close();
        QVERIFY(QTest::qWaitFor([&] { return o.isHidden(); }));
        QCOMPARE(closed.count(), 1);
        QVERIFY(!o.trigger().isRunning());
    }
};

QTEST_MAIN(TstOscillo)
#include "tst_oscillo.moc"
