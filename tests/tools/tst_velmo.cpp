// The emulated interface unit without a line: commands in, reply bytes out, driven by a clock
// the test moves by hand.
#include <QtTest>

#include "emulator.h"
#include "options.h"

using namespace velmo;

Q_DECLARE_METATYPE(velmo::Misbehaviour)
Q_DECLARE_METATYPE(velmo::Piece)

namespace {

// A reading the reply must carry: "EA3" analog input 3, "EB5" binary input 5, "CPT1" counter 1.
int readingOf(const Unit& unit, const QString& reading) {
    const int n = reading.back().digitValue();
    if (reading.startsWith("EA")) return unit.analogInput(n);
    if (reading.startsWith("EB")) return unit.binaryInput(n);
    return int(unit.edgeCount(n));
}

struct Rig {
    qint64 now = 0;
    Emulator emulator;
    explicit Rig(Misbehaviour how = {}) : emulator([this] { return now; }, how) {}

    QByteArray send(const QByteArray& bytes) {
        emulator.receive(bytes);
        return emulator.takeDue();
    }
    // The reply of one reading command at the current time.
    int read(const QByteArray& command) {
        const QByteArray reply = send(command);
        bool ok = false;
        const int value = reply.chopped(1).toInt(&ok);
        return ok && reply.endsWith('\r') ? value : -1;
    }
};

}  // namespace

class TstVelmo : public QObject {
    Q_OBJECT

private slots:
    // Exact reply bytes, however the command is cut and spaced; malformed commands get nothing.
    void replies_data() {
        QTest::addColumn<QList<QByteArray>>("chunks");  // as the reads deliver them
        QTest::addColumn<qint64>("atMs");
        QTest::addColumn<QStringList>("readings");  // the replies expected, in order
        using L = QList<QByteArray>;
        using S = QStringList;
        QTest::newRow("XEA with two blanks") << L{"XEA  3\r"} << 4321LL << S{"EA3"};
        QTest::newRow("XEA with one blank") << L{"XEA 7\r"} << 9000LL << S{"EA7"};
        QTest::newRow("XEA with five blanks") << L{"XEA     0\r"} << 1LL << S{"EA0"};
        QTest::newRow("leading zeros") << L{"XEA 006\r"} << 777LL << S{"EA6"};
        QTest::newRow("XEBIT 0") << L{"XEBIT  0\r"} << 2000LL << S{"EB0"};
        QTest::newRow("XEBIT 5") << L{"XEBIT 5\r"} << 12345LL << S{"EB5"};
        QTest::newRow("XCPT 0") << L{"XCPT 0\r"} << 60000LL << S{"CPT0"};
        QTest::newRow("XCPT 1") << L{"XCPT  1\r"} << 60000LL << S{"CPT1"};
        QTest::newRow("split across two reads") << L{"XE", "A  3\r"} << 500LL << S{"EA3"};
        QTest::newRow("split before the CR") << L{"XEBIT 2", "\r"} << 0LL << S{"EB2"};
        QTest::newRow("byte by byte")
            << L{"X", "C", "P", "T", " ", "1", "\r"} << 7000LL << S{"CPT1"};
        QTest::newRow("two in one read") << L{"XEA 1\rXEBIT 4\r"} << 3000LL << S{"EA1", "EB4"};
        QTest::newRow("CR LF endings") << L{"XEA 1\r\n", "XEA 2\r\n"} << 3000LL << S{"EA1", "EA2"};
        QTest::newRow("no CR yet") << L{"XEA 3"} << 0LL << S{};
        QTest::newRow("unknown word") << L{"XFOO 1\r"} << 0LL << S{};
        QTest::newRow("lower case") << L{"xea 1\r"} << 0LL << S{};
        QTest::newRow("no blank") << L{"XEA3\r"} << 0LL << S{};
        QTest::newRow("no number") << L{"XEA \r"} << 0LL << S{};
        QTest::newRow("no argument at all") << L{"XEBIT\r"} << 0LL << S{};
        QTest::newRow("trailing letter") << L{"XEA 3x\r"} << 0LL << S{};
        QTest::newRow("trailing blank") << L{"XEA 3 \r"} << 0LL << S{};
        QTest::newRow("analog input 8") << L{"XEA 8\r"} << 0LL << S{};
        QTest::newRow("binary input 6") << L{"XEBIT 6\r"} << 0LL << S{};
        QTest::newRow("counter 2") << L{"XCPT 2\r"} << 0LL << S{};
        QTest::newRow("huge number") << L{"XEA 00000000000000000003\r"} << 0LL << S{};
        QTest::newRow("empty line") << L{"\r"} << 0LL << S{};
        QTest::newRow("noise, then a command")
            << L{QByteArray(1000, '#') + "XEA 1\r", "XEA 2\r"} << 0LL << S{"EA2"};
        QTest::newRow("silent commands") << L{"XSA 12\rXSBIT 1\rXRBIT 1\rXRESET\r"} << 0LL << S{};
    }
    void replies() {
        QFETCH(QList<QByteArray>, chunks);
        QFETCH(qint64, atMs);
        QFETCH(QStringList, readings);
        Rig rig;
        rig.now = atMs;
        QByteArray got;
        for (const QByteArray& chunk : chunks) got += rig.send(chunk);
        QByteArray expected;
        for (const QString& r : readings)
            expected += QByteArray::number(readingOf(rig.emulator.unit(), r)) + '\r';
        QCOMPARE(got, expected);
        QCOMPARE(rig.emulator.msUntilNext(), std::nullopt);
    }

