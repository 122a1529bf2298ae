// The oscilloscope's rules: a frame put on a wire, triggered on, drawn and read back from the
// drawing gives the frame again; the trigger's modes; a channel's bound.
#include <QtTest>

#include "core/framebits.h"
#include "core/scope.h"
#include "support/frameformats.h"

using namespace scope;

namespace {

// The wire carrying the frame of `code` from `startNs` on, idle before and after.
Channel wireWith(const QString& bits, Nanos startNs, int baud, Channel wire = Channel()) {
    for (int i = 0; i < bits.size(); ++i)
        wire.append({bitStart(startNs, i, baud), bits.at(i) == u'1'});
    wire.append({bitStart(startNs, int(bits.size()), baud), true});
    return wire;
}

}  // namespace

class TstScope : public QObject {
    Q_OBJECT
private slots:
    void frameReadBackFromTheTrace_data() { testsupport::addFrameRows(6); }
    void frameReadBackFromTheTrace() {
        QFETCH(int, code);
        QFETCH(int, baud);
        QFETCH(int, dataBits);
        QFETCH(QString, parity);
        QFETCH(int, stopBits);
        const QString bits = frame::BuildFrameBits(code, QString::number(dataBits), parity,
                                                   QString::number(stopBits));
        const Nanos start = 123'457;  // off any division
        const Channel wire = wireWith(bits, start, baud);
        const Nanos base = timeBaseFor(baud, int(bits.size()) + 1);
        Trigger trigger;
        trigger.setMode(TriggerMode::Normal);
        trigger.setTimeBase(base);
        trigger.run(0);
        const auto sweep = trigger.next(wire, start + kSecond);
        QVERIFY(sweep && sweep->triggered);
        // The start bit's edge is at the trigger point.
        QCOMPARE(sweep->startNs + kTriggerDivision * base, start);
        const Nanos width = kDivisions * base;
        const QList<Point> drawn = trace(wire, sweep->startNs, width);
        for (const Point& p : drawn) QVERIFY(p.volts == kMarkVolts || p.volts == kSpaceVolts);
        const auto reading = readFrame(drawn, start - sweep->startNs,
                                       {baud, dataBits, parity.at(0), stopBits}, width);
        QVERIFY(reading);
        QCOMPARE(reading->bits, bits);
        QCOMPARE(reading->code, code);
        QVERIFY(reading->parityOk);
        QVERIFY(reading->framingOk);
    }

    // A frame sent at 4800 bauds and read at 9600 is not read as sent.
    void wrongSpeedIsNotReadAsSent() {
        const QString bits = frame::BuildFrameBits(65, "7", "E", "1");
        const Channel wire = wireWith(bits, 1000, 4800);
        const Nanos width = kDivisions * timeBaseFor(4800, 12);
        const auto reading = readFrame(trace(wire, 0, width), 1000, {9600, 7, u'E', 1}, width);
        QVERIFY(reading);
        QVERIFY(!(reading->code == 65 && reading->framingOk && reading->parityOk));
    }

    // A trace that ends before the frame does gives no reading.
    void frameCutByTheScreen() {
        const QString bits = frame::BuildFrameBits(65, "7", "E", "1");
        const Channel wire = wireWith(bits, 0, 110);
        const Nanos width = kDivisions * timeBases().front();
        QVERIFY(!readFrame(trace(wire, 0, width), 0, {110, 7, u'E', 1}, width));
    }

