// The lab line: ends, cables and plugs, breaks, pacing, flow control, modem lines, noise and the
// transmit queue.
#include <QtTest>
#include <limits>

#include "serial/labline/line.h"

using namespace labline;

namespace {

constexpr Nanos kMs = 1'000'000;
constexpr Nanos kForever = std::numeric_limits<Nanos>::max();

Format fmt(const char* settings) {
    return *parseSettings(QString::fromLatin1(settings));
}

// Two ends, "com1" and "com2", on a null-modem cable, and everything the line reported.
struct Rig {
    Line line;
    QList<Event> events;

    Rig() { line.cableNullModem("com1", "com2"); }
    void openBoth(const Format& f, Handshake h = Handshake::None) {
        for (const char* end : {"com1", "com2"}) line.open(0, end, f, h, true, true);
        line.advance(0);  // the inputs coming up as the ends open
    }
    void runTo(Nanos t) { events += line.advance(t); }

    QList<Event> of(const QString& end, Event::Kind kind, Nanos until = kForever) const {
        QList<Event> found;
        for (const Event& e : events) {
            if (e.end == end && e.kind == kind && e.at <= until) found.append(e);
        }
        return found;
    }
    QList<int> values(const QString& end, Event::Kind kind, Nanos until = kForever) const {
        QList<int> v;
        for (const Event& e : of(end, kind, until)) v.append(e.value);
        return v;
    }
    QByteArray received(const QString& end, Nanos until = kForever) const {
        QByteArray codes;
        for (int v : values(end, Event::Kind::Received, until)) codes.append(char(v));
        return codes;
    }
};

}  // namespace

class TstLablineLine : public QObject {
    Q_OBJECT
private slots:
    // The line takes the speeds a UART offers, from its settings text to its commands: an end
    // opened at another speed stays closed, and a change to one keeps the speed the end had.
    void speedsOffered_data() {
        QTest::addColumn<qint32>("speed");
        QTest::addColumn<bool>("offered");
        for (qint32 speed : {110, 300, 28800, 38400, 57600, 115200})
            QTest::addRow("%d", speed) << speed << true;
        for (qint32 speed : {0, 109, 111, 1234, 28801, 56000, 115201, 128000, 230400, 256000,
                             2000000000, 2147483647})
            QTest::addRow("%d", speed) << speed << false;
    }
    void speedsOffered() {
        QFETCH(qint32, speed);
        QFETCH(bool, offered);
        QCOMPARE(parseSettings(QStringLiteral("%1,N,8,1").arg(speed)).has_value(), offered);
        const Format asked{speed, 8, Parity::None, 2};
        Line fresh;
        fresh.plugLoopback("com1");
        QCOMPARE(fresh.open(0, "com1", asked, Handshake::None, true, true), offered);
        QCOMPARE(fresh.isOpen("com1"), offered);

        const Format before = fmt("4800,N,8,1");
        Line line;
        line.plugLoopback("com1");
        QVERIFY(line.open(0, "com1", before, Handshake::None, true, true));
        QCOMPARE(line.setFormat(kMs, "com1", asked), offered);
        line.write(kMs, "com1", "A");
        const Format kept = offered ? asked : before;
        QList<Event> received;
        for (const Event& e : line.advance(kMs + 2 * frameNanos(kept)))
            if (e.kind == Event::Kind::Received) received.append(e);
        QCOMPARE(received.size(), 1);
        QCOMPARE(received[0].value, int('A'));
        QCOMPARE(received[0].at, kMs + frameNanos(kept));
    }