    // The output commands change the unit's state; none of them replies.
    void outputs_data() {
        QTest::addColumn<QByteArray>("commands");
        QTest::addColumn<int>("analog");  // -1: as at power-on
        QTest::addColumn<int>("bits");    // binary outputs 0..5 as a mask
        QTest::newRow("XSA 0") << QByteArray("XSA 0\r") << 0 << 0;
        QTest::newRow("XSA 255") << QByteArray("XSA  255\r") << 255 << 0;
        QTest::newRow("XSA 256 ignored") << QByteArray("XSA 256\r") << -1 << 0;
        QTest::newRow("XSBIT 5") << QByteArray("XSBIT 5\r") << -1 << 0b100000;
        QTest::newRow("set, set, reset")
            << QByteArray("XSBIT 0\rXSBIT  3\rXRBIT 0\r") << -1 << 0b1000;
        QTest::newRow("reset a clear bit") << QByteArray("XRBIT 2\r") << -1 << 0;
        QTest::newRow("XSBIT 6 ignored") << QByteArray("XSBIT 6\r") << -1 << 0;
        QTest::newRow("XRESET restores")
            << QByteArray("XSA 7\rXSBIT 1\rXSBIT 4\rXRESET\r") << -1 << 0;
        QTest::newRow("XRESET with a number ignored")
            << QByteArray("XSA 7\rXSBIT 1\rXRESET 1\r") << 7 << 0b10;
        QTest::newRow("after XRESET") << QByteArray("XRESET\rXSA 9\rXSBIT 2\r") << 9 << 0b100;
    }
    void outputs() {
        QFETCH(QByteArray, commands);
        QFETCH(int, analog);
        QFETCH(int, bits);
        Rig fresh;
        Rig rig;
        rig.now = 2500;
        QCOMPARE(rig.send(commands), QByteArray());
        QCOMPARE(rig.emulator.msUntilNext(), std::nullopt);
        const Unit& unit = rig.emulator.unit();
        QCOMPARE(unit.analogOutput(), analog < 0 ? fresh.emulator.unit().analogOutput() : analog);
        for (int n = 0; n < kBinaryOutputs; ++n)
            QCOMPARE(unit.binaryOutput(n), bool(bits >> n & 1));
    }

    // Each analog input moves slowly through a wave of its own, within 0..255.
    void waves_data() {
        QTest::addColumn<int>("input");
        for (int n = 0; n < kAnalogInputs; ++n) QTest::addRow("EA%d", n) << n;
    }
    void waves() {
        QFETCH(int, input);
        constexpr int kStepMs = 250;
        constexpr int kSpanMs = 3 * 60 * 1000;
        Rig rig;
        QList<int> codes;
        QList<QList<int>> others(kAnalogInputs);
        for (rig.now = 0; rig.now <= kSpanMs; rig.now += kStepMs) {
            for (int n = 0; n < kAnalogInputs; ++n)
                others[n].append(rig.read("XEA " + QByteArray::number(n) + '\r'));
        }
        codes = others[input];
        const auto [lo, hi] = std::minmax_element(codes.begin(), codes.end());
        QVERIFY2(*lo >= 0 && *hi <= 255, qPrintable(QString("%1..%2").arg(*lo).arg(*hi)));
        QVERIFY2(*hi - *lo >= 64, "the input hardly moves");
        for (int i = 1; i < codes.size(); ++i)
            QVERIFY2(qAbs(codes[i] - codes[i - 1]) <= 32, "the input jumps");
        for (int n = 0; n < kAnalogInputs; ++n)
            if (n != input)
                QVERIFY2(others[n] != codes, qPrintable(QString("same as EA%1").arg(n)));
    }

