// The line handing out what happened in batches: a driver that sleeps until nextWakeUp() gets
// every character between its last stop bit and four of its receiver's character times later,
// in order, with errors and breaks at their own times, while the flow control stops a sender at
// its true time whenever the line is looked at.
#include <QtTest>
#include <functional>

#include "serial/labline/line.h"

using namespace labline;

namespace {

constexpr Nanos kMs = 1'000'000;
constexpr int kGrace = 4;  // receiver's character times a character may wait

Format fmt(const QString& settings) {
    return *parseSettings(settings);
}

// Computed here from the format, not from the line: when frame `k` of a stream begun at `start`
// ends (times are whole nanoseconds, rounded down from the stream's start).
Nanos frameEnd(const Format& f, Nanos start, qint64 k) {
    const qint64 parity = f.parity == Parity::None ? 0 : 1;
    const qint64 halfBits = 2 * (1 + f.dataBits + parity) + f.stopHalfBits;
    return start + (k + 1) * halfBits * 1'000'000'000LL / (2LL * f.speed);
}

struct Handout {
    Event event;
    Nanos handedAt;
};

struct Command {
    Nanos at;
    std::function<void(Line&, Nanos)> apply;
};

// com1 and com2 on a null-modem cable, run as the daemon runs it: commands at their times, and
// between them a wake-up at each moment the line names.
struct Driver {
    Line line;
    QList<Handout> out;
    int wakeUps = 0;
    int emptyWakeUps = 0;

    Driver(const QString& sender, const QString& receiver, Handshake h = Handshake::None) {
        line.cableNullModem("com1", "com2");
        line.open(0, "com1", fmt(sender), h, true, true);
        line.open(0, "com2", fmt(receiver), h, true, true);
        line.advance(0);
    }
    void take(Nanos t, bool wakeUp) {
        const QList<Event> events = line.advance(t);
        wakeUps += wakeUp;
        emptyWakeUps += wakeUp && events.isEmpty();
        for (const Event& e : events) out.append({e, t});
    }
    void run(QList<Command> script) {
        for (int guard = 0; guard < 1'000'000; ++guard) {
            const std::optional<Nanos> due = line.nextWakeUp();
            if (!script.isEmpty() && (!due || script.first().at <= *due)) {
                const Command c = script.takeFirst();
                c.apply(line, c.at);
                take(c.at, false);
            } else if (due) {
                QVERIFY(*due >= line.now());
                take(*due, true);
            } else {
                return;
            }
        }
        QFAIL("the line never went quiet");
    }
    QList<Handout> of(const QString& end, Event::Kind kind) const {
        QList<Handout> found;
        for (const Handout& h : out) {
            if (h.event.end == end && h.event.kind == kind) found.append(h);
        }
        return found;
    }
};

Command writeAt(Nanos at, const QByteArray& bytes) {
    return {at, [bytes](Line& l, Nanos t) { l.write(t, "com1", bytes); }};
}

}  // namespace