    // A client of the loopback plug leaves at any point of a frame and a new one opens at that
    // instant and sends "0123456789": the new one reads exactly that, and the wire carried the
    // frame the old one had begun whole, before the new one's.
    void handoverMidFrame_data() {
        QTest::addColumn<QString>("before");
        QTest::addColumn<QString>("after");
        QTest::addColumn<int>("halfBit");  // into the old client's third frame
        const QStringList same{"9600,N,8,1", "115200,E,7,1"};
        for (const QString& settings : same)
            for (int half = 0; half < 20; ++half)
                QTest::addRow("%s, half bit %d", qPrintable(settings), half)
                    << settings << settings << half;
        for (int half : {1, 7, 15})
            QTest::addRow("110 then 9600, half bit %d", half) << "110,N,8,1"
                                                              << "9600,N,8,1" << half;
    }
    void handoverMidFrame() {
        QFETCH(QString, before);
        QFETCH(QString, after);
        QFETCH(int, halfBit);
        const Format old = *parseSettings(before);
        const Format now = *parseSettings(after);
        Line line;
        line.plugLoopback("com1");
        Wire txd;
        line.setProbe([&](Nanos at, const QString&, Signal signal, bool high) {
            if (signal == Signal::TxD) txd.append({at, high ? Level::Mark : Level::Space});
        });
        const QByteArray oldText("\x0F\xF0\x55\xAA\x33\xCC", 6);
        line.open(0, "com1", old, Handshake::None, true, true);
        line.write(0, "com1", oldText);
        const Nanos leave = 2 * frameNanos(old) + halfBitsToNanos(halfBit, old.speed);
        line.advance(leave - 1);
        line.close(leave, "com1");
        line.open(leave, "com1", now, Handshake::None, true, true);
        line.write(leave, "com1", "0123456789");
        QByteArray got;
        QList<int> errors;
        for (const Event& e : line.advance(leave + frameNanos(old) + 12 * frameNanos(now))) {
            if (e.kind == Event::Kind::Received) got.append(char(e.value));
            if (e.kind == Event::Kind::LineError) errors.append(e.value);
        }
        QCOMPARE(got, QByteArray("0123456789"));
        QCOMPARE(errors, QList<int>{});
        QCOMPARE(line.txGone("com1"), 10);
        if (old == now) {
            QByteArray begun = oldText.left(halfBit > 0 ? 3 : 2);
            for (char& c : begun) c = char(quint8(c) & ((1 << old.dataBits) - 1));
            QByteArray onWire;
            for (const Decoded& d : decodeWire(txd, old, line.now())) onWire.append(char(d.code));
            QCOMPARE(onWire, begun + "0123456789");
        }
    }

    // The far end of a cable joins a stream sent back to back at any point of a frame: it reads
    // the frames that begin after it opened, whole, none from the middle of one.
    void receiverJoinsMidStream_data() {
        QTest::addColumn<int>("halfBit");  // into the sender's sixth frame
        for (int half : {0, 1, 9, 10, 19}) QTest::addRow("half bit %d", half) << half;
    }
    void receiverJoinsMidStream() {
        QFETCH(int, halfBit);
        const Format f = fmt("9600,N,8,1");
        const QByteArray text("The quick brown fox jumps");
        Rig rig;
        rig.line.open(0, "com1", f, Handshake::None, true, true);
        rig.line.write(0, "com1", text);
        const Nanos joins = 5 * frameNanos(f) + halfBitsToNanos(halfBit, f.speed);
        rig.line.open(joins, "com2", f, Handshake::None, true, true);
        rig.runTo((text.size() + 1) * frameNanos(f));
        QCOMPARE(rig.received("com2"), text.mid(halfBit > 0 ? 6 : 5));
        QCOMPARE(rig.values("com2", Event::Kind::LineError), QList<int>{});
    }

    // A sender that leaves in the middle of a frame: the far end still reads it whole, and
    // nothing that had not started.
    void closeFinishesFrame_data() {
        QTest::addColumn<int>("halfBit");  // into the second frame
        for (int half : {1, 10, 19}) QTest::addRow("half bit %d", half) << half;
    }
    void closeFinishesFrame() {
        QFETCH(int, halfBit);
        const Format f = fmt("2400,E,7,2");
        Rig rig;
        rig.openBoth(f);
        rig.line.write(0, "com1", "ABCDEF");
        rig.line.close(frameNanos(f) + halfBitsToNanos(halfBit, f.speed), "com1");
        rig.runTo(10 * frameNanos(f));
        QCOMPARE(rig.received("com2"), QByteArray("AB"));
        QCOMPARE(rig.values("com2", Event::Kind::LineError), QList<int>{});
    }