    // Counter 0 counts the falling edges of binary input 0, counter 1 the rising edges of binary
    // input 1, from the start and again from zero after XRESET.
    void edgeCounters_data() {
        QTest::addColumn<int>("counter");
        QTest::addColumn<int>("input");
        QTest::addColumn<bool>("rising");
        QTest::newRow("counter 0") << 0 << 0 << false;
        QTest::newRow("counter 1") << 1 << 1 << true;
    }
    void edgeCounters() {
        QFETCH(int, counter);
        QFETCH(int, input);
        QFETCH(bool, rising);
        constexpr int kStepMs = 10;  // far shorter than any steady state of an input
        const QByteArray count = "XCPT " + QByteArray::number(counter) + '\r';
        const QByteArray state = "XEBIT " + QByteArray::number(input) + '\r';
        Rig rig;
        QCOMPARE(rig.read(count), 0);
        const qint64 resetAt = 45000;
        int seen = 0;
        int changes = 0;
        int last = rig.read(state);
        for (rig.now = kStepMs; rig.now <= 120000; rig.now += kStepMs) {
            const int now = rig.read(state);
            QVERIFY(now == 0 || now == 1);
            if (now != last) ++changes;
            if (now != last && (now == 1) == rising) ++seen;
            last = now;
            // At every step, so that an edge is counted at the very moment the input changes.
            QCOMPARE(rig.read(count), seen);
            if (rig.now == resetAt) {
                QVERIFY2(seen > 0, "no edge in 45 s");
                rig.send("XRESET\r");
                QCOMPARE(rig.read(count), 0);
                seen = 0;
            }
        }
        QCOMPARE(rig.read(count), seen);
        QVERIFY2(changes >= 20 && changes <= 1200, qPrintable(QString::number(changes)));
    }

    // The other binary inputs change now and then too.
    void binaryInputsChange() {
        Rig rig;
        for (int n = 0; n < kBinaryInputs; ++n) {
            QSet<int> states;
            const QByteArray command = "XEBIT " + QByteArray::number(n) + '\r';
            for (rig.now = 0; rig.now <= 60000; rig.now += 100) states.insert(rig.read(command));
            QCOMPARE(states, QSet<int>({0, 1}));
        }
    }

    // The pieces a reply leaves in, under each misbehaviour.
    void pieces_data() {
        QTest::addColumn<int>("value");
        QTest::addColumn<Misbehaviour>("how");
        QTest::addColumn<QList<Piece>>("pieces");
        using P = QList<Piece>;
        QTest::newRow("plain") << 128 << Misbehaviour{} << P{{0, "128\r"}};
        QTest::newRow("zero") << 0 << Misbehaviour{} << P{{0, "0\r"}};
        QTest::newRow("late") << 128 << Misbehaviour{false, 350} << P{{350, "128\r"}};
        QTest::newRow("split") << 128 << Misbehaviour{false, 0, 40} << P{{0, "1"}, {40, "28\r"}};
        QTest::newRow("split one digit")
            << 7 << Misbehaviour{false, 0, 40} << P{{0, "7"}, {40, "\r"}};
        QTest::newRow("late and split")
            << 255 << Misbehaviour{false, 90, 0} << P{{90, "2"}, {0, "55\r"}};
        QTest::newRow("silent") << 128 << Misbehaviour{true} << P{};
        QTest::newRow("silent wins") << 128 << Misbehaviour{true, 10, 10, true} << P{};
    }
    void pieces() {
        QFETCH(int, value);
        QFETCH(Misbehaviour, how);
        QFETCH(QList<Piece>, pieces);
        QCOMPARE(replyPieces(value, how), pieces);
    }