    void singleFreezesAfterOneTrigger() {
        const QString bits = frame::BuildFrameBits(65, "7", "E", "1");
        const Nanos second = 5'000'000;
        const Channel wire = wireWith(bits, second, 9600, wireWith(bits, 1'000, 9600));
        Trigger trigger;
        trigger.setMode(TriggerMode::Single);
        trigger.setTimeBase(timeBaseFor(9600, 11));
        trigger.run(0);
        const auto first = trigger.next(wire, kSecond);
        QVERIFY(first && first->triggered);
        QVERIFY(first->startNs < 1'000);
        QVERIFY(!trigger.isRunning());
        QVERIFY(!trigger.next(wire, 2 * kSecond));
        trigger.run(first->startNs + 1'000'000);
        const auto again = trigger.next(wire, 2 * kSecond);
        QVERIFY(again && again->startNs > first->startNs);
        QVERIFY(again->startNs < second);
    }

    // Without a start bit the automatic mode shows the line after a while; the normal one waits.
    void autoRunsFreeOnAnIdleLine() {
        const Channel idle;
        for (TriggerMode mode : {TriggerMode::Auto, TriggerMode::Normal}) {
            Trigger trigger;
            trigger.setMode(mode);
            trigger.setTimeBase(timeBases().front());
            trigger.run(0);
            QVERIFY(!trigger.next(idle, 1'000));
            const auto later = trigger.next(idle, kSecond);
            QCOMPARE(later.has_value(), mode == TriggerMode::Auto);
            if (later) QCOMPARE(later->triggered, false);
            if (later) QCOMPARE(later->startNs + kDivisions * timeBases().front(), kSecond);
        }
    }

    // Characters back to back for a second, the screen refreshed 30 times a second: each sweep
    // shown starts on a start bit and is never more than two screens behind the line. The code's
    // one data-bit fall lies just where the first fall after a screen's end would be.
    void sweepsKeepUpWithTheLine() {
        const QString bits = frame::BuildFrameBits(0x40, "8", "N", "1");
        Channel wire;
        const int perSecond = 9600 / int(bits.size());
        for (int c = 0; c < perSecond; ++c)
            wire = wireWith(bits, bitStart(0, c * int(bits.size()), 9600), 9600, wire);
        Trigger trigger;
        trigger.setTimeBase(timeBaseFor(9600, 11));
        trigger.setFormat(FrameFormat{9600, 8, u'N', 1});
        trigger.run(0);
        const Nanos width = kDivisions * timeBaseFor(9600, 11);
        int shown = 0;
        for (Nanos now = 0; now < kSecond; now += kSecond / 30) {
            const auto sweep = trigger.next(wire, now);
            if (!sweep) continue;
            ++shown;
            QVERIFY(sweep->triggered);
            QVERIFY(now - (sweep->startNs + width) < 2 * width + kSecond / 30);
            const auto reading =
                readFrame(trace(wire, sweep->startNs, width), kTriggerDivision * width / kDivisions,
                          {9600, 8, u'N', 1}, width);
            QVERIFY(reading && reading->code == 0x40 && reading->framingOk);
        }
        QVERIFY(shown >= 25);
    }

    void channelKeepsItsBound() {
        Channel wire(true, 4);
        for (int i = 0; i < 10; ++i) wire.append({i * 100, i % 2 == 1});
        wire.append({2'000, true});  // the level it has: no change
        wire.append({50, false});    // before the last change: ignored
        QCOMPARE(wire.dropped(), 6);
        QCOMPARE(wire.between(0, 10'000).size(), 4);
        QCOMPARE(wire.levelAt(0), wire.levelAt(599));
        QCOMPARE(wire.levelAt(10'000), true);
        QCOMPARE(wire.lastChange().value_or(-1), Nanos(900));
    }

    // From one bit at the fastest speed to one character at the slowest, each on one screen.
    void timeBasesCoverTheSpeeds_data() {
        QTest::addColumn<int>("baud");
        QTest::addColumn<int>("bitTimes");
        QTest::newRow("one bit at 28800") << 28800 << 1;
        QTest::newRow("a character at 28800") << 28800 << 12;
        QTest::newRow("a character at 9600") << 9600 << 12;
        QTest::newRow("a character at 110") << 110 << 12;
    }
    void timeBasesCoverTheSpeeds() {
        QFETCH(int, baud);
        QFETCH(int, bitTimes);
        const Nanos base = timeBaseFor(baud, bitTimes);
        QVERIFY(base * (kDivisions - kTriggerDivision) >= bitStart(0, bitTimes, baud));
        // The next smaller base would not do.
        const auto bases = timeBases();
        const auto at = std::find(bases.begin(), bases.end(), base);
        QVERIFY(at != bases.end());
        if (at != bases.begin())
            QVERIFY(*(at - 1) * (kDivisions - kTriggerDivision) < bitStart(0, bitTimes, baud));
        QVERIFY(QRegularExpression("^\\d+ (µs|ms)/div$").match(timeBaseText(base)).hasMatch());
    }
};

QTEST_MAIN(TstScope)
#include "tst_scope.moc"