    // The terminal holds Break for 100 ms: one break event, then the line serves again.
    void breakThenCharacter_data() {
        QTest::addColumn<QString>("settings");
        QTest::newRow("110 7E1") << "110,E,7,1";
        QTest::newRow("28800 7E1") << "28800,E,7,1";
        QTest::newRow("28800 8N2") << "28800,N,8,2";
    }
    void breakThenCharacter() {
        QFETCH(QString, settings);
        const Format f = *parseSettings(settings);
        Rig rig;
        rig.openBoth(f);
        rig.line.setBreak(1 * kMs, "com1", true);
        rig.line.setBreak(101 * kMs, "com1", false);
        rig.line.write(102 * kMs, "com1", "Z");
        rig.runTo(102 * kMs + 2 * frameNanos(f));
        QCOMPARE(rig.values("com2", Event::Kind::LineError), QList<int>{kBreakReceived});
        QCOMPARE(rig.received("com2"), QByteArray("Z"));
        QVERIFY(rig.of("com2", Event::Kind::LineError).first().at < 101 * kMs);
    }

    // Nothing arrives faster than the line's speed allows.
    void pacing_data() {
        QTest::addColumn<QString>("settings");
        QTest::newRow("110 7E2") << "110,E,7,2";
        QTest::newRow("28800 8N1") << "28800,N,8,1";
    }
    void pacing() {
        QFETCH(QString, settings);
        const Format f = *parseSettings(settings);
        const int count = 20;
        Rig rig;
        rig.openBoth(f);
        rig.line.write(0, "com1", QByteArray(count, 'k'));
        rig.runTo(count * frameNanos(f) - 1);
        QVERIFY(rig.received("com2").size() < count);
        rig.runTo((count + 1) * frameNanos(f));
        const QList<Event> got = rig.of("com2", Event::Kind::Received);
        QCOMPARE(got.size(), count);
        for (int k = 0; k < count; ++k) QVERIFY(got[k].at >= (k + 1) * frameNanos(f));
    }

    // The far end drops RTS while com1 sends ten characters from time 0, at 2.5 frames: under
    // RTS/CTS the frame in progress (the third) finishes and no other starts until RTS is back.
    void rtsCts_data() {
        QTest::addColumn<int>("handshake");
        QTest::addColumn<int>("whileDropped");
        QTest::newRow("RTS/CTS") << int(Handshake::RtsCts) << 3;
        QTest::newRow("both") << int(Handshake::Both) << 3;
        QTest::newRow("none") << int(Handshake::None) << 10;
        QTest::newRow("Xon/Xoff only") << int(Handshake::XonXoff) << 10;
    }
    void rtsCts() {
        QFETCH(int, handshake);
        QFETCH(int, whileDropped);
        const Format f = fmt("9600,N,8,1");
        const Nanos frame = frameNanos(f);
        Rig rig;
        rig.openBoth(f, Handshake(handshake));
        rig.line.write(0, "com1", "0123456789");
        rig.line.setRts(frame * 5 / 2, "com2", false);
        rig.runTo(20 * frame);
        QVERIFY(!rig.line.inputs("com1").cts);
        QCOMPARE(rig.received("com2").size(), whileDropped);
        QCOMPARE(rig.line.txPending("com1"), 10 - whileDropped);
        rig.line.setRts(20 * frame, "com2", true);
        rig.runTo(31 * frame);
        QCOMPARE(rig.received("com2"), QByteArray("0123456789"));
        QCOMPARE(rig.values("com1", Event::Kind::Modem), (QList<int>{kCtsChanged, kCtsChanged}));
    }