    // A spoilt reply is one text that a reader of a leading number takes for none.
    void garbage_data() {
        QTest::addColumn<int>("splitMs");
        QTest::newRow("whole") << -1;
        QTest::newRow("split") << 30;
    }
    void garbage() {
        QFETCH(int, splitMs);
        QByteArray text;
        for (const Piece& p : replyPieces(42, Misbehaviour{false, 0, splitMs, true}))
            text += p.bytes;
        QVERIFY(text.endsWith('\r'));
        const QByteArray body = text.chopped(1).trimmed();
        QVERIFY(!body.isEmpty());
        QVERIFY2(!std::isdigit(static_cast<unsigned char>(body.front())), text.constData());
        QVERIFY(!body.startsWith('-') && !body.startsWith('+') && !body.startsWith('.'));
    }

    // Replies leave when their pauses are over, whole and in the order of the commands.
    void timing_data() {
        QTest::addColumn<Misbehaviour>("how");
        QTest::addColumn<QList<qint64>>("steps");  // times at which the test looks
        QTest::addColumn<QList<int>>("sizes");     // bytes due at each look
        using T = QList<qint64>;
        using N = QList<int>;
        // Two replies of "0\r" (no edge counted yet): two bytes each.
        QTest::newRow("at once") << Misbehaviour{} << T{0, 1000} << N{4, 0};
        // One command at a time: the second pause starts when the first reply is out.
        QTest::newRow("late") << Misbehaviour{false, 300} << T{0, 299, 300, 599, 600}
                              << N{0, 0, 2, 0, 2};
        QTest::newRow("split") << Misbehaviour{false, 0, 50} << T{0, 49, 50, 99, 100}
                               << N{1, 0, 2, 0, 1};
        QTest::newRow("late and split")
            << Misbehaviour{false, 100, 50} << T{0, 100, 150, 249, 250, 300} << N{0, 1, 1, 0, 1, 1};
        QTest::newRow("silent") << Misbehaviour{true} << T{0, 100000} << N{0, 0};
    }
    void timing() {
        QFETCH(Misbehaviour, how);
        QFETCH(QList<qint64>, steps);
        QFETCH(QList<int>, sizes);
        Rig rig(how);
        rig.emulator.receive("XCPT 0\rXCPT 1\r");
        QByteArray all;
        for (int i = 0; i < steps.size(); ++i) {
            rig.now = steps[i];
            const QByteArray due = rig.emulator.takeDue();
            QVERIFY2(
                due.size() == sizes[i],
                qPrintable(QString("at %1 ms: '%2'").arg(steps[i]).arg(QString::fromLatin1(due))));
            all += due;
            if (const auto next = rig.emulator.msUntilNext()) QVERIFY(*next > 0);
        }
        QCOMPARE(all, how.silent ? QByteArray() : QByteArray("0\r0\r"));
        QCOMPARE(rig.emulator.msUntilNext(), std::nullopt);
    }

    void options_data() {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<bool>("valid");
        QTest::addColumn<int>("delayMs");
        QTest::addColumn<int>("splitMs");
        using S = QStringList;
        QTest::newRow("device") << S{"/dev/ttyUSB0"} << true << 0 << -1;
        QTest::newRow("pty with link") << S{"--pty", "--link", "x"} << true << 0 << -1;
        QTest::newRow("delay and split")
            << S{"--delay", "250", "--split=0", "d"} << true << 250 << 0;
        QTest::newRow("nothing") << S{} << false << 0 << -1;
        QTest::newRow("device and pty") << S{"d", "--pty"} << false << 0 << -1;
        QTest::newRow("two devices") << S{"d", "e"} << false << 0 << -1;
        QTest::newRow("link without pty") << S{"--link", "x", "d"} << false << 0 << -1;
        QTest::newRow("negative delay") << S{"--delay", "-5", "d"} << false << 0 << -1;
        QTest::newRow("split in words") << S{"--split", "soon", "d"} << false << 0 << -1;
        QTest::newRow("unknown option") << S{"--fast", "d"} << false << 0 << -1;
    }
    void options() {
        QFETCH(QStringList, args);
        QFETCH(bool, valid);
        QFETCH(int, delayMs);
        QFETCH(int, splitMs);
        const Options o = parseOptions(QStringList{"velmo-emulator"} + args);
        QCOMPARE(o.error.isEmpty(), valid);
        if (!valid) return;
        QCOMPARE(o.how.delayMs, delayMs);
        QCOMPARE(o.how.splitMs, splitMs);
    }
};

QTEST_GUILESS_MAIN(TstVelmo)
#include "tst_velmo.moc"