class TstLablineHandover : public QObject {
    Q_OBJECT
private slots:
    void characters_data() {
        QTest::addColumn<QString>("sender");
        QTest::addColumn<QString>("receiver");
        QTest::addColumn<QList<int>>("bursts");  // characters written at 0, 1 s, 2 s...
        QTest::newRow("alone") << "9600,N,8,1"
                               << "9600,N,8,1" << QList<int>{1};
        QTest::newRow("stream 28800") << "28800,N,8,1"
                                      << "28800,N,8,1" << QList<int>{300};
        QTest::newRow("bursts 110 7E2") << "110,E,7,2"
                                        << "110,E,7,2" << QList<int>{2, 5, 1};
        QTest::newRow("stream 115200 5O1.5") << "115200,O,5,1.5"
                                             << "115200,O,5,1.5" << QList<int>{1, 64};
        QTest::newRow("faster receiver") << "4800,N,8,2"
                                         << "9600,N,7,1" << QList<int>{40};
        QTest::newRow("slower receiver") << "9600,N,8,1"
                                         << "4800,N,8,2" << QList<int>{40};
    }
    void characters() {
        QFETCH(QString, sender);
        QFETCH(QString, receiver);
        QFETCH(QList<int>, bursts);
        Driver d(sender, receiver);
        QList<Command> script;
        QByteArray written;
        for (int i = 0; i < bursts.size(); ++i) {
            QByteArray burst;
            for (int k = 0; k < bursts[i]; ++k) burst.append(char('0' + (written.size() + k) % 64));
            script.append(writeAt(i * 1000 * kMs, burst));
            written += burst;
        }
        d.run(script);
        const Nanos grace = kGrace * (frameEnd(fmt(receiver), 0, 0));
        const QList<Handout> got = d.of("com2", Event::Kind::Received);
        QVERIFY(!got.isEmpty());
        for (const Handout& h : got) {
            QVERIFY2(
                h.handedAt >= h.event.at && h.handedAt <= h.event.at + grace,
                qPrintable(QStringLiteral("at %1, handed at %2").arg(h.event.at).arg(h.handedAt)));
        }
        const Nanos senderGrace = kGrace * frameEnd(fmt(sender), 0, 0);
        const QList<Handout> gone = d.of("com1", Event::Kind::TxProgress);
        QCOMPARE(gone.size(), written.size());
        for (const Handout& h : gone)
            QVERIFY(h.handedAt >= h.event.at && h.handedAt <= h.event.at + senderGrace);
        if (sender != receiver) return;
        // Same format: every character arrives, in order, at the end of its own frame, and the
        // line never wakes its driver for nothing.
        QCOMPARE(d.emptyWakeUps, 0);
        QCOMPARE(got.size(), written.size());
        const int mask = (1 << fmt(sender).dataBits) - 1;
        int k = 0;
        for (int i = 0; i < bursts.size(); ++i) {
            for (int j = 0; j < bursts[i]; ++j, ++k) {
                QCOMPARE(got[k].event.value, int(written[k]) & mask);
                const Nanos end = frameEnd(fmt(sender), i * 1000 * kMs, j);
                QVERIFY(qAbs(got[k].event.at - end) <= 1);
            }
            // The last of a burst has nothing to wait for (the receiver's frame may end a
            // nanosecond before the sender's stream: both are rounded down from their start).
            QVERIFY(got[k - 1].handedAt - got[k - 1].event.at <= 1);
        }
        // Streams go in batches: a wake-up for several characters.
        QVERIFY(d.wakeUps <= written.size() / kGrace + 2 * bursts.size());
    }

    // Errors and breaks come at the end of the frame read, before the character they spoil,
    // in the middle of a stream as well as alone.
    void errors_data() {
        QTest::addColumn<QString>("sender");
        QTest::addColumn<QString>("receiver");
        QTest::addColumn<int>("event");
        // 'A': two ones, and a space where a seven-bit receiver looks for its stop bit.
        QTest::newRow("parity") << "9600,O,8,1"
                                << "9600,E,8,1" << int(kParityError);
        QTest::newRow("framing") << "9600,N,8,1"
                                 << "9600,N,7,1" << int(kFramingError);
    }
    void errors() {
        QFETCH(QString, sender);
        QFETCH(QString, receiver);
        QFETCH(int, event);
        for (int ahead : {0, 20}) {
            Driver d(sender, receiver);
            // The stream ahead goes at the receiver's own format: the spoilt one is the last.
            d.run({{0,
                    [&](Line& l, Nanos t) {
                        l.setFormat(t, "com1", fmt(receiver));
                        l.write(t, "com1", QByteArray(ahead, 'U'));
                    }},
                   {frameEnd(fmt(receiver), 0, ahead - 1), [&](Line& l, Nanos t) {
                        l.setFormat(t, "com1", fmt(sender));
                        l.write(t, "com1", "A");
                    }}});
            const QList<Handout> errors = d.of("com2", Event::Kind::LineError);
            QCOMPARE(errors.size(), 1);
            QCOMPARE(errors[0].event.value, event);
            const Nanos start = frameEnd(fmt(receiver), 0, ahead - 1);
            QVERIFY(qAbs(errors[0].event.at - frameEnd(fmt(receiver), start, 0)) <= 1);
            QCOMPARE(errors[0].handedAt, errors[0].event.at);
            const QList<Handout> got = d.of("com2", Event::Kind::Received);
            QCOMPARE(got.size(), ahead + 1);
            QVERIFY(got.last().event.parityError || got.last().event.framingError);
            QCOMPARE(got.last().event.at, errors[0].event.at);
        }
    }

