// The lab line's frame format, transmitting UART and receiving UART, alone and mismatched.
#include <QtTest>

#include "serial/labline/decoder.h"
#include "serial/labline/encoder.h"

using namespace labline;

namespace {

Format fmt(const char* settings) {
    return *parseSettings(QString::fromLatin1(settings));
}

// The wire's level in the middle of each of the first `bits` whole bits, as '0'/'1'.
QString bitMiddles(const Wire& wire, qint32 speed, int bits) {
    QString levels;
    for (int k = 0; k < bits; ++k) {
        const Nanos middle = (2 * k + 1) * kNanosPerSecond / (2 * speed);
        Level level = Level::Mark;
        for (const Edge& e : wire) {
            if (e.at <= middle) level = e.level;
        }
        levels += level == Level::Mark ? '1' : '0';
    }
    return levels;
}

QByteArray allCodes(int dataBits) {
    QByteArray codes;
    for (int c = 0; c < (1 << dataBits); ++c) codes.append(char(c));
    return codes;
}

// Decodes a back to back stream over enough time for every frame to be handed over.
QList<Decoded> sendAndRead(const QByteArray& codes, const Format& tx, const Format& rx) {
    const Wire wire = encode(codes, tx, 0);
    return decodeWire(wire, rx, (codes.size() + 2) * (frameNanos(tx) + frameNanos(rx)));
}

using Frames = QList<QList<int>>;  // {code, framing error, parity error}

Frames summary(const QList<Decoded>& decoded) {
    Frames frames;
    for (const Decoded& d : decoded) frames.append({d.code, d.framingError, d.parityError});
    return frames;
}

}  // namespace

