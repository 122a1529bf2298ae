// The lab line's capture as a value change dump, read back by sigrok's UART decoder.
#include <QtTest>

#include "serial/labline/vcdwriter.h"

using namespace labline;

namespace {

constexpr Nanos kMs = 1'000'000;

// com1 on a straight cable to the peer, both with `settings`; com1 sends `text` at 1 ms, then
// drops DTR at `dtrOffAt`. Returns the dump.
QByteArray capture(const QString& settings, const QByteArray& text, Nanos dtrOffAt) {
    QByteArray dump;
    QBuffer buffer(&dump);
    buffer.open(QIODevice::WriteOnly);
    Line line;
    line.cableStraight("com1", "com4-peer");
    VcdWriter writer(&buffer, line.ends());
    line.setProbe(writer.probe());
    const Format f = *parseSettings(settings);
    line.open(0, "com1", f, Handshake::None, true, true);
    line.open(0, "com4-peer", f, Handshake::None, true, true);
    line.write(kMs, "com1", text);
    line.setDtr(dtrOffAt, "com1", false);
    line.advance(dtrOffAt + kMs);
    return dump;
}

// The changes of one wire as {time, value}, read from the dump with its own declarations.
QList<QPair<Nanos, int>> changes(const QByteArray& dump, const QString& wire) {
    QByteArray id;
    Nanos now = 0;
    QList<QPair<Nanos, int>> found;
    for (const QByteArray& line : dump.split('\n')) {
        const QList<QByteArray> words = line.split(' ');
        if (words.size() == 6 && words[0] == "$var" && words[4] == wire.toLatin1()) id = words[3];
        if (line.startsWith('#')) now = line.mid(1).toLongLong();
        if (!id.isEmpty() && (line.startsWith('0') || line.startsWith('1')) && line.mid(1) == id)
            found.append({now, line[0] - '0'});
    }
    return found;
}

}  // namespace

class TstLablineVcd : public QObject {
    Q_OBJECT
private slots:
    void modemWires() {
        const QByteArray dump = capture("9600,N,8,1", "A", 7 * kMs);
        QVERIFY(dump.startsWith("$timescale 1 ns $end"));
        // Idle, then up as the ends open, then down when DTR drops.
        using Changes = QList<QPair<Nanos, int>>;
        QCOMPARE(changes(dump, "com4_peer_DSR"), (Changes{{0, 0}, {0, 1}, {7 * kMs, 0}}));
        QCOMPARE(changes(dump, "com4_peer_DCD"), (Changes{{0, 0}, {0, 1}, {7 * kMs, 0}}));
        QCOMPARE(changes(dump, "com1_RI"), (Changes{{0, 0}}));
        // The peer's RxD follows com1's TxD edge for edge.
        const Changes tx = changes(dump, "com1_TxD");
        QCOMPARE(changes(dump, "com4_peer_RxD"), tx);
        QCOMPARE(tx.first(), (QPair<Nanos, int>{0, 1}));
        QCOMPARE(tx[1], (QPair<Nanos, int>{kMs, 0}));  // the start bit
        QCOMPARE(changes(dump, "com4_peer_TxD").size(), 1);
    }

    void sigrokReadsIt_data() {
        QTest::addColumn<QString>("settings");
        QTest::addColumn<QString>("options");
        QTest::addColumn<QByteArray>("text");
        QTest::newRow("A 9600 8N1") << "9600,N,8,1"
                                    << "" << QByteArray("A");
        QTest::newRow("7E1 at 28800") << "28800,E,7,1"
                                      << ":data_bits=7:parity=even" << QByteArray("Uz\x7F");
        QTest::newRow("8O2 at 110, code 0") << "110,O,8,2"
                                            << ":parity=odd" << QByteArray("\x00\xFF", 2);
    }
    void sigrokReadsIt() {
        QFETCH(QString, settings);
        QFETCH(QString, options);
        QFETCH(QByteArray, text);
        const QString sigrok = QStandardPaths::findExecutable("sigrok-cli");
        if (sigrok.isEmpty()) QSKIP("sigrok-cli is not installed");
        const Format f = *parseSettings(settings);
        QTemporaryFile file(QDir::tempPath() + "/labline-XXXXXX.vcd");
        QVERIFY(file.open());
        file.write(capture(settings, text, kMs + (text.size() + 1) * frameNanos(f)));
        file.close();

        QProcess process;
        // A microsecond is fine enough for these speeds and spares the decoder a billion samples a
        // second.
        process.start(sigrok, {"-I", "vcd:downsample=1000", "-i", file.fileName(), "-P",
                               QString("uart:baudrate=%1:rx=com4_peer_RxD").arg(f.speed) + options,
                               "-A", "uart=rx-data"});
        QVERIFY(process.waitForFinished(60000));
        QCOMPARE(process.exitCode(), 0);
        QByteArray decoded;
        for (const QByteArray& line : process.readAllStandardOutput().split('\n')) {
            if (line.startsWith("uart-1: ")) decoded.append(char(line.mid(8).toInt(nullptr, 16)));
        }
        QCOMPARE(decoded.toHex(), text.toHex());
    }
};

QTEST_GUILESS_MAIN(TstLablineVcd)
#include "tst_labline_vcd.moc"