    // A break between two bursts: reported one frame after it begins, between them.
    void lineBreak() {
        const Format f = fmt("2400,N,8,1");
        Driver d("2400,N,8,1", "2400,N,8,1");
        const Nanos on = 30 * kMs;
        d.run({writeAt(0, "abcde"),
               {on, [](Line& l, Nanos t) { l.setBreak(t, "com1", true); }},
               {on + 50 * kMs, [](Line& l, Nanos t) { l.setBreak(t, "com1", false); }},
               writeAt(on + 60 * kMs, "fghij")});
        const QList<Handout> breaks = d.of("com2", Event::Kind::LineError);
        QCOMPARE(breaks.size(), 1);
        QCOMPARE(breaks[0].event.value, int(kBreakReceived));
        QVERIFY(qAbs(breaks[0].event.at - frameEnd(f, on, 0)) <= 1);
        QCOMPARE(breaks[0].handedAt, breaks[0].event.at);
        QByteArray before;
        QByteArray after;
        for (const Handout& h : d.of("com2", Event::Kind::Received))
            (h.event.at < breaks[0].event.at ? before : after).append(char(h.event.value));
        QCOMPARE(before, QByteArray("abcde"));
        QCOMPARE(after, QByteArray("fghij"));
    }

    // A stop takes effect at its true time, however seldom the line is looked at: the frame on
    // the wire finishes, none starts after it, and the queue counts what is left.
    void stops_data() {
        QTest::addColumn<bool>("byXoff");
        QTest::addColumn<int>("frameStopped");  // the frame on the wire when the stop arrives
        QTest::newRow("CTS") << false << 6;
        QTest::newRow("Xoff") << true << 9;
    }
    void stops() {
        QFETCH(bool, byXoff);
        QFETCH(int, frameStopped);
        const Format f = fmt("28800,N,8,1");
        Driver d("28800,N,8,1", "28800,N,8,1", byXoff ? Handshake::XonXoff : Handshake::RtsCts);
        // The stop arrives in the middle of frame `frameStopped`; an Xoff arrives once read.
        const Nanos mid = (frameEnd(f, 0, frameStopped - 1) + frameEnd(f, 0, frameStopped)) / 2;
        const Nanos at = byXoff ? mid - frameEnd(f, 0, 0) : mid;
        d.run({writeAt(0, QByteArray(100, 'z')), {at, [byXoff](Line& l, Nanos t) {
                                                      if (byXoff)
                                                          l.sendImmediate(t, "com2", kXoff);
                                                      else
                                                          l.setRts(t, "com2", false);
                                                  }}});
        const QList<Handout> gone = d.of("com1", Event::Kind::TxProgress);
        QCOMPARE(gone.size(), frameStopped + 1);
        QVERIFY(qAbs(gone.last().event.at - frameEnd(f, 0, frameStopped)) <= 1);
        QCOMPARE(d.line.txPending("com1"), 100 - frameStopped - 1);
        QCOMPARE(d.of("com2", Event::Kind::Received).size(), frameStopped + 1);
    }
};

QTEST_APPLESS_MAIN(TstLablineHandover)
#include "tst_labline_handover.moc"