class TstLablineUart : public QObject {
    Q_OBJECT
private slots:
    void settings_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("valid");
        QTest::addColumn<int>("speed");
        QTest::addColumn<int>("dataBits");
        QTest::addColumn<int>("parity");
        QTest::addColumn<int>("stopHalfBits");
        QTest::newRow("9600,E,7,1") << "9600,E,7,1" << true << 9600 << 7 << int(Parity::Even) << 2;
        QTest::newRow("lower case, spaces")
            << " 110 , o ,8, 2 " << true << 110 << 8 << int(Parity::Odd) << 4;
        QTest::newRow("one and a half")
            << "28800,M,4,1.5" << true << 28800 << 4 << int(Parity::Mark) << 3;
        QTest::newRow("space parity") << "300,S,5,1" << true << 300 << 5 << int(Parity::Space) << 2;
        QTest::newRow("top speed")
            << "115200,N,6,2" << true << 115200 << 6 << int(Parity::None) << 4;
        for (const char* bad : {"", "9600,N,8", "9600,X,8,1", "9600,N,9,1", "9600,N,3,1", "0,N,8,1",
                                "-9600,N,8,1", "9600,N,8,3", "9600,N,8,1,1", "fast,N,8,1"})
            QTest::newRow(bad) << bad << false << 0 << 0 << 0 << 0;
    }
    void settings() {
        QFETCH(QString, text);
        QFETCH(bool, valid);
        const std::optional<Format> f = parseSettings(text);
        QCOMPARE(f.has_value(), valid);
        if (!valid) return;
        QFETCH(int, speed);
        QFETCH(int, dataBits);
        QFETCH(int, parity);
        QFETCH(int, stopHalfBits);
        QCOMPARE(f->speed, speed);
        QCOMPARE(f->dataBits, dataBits);
        QCOMPARE(int(f->parity), parity);
        QCOMPARE(f->stopHalfBits, stopHalfBits);
        QCOMPARE(parseSettings(settingsText(*f)), f);
    }

    void waveform_data() {
        QTest::addColumn<QString>("settings");
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("bits");  // start, data least significant first, parity, stop
        QTest::newRow("A 8N1") << "9600,N,8,1" << 0x41 << "0100000101";
        QTest::newRow("A 7E1") << "9600,E,7,1" << 0x41 << "0100000101";
        QTest::newRow("C 7O2") << "110,O,7,2" << 0x43 << "01100001011";
        QTest::newRow("0 4M1") << "300,M,4,1" << 0 << "0000011";
        QTest::newRow("15 4S1") << "28800,S,4,1" << 15 << "0111101";
        QTest::newRow("255 8E1") << "4800,E,8,1" << 255 << "01111111101";
    }
    void waveform() {
        QFETCH(QString, settings);
        QFETCH(int, code);
        QFETCH(QString, bits);
        const Format f = *parseSettings(settings);
        const Wire wire = encode(QByteArray(1, char(code)), f, 0);
        QCOMPARE(bitMiddles(wire, f.speed, int(bits.size()) + 2), bits + "11");
    }

    // 0x55 in 8N1 changes level at every bit: the last edge of a long stream falls exactly
    // where one multiplication and one division put it.
    void longStreamDoesNotDrift_data() {
        QTest::addColumn<int>("speed");
        for (int speed : {110, 9600, 28800, 115200}) QTest::addRow("%d", speed) << speed;
    }
    void longStreamDoesNotDrift() {
        QFETCH(int, speed);
        const int frames = 5000;
        const Format f{speed, 8, Parity::None, 2};
        const Wire wire = encode(QByteArray(frames, 0x55), f, 1000);
        const qint64 lastBit = qint64(frames) * 10 - 1;  // the last stop bit
        QCOMPARE(wire.size(), qsizetype(lastBit + 1));
        QCOMPARE(wire.last().at, 1000 + lastBit * kNanosPerSecond / speed);
    }

    // Every code of every format, back to back, at the slowest and fastest speed.
    void roundTrip_data() {
        QTest::addColumn<Format>("format");
        for (qint32 speed : {110, 28800})
            for (int bits = 4; bits <= 8; ++bits)
                for (int p = 0; p < 5; ++p)
                    for (int stop = 2; stop <= 4; ++stop) {
                        const Format f{speed, bits, Parity(p), stop};
                        QTest::newRow(qPrintable(settingsText(f))) << f;
                    }
    }
    void roundTrip() {
        QFETCH(Format, format);
        const QByteArray codes = allCodes(format.dataBits);
        const QList<Decoded> got = sendAndRead(codes, format, format);
        QCOMPARE(got.size(), codes.size());
        for (int i = 0; i < got.size(); ++i) {
            QCOMPARE(got[i].code, int(quint8(codes[i])));
            QVERIFY(!got[i].framingError && !got[i].parityError && !got[i].lineBreak);
            // Handed over when the frame ends (to the nanosecond of rounding), not before.
            const Nanos end = halfBitsToNanos(qint64(i + 1) * frameHalfBits(format), format.speed);
            QVERIFY2(qAbs(got[i].at - end) <= 1, qPrintable(QString::number(got[i].at - end)));
        }
    }

    // Worked by hand from the bit cells, sampling in the middle of each of the receiver's
    // cells (a sixteenth of a sender's bit late at 2:1):
    // "AA@" at 9600 read at 4800: the start at 0 is back at mark mid-start (b0 of 'A'); the
    // edge at bit 2 starts a frame reading sender bits 5, 7, ..., 19 -> 0,1,1,1,0,0,1,1 = 0xCE
    // whose stop falls on bit 21, b0 of '@' = space; the next edge (bit 28) is a glitch.
    // "A" at 4800 read at 9600: reads sender bits 0,1,1,2,2,3,3,4 -> 0x06, stop on bit 4 =
    // space; then the edge of b7 (bit 8) starts a frame of stop and idle -> 0xFE.
    void mismatch_data() {
        QTest::addColumn<QString>("sender");
        QTest::addColumn<QString>("receiver");
        QTest::addColumn<QByteArray>("sent");
        QTest::addColumn<Frames>("expected");
        QTest::newRow("9600 -> 4800") << "9600,N,8,1"
                                      << "4800,N,8,1" << QByteArray("AA@") << Frames{{0xCE, 1, 0}};
        QTest::newRow("4800 -> 9600")
            << "4800,N,8,1"
            << "9600,N,8,1" << QByteArray("A") << Frames{{0x06, 1, 0}, {0xFE, 0, 0}};
        // 0x55 alternates every bit: at half speed each mid-start sample lands on a mark.
        QTest::newRow("9600 -> 4800, UU") << "9600,N,8,1"
                                          << "4800,N,8,1" << QByteArray("UU") << Frames{};
    }
    void mismatch() {
        QFETCH(QString, sender);
        QFETCH(QString, receiver);
        QFETCH(QByteArray, sent);
        QFETCH(Frames, expected);
        QCOMPARE(summary(sendAndRead(sent, *parseSettings(sender), *parseSettings(receiver))),
                 expected);
    }

    void parityAndStopBits_data() {
        QTest::addColumn<QString>("sender");
        QTest::addColumn<QString>("receiver");
        QTest::addColumn<bool>("errors");
        QTest::newRow("7E1 -> 7O1") << "9600,E,7,1"
                                    << "9600,O,7,1" << true;
        QTest::newRow("8O1 -> 8E1") << "1200,O,8,1"
                                    << "1200,E,8,1" << true;
        QTest::newRow("7M1 -> 7S1") << "9600,M,7,1"
                                    << "9600,S,7,1" << true;
        QTest::newRow("5S2 -> 5M2") << "300,S,5,2"
                                    << "300,M,5,2" << true;
        QTest::newRow("7E1 -> 7E1") << "9600,E,7,1"
                                    << "9600,E,7,1" << false;
        // Only the first stop bit is checked, so fewer stop bits than expected still pass.
        QTest::newRow("8N1 -> 8N2") << "9600,N,8,1"
                                    << "9600,N,8,2" << false;
        QTest::newRow("7E1 -> 7E2") << "110,E,7,1"
                                    << "110,E,7,2" << false;
        QTest::newRow("5N1.5 -> 5N2") << "28800,N,5,1.5"
                                      << "28800,N,5,2" << false;
        QTest::newRow("6O1 -> 6O1.5") << "2400,O,6,1"
                                      << "2400,O,6,1.5" << false;
    }
    void parityAndStopBits() {
        QFETCH(QString, sender);
        QFETCH(QString, receiver);
        QFETCH(bool, errors);
        const Format tx = *parseSettings(sender);
        const QByteArray codes = allCodes(tx.dataBits);
        const QList<Decoded> got = sendAndRead(codes, tx, *parseSettings(receiver));
        QCOMPARE(got.size(), codes.size());
        for (int i = 0; i < got.size(); ++i) {
            QCOMPARE(got[i].code, i);
            QCOMPARE(got[i].parityError, errors);
            QVERIFY(!got[i].framingError);
        }
    }

    // A space shorter than half a bit is no frame; one of a whole frame and more is a break.
    void spaces_data() {
        QTest::addColumn<int>("spaceHalfBits");
        QTest::addColumn<Frames>("expected");  // {code, framing, parity}; break = {-1, 0, 0}
        QTest::newRow("glitch, 0.9 half bit") << -9 << Frames{};
        QTest::newRow("start and data 0, stop space") << 20 << Frames{{-1, 0, 0}};
        QTest::newRow("long break") << 400 << Frames{{-1, 0, 0}};
        QTest::newRow("start, 8 data, stop: 0x00") << 18 << Frames{{0, 0, 0}};
    }
    void spaces() {
        QFETCH(int, spaceHalfBits);
        QFETCH(Frames, expected);
        const Format f = fmt("9600,N,8,1");
        // Negative: tenths of a half bit.
        const Nanos length = spaceHalfBits < 0 ? halfBitsToNanos(-spaceHalfBits, f.speed) / 10
                                               : halfBitsToNanos(spaceHalfBits, f.speed);
        const Wire wire{{100, Level::Space}, {100 + length, Level::Mark}};
        Frames got;
        for (const Decoded& d : decodeWire(wire, f, 100 + length + 4 * frameNanos(f))) {
            got.append(d.lineBreak ? QList<int>{-1, 0, 0}
                                   : QList<int>{d.code, d.framingError, d.parityError});
        }
        QCOMPARE(got, expected);
    }

    // A mark between two samples of an otherwise spacing frame: a received 0 with a framing
    // error, since a break holds the line at space all along.
    void markBetweenSamples() {
        const Format f = fmt("9600,N,8,1");
        const Nanos bit = frameNanos(f) / 10;
        const Wire wire{{0, Level::Space},
                        {bit * 42 / 10, Level::Mark},
                        {bit * 44 / 10, Level::Space},
                        {bit * 12, Level::Mark}};
        const QList<Decoded> got = decodeWire(wire, f, 20 * bit);
        QCOMPARE(summary(got), (Frames{{0, 1, 0}}));
    }
};

QTEST_APPLESS_MAIN(TstLablineUart)
#include "tst_labline_uart.moc"