    // com2 sends Xoff at half a frame (com1 reads it at 1.5 frames, during its second frame),
    // another character at 5 frames, Xon at 10 frames; 9.5 frames in, a free sender has sent 9.
    void xonXoff_data() {
        QTest::addColumn<int>("handshake");
        QTest::addColumn<int>("whilePaused");
        QTest::addColumn<QByteArray>("com1Reads");
        QTest::newRow("Xon/Xoff") << int(Handshake::XonXoff) << 2 << QByteArray("x");
        QTest::newRow("both") << int(Handshake::Both) << 2 << QByteArray("x");
        QTest::newRow("none: plain characters")
            << int(Handshake::None) << 9 << QByteArray("\x13x\x11");
        QTest::newRow("RTS/CTS: plain characters")
            << int(Handshake::RtsCts) << 9 << QByteArray("\x13x\x11");
    }
    void xonXoff() {
        QFETCH(int, handshake);
        QFETCH(int, whilePaused);
        QFETCH(QByteArray, com1Reads);
        const Format f = fmt("9600,N,8,1");
        const Nanos frame = frameNanos(f);
        Rig rig;
        rig.openBoth(f, Handshake(handshake));
        rig.line.write(0, "com1", QByteArray(20, 'a'));
        rig.line.sendImmediate(frame / 2, "com2", kXoff);
        rig.line.sendImmediate(5 * frame, "com2", 'x');
        rig.runTo(frame * 19 / 2);
        QCOMPARE(rig.received("com2").size(), whilePaused);
        rig.line.sendImmediate(10 * frame, "com2", kXon);
        rig.runTo(40 * frame);
        QCOMPARE(rig.received("com2").size(), 20);
        QCOMPARE(rig.received("com1"), com1Reads);
    }

    void receiveFlowChar_data() {
        QTest::addColumn<int>("queued");
        QTest::addColumn<int>("capacity");
        QTest::addColumn<bool>("xoffSent");
        QTest::addColumn<int>("expected");
        const int none = int(FlowChar::None), xoff = int(FlowChar::Xoff), xon = int(FlowChar::Xon);
        QTest::newRow("exactly 3/4") << 750 << 1000 << false << none;
        QTest::newRow("past 3/4") << 751 << 1000 << false << xoff;
        QTest::newRow("past 3/4, already sent") << 900 << 1000 << true << none;
        QTest::newRow("draining") << 1 << 1000 << true << none;
        QTest::newRow("drained") << 0 << 1000 << true << xon;
        QTest::newRow("empty, never stopped") << 0 << 1000 << false << none;
        QTest::newRow("tiny queue, full") << 3 << 3 << false << xoff;
        QTest::newRow("tiny queue, 2 of 3") << 2 << 3 << false << none;
        QTest::newRow("huge queue") << 0x7FFFFFFF << 0x7FFFFFFF << false << xoff;
    }
    void receiveFlowChar() {
        QFETCH(int, queued);
        QFETCH(int, capacity);
        QFETCH(bool, xoffSent);
        QFETCH(int, expected);
        QCOMPARE(int(labline::receiveFlowChar(queued, capacity, xoffSent)), expected);
    }

    // What com2 and com1 see when com1's outputs change.
    void modemLines_data() {
        QTest::addColumn<bool>("loopback");  // com1 alone with a plug, else the null modem
        QTest::addColumn<QString>("action");
        QTest::addColumn<QList<int>>("far");
        QTest::addColumn<QList<int>>("own");
        using L = QList<int>;
        QTest::newRow("DTR off") << false << "dtr" << L{kDsrChanged, kCdChanged} << L{};
        QTest::newRow("RTS off") << false << "rts" << L{kCtsChanged} << L{};
        QTest::newRow("ring") << false << "ring" << L{kRingDetected} << L{};
        QTest::newRow("close") << false << "close" << L{kCtsChanged, kDsrChanged, kCdChanged}
                               << L{};
        QTest::newRow("plug: DTR off") << true << "dtr" << L{} << L{kDsrChanged, kCdChanged};
        QTest::newRow("plug: RTS off") << true << "rts" << L{} << L{kCtsChanged};
        QTest::newRow("plug: ring") << true << "ring" << L{} << L{kRingDetected};
    }
    void modemLines() {
        QFETCH(bool, loopback);
        QFETCH(QString, action);
        QFETCH(QList<int>, far);
        QFETCH(QList<int>, own);
        Line line;
        if (loopback) {
            line.plugLoopback("com1");
            line.addEnd("com2");
        } else {
            line.cableNullModem("com1", "com2");
        }
        for (const char* end : {"com1", "com2"}) {
            line.open(0, end, fmt("9600,N,8,1"), Handshake::None, true, true);
        }
        const QString lit = loopback ? "com1" : "com2";
        QVERIFY(line.inputs(lit).cts && line.inputs(lit).dsr && line.inputs(lit).dcd);
        line.advance(kMs);
        if (action == "dtr") line.setDtr(2 * kMs, "com1", false);
        if (action == "rts") line.setRts(2 * kMs, "com1", false);
        if (action == "ring") line.ring(2 * kMs, "com1");
        if (action == "close") line.close(2 * kMs, "com1");
        QList<int> gotFar, gotOwn;
        for (const Event& e : line.advance(3 * kMs)) {
            QCOMPARE(e.at, 2 * kMs);
            (e.end == "com1" ? gotOwn : gotFar).append(e.value);
        }
        QCOMPARE(gotFar, far);
        QCOMPARE(gotOwn, own);
        const InputLines in = line.inputs(lit);
        QCOMPARE(in.ri, action == "ring");
        QCOMPARE(in.dsr && in.dcd, action != "dtr" && action != "close");
        QCOMPARE(in.cts, action != "rts" && action != "close");
        // The ring stops by itself and raises nothing more.
        QVERIFY(line.advance(3 * kMs + kRingPulse).isEmpty());
        QVERIFY(!line.inputs(lit).ri);
    }

    // An end nobody opened drives nothing: the open end sees its inputs off and a quiet line.
    void unopenedEnd() {
        Line line;
        line.cableStraight("com4", "com4-peer");
        line.open(0, "com4", fmt("9600,N,8,1"), Handshake::RtsCts, true, true);
        const InputLines in = line.inputs("com4");
        QVERIFY(!in.cts && !in.dsr && !in.dcd && !in.ri);
        line.write(kMs, "com4", "held");
        QVERIFY(line.advance(100 * kMs).isEmpty());
        QCOMPARE(line.txPending("com4"), 4);
        QVERIFY(line.inputs("com4-peer").cts);
    }

    void noise_data() {
        QTest::addColumn<quint32>("perMillion");
        QTest::addColumn<bool>("errors");
        QTest::newRow("off") << 0u << false;
        QTest::newRow("1 in 1000 bits") << 1000u << true;
    }
    void noise() {
        QFETCH(quint32, perMillion);
        QFETCH(bool, errors);
        const Format f = fmt("28800,E,8,1");
        auto run = [&](quint64 seed) {
            Rig rig;
            rig.line.setNoise(perMillion, seed);
            rig.openBoth(f);
            rig.line.write(0, "com1", QByteArray(3000, 'n'));
            rig.runTo(3001 * frameNanos(f));
            return rig.values("com2", Event::Kind::LineError);
        };
        const QList<int> got = run(7);
        QCOMPARE(!got.isEmpty(), errors);
        QVERIFY(got.contains(kParityError) == errors);
        QCOMPARE(run(7), got);  // the same seed gives the same faults
    }

    // Thirty characters; at 3.5 frames three have left and the fourth is on the wire. A discard
    // drops the last bytes written that its program counts as not taken: as many as the line
    // counts, or more when the program's count lags; the frame on the wire always goes.
    void transmitQueue_data() {
        QTest::addColumn<int>("extra");  // dropped beyond what the line counts as not taken
        QTest::addColumn<int>("kept");   // queued bytes that still go
        QTest::newRow("as the line counts") << 0 << kTxFifoDepth;
        QTest::newRow("one more") << 1 << kTxFifoDepth - 1;
        QTest::newRow("more than queued") << kTxFifoDepth + 3 << 0;
        QTest::newRow("fewer") << -5 << kTxFifoDepth + 5;
    }
    void transmitQueue() {
        QFETCH(int, extra);
        QFETCH(int, kept);
        const Format f = fmt("4800,N,7,2");
        const Nanos frame = frameNanos(f);
        const QByteArray written("ABCDEFGHIJKLMNOPQRSTUVWXYZ0123");
        Rig rig;
        rig.openBoth(f);
        rig.line.write(0, "com1", written);
        rig.runTo(frame * 7 / 2);
        QCOMPARE(rig.line.txGone("com1"), 3);
        QCOMPARE(rig.line.txPending("com1"), 27);
        const qint64 untaken = written.size() - rig.line.txRoom("com1");
        rig.line.discardTx(frame * 7 / 2, "com1", untaken + extra);
        QCOMPARE(rig.line.txPending("com1"), 1 + kept);
        rig.runTo(40 * frame);
        QCOMPARE(rig.line.txGone("com1"), written.size());
        QCOMPARE(rig.line.txPending("com1"), 0);
        QCOMPARE(rig.received("com2"), written.left(4 + kept));
        const QList<int> progress = rig.values("com1", Event::Kind::TxProgress);
        QCOMPARE(progress.mid(0, 4), (QList<int>{1, 2, 3, 3 + 26 - kept}));
        QCOMPARE(progress.last(), int(written.size()));
    }

    // The UART takes a FIFO's worth beyond the frame on the wire, and no more while flow control
    // holds the line: its room grows only as frames start or the queue is dropped.
    void transmitRoom_data() {
        QTest::addColumn<int>("written");
        QTest::addColumn<bool>("xoff");
        QTest::addColumn<bool>("discard");
        QTest::newRow("one character") << 1 << false << false;
        QTest::newRow("more than the FIFO") << 3 * kTxFifoDepth << false << false;
        QTest::newRow("held by Xoff") << 3 * kTxFifoDepth << true << false;
        QTest::newRow("held, then dropped") << 3 * kTxFifoDepth << true << true;
    }
    void transmitRoom() {
        QFETCH(int, written);
        QFETCH(bool, xoff);
        QFETCH(bool, discard);
        const Format f = fmt("1200,N,8,1");
        const Nanos frame = frameNanos(f);
        Rig rig;
        rig.openBoth(f, Handshake::XonXoff);
        QCOMPARE(rig.line.txRoom("com1"), kTxFifoDepth);
        if (xoff) {
            rig.line.sendImmediate(0, "com2", kXoff);
            rig.runTo(2 * frame);
        }
        rig.line.write(2 * frame, "com1", QByteArray(written, 'r'));
        const int started = xoff ? 0 : 1;  // the first frame starts at once on a free line
        QCOMPARE(rig.line.txRoom("com1"), kTxFifoDepth + started);
        rig.runTo(2 * frame + frame * 5 / 2);  // two and a half frames later
        const int startedSince = xoff ? 0 : qMin(written, 3);
        QCOMPARE(rig.line.txRoom("com1"), kTxFifoDepth + startedSince);
        if (discard) rig.line.discardTx(frame * 19 / 4, "com1", written - rig.line.txRoom("com1"));
        rig.runTo(frame * 19 / 4);  // before the next frame starts
        // Dropped, all but the FIFO's worth: everything written is then taken.
        const qint64 expected = discard ? written : kTxFifoDepth + startedSince;
        QCOMPARE(rig.line.txRoom("com1"), expected);
        const QList<int> told = rig.values("com1", Event::Kind::TxRoom);
        QCOMPARE(told.isEmpty() ? qint64(kTxFifoDepth) : qint64(told.last()), expected);
    }
};

QTEST_APPLESS_MAIN(TstLablineLine)
#include "tst_labline_line.moc"
