// Frame bits, hexadecimal digits, the displayable rule and the Windows-1252 code page.
#include <QtTest>
#include <bit>

#include "core/codepage.h"
#include "core/framebits.h"

namespace {

// An independent construction of a frame: shifts instead of the weight subtraction, popcount
// instead of counting characters.
QString referenceFrame(int code, int n, char parity, const QString& stop) {
    QString s = "0";
    for (int i = 0; i < n; ++i) s += ((code >> i) & 1) ? '1' : '0';
    const bool odd = std::popcount(static_cast<unsigned>(code & ((1 << n) - 1))) % 2 == 1;
    switch (parity) {
        case 'E':
            s += odd ? '1' : '0';
            break;
        case 'O':
            s += odd ? '0' : '1';
            break;
        case 'S':
            s += '0';
            break;
        case 'M':
            s += '1';
            break;
        default:
            break;
    }
    s += stop == "2" ? "11" : "1";
    return s;
}

}  // namespace

class TstFrameBits : public QObject {
    Q_OBJECT
private slots:
    void examples_data() {
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("dataBits");
        QTest::addColumn<QString>("parity");
        QTest::addColumn<QString>("stop");
        QTest::addColumn<QString>("expected");
        QTest::newRow("A 8N1") << 65 << "8"
                               << "N"
                               << "1"
                               << "0100000101";
        QTest::newRow("A 8E1") << 65 << "8"
                               << "E"
                               << "1"
                               << "01000001001";
        QTest::newRow("A 8O1") << 65 << "8"
                               << "O"
                               << "1"
                               << "01000001011";
        QTest::newRow("A 8N2") << 65 << "8"
                               << "N"
                               << "2"
                               << "01000001011";
        QTest::newRow("A 7M1.5") << 65 << "7"
                                 << "M"
                                 << "1.5"
                                 << "0100000111";
        QTest::newRow("0 4S1") << 0 << "4"
                               << "S"
                               << "1"
                               << "0000001";
        QTest::newRow("255 8E1") << 255 << "8"
                                 << "E"
                                 << "1"
                                 << "01111111101";
        QTest::newRow("15 4E2: 4 ones, even") << 15 << "4"
                                              << "E"
                                              << "2"
                                              << "01111011";
        QTest::newRow("unknown width counts as 8") << 1 << "9"
                                                   << "N"
                                                   << "1"
                                                   << "0100000001";
        QTest::newRow("unknown parity adds nothing") << 1 << "5"
                                                     << "X"
                                                     << "1"
                                                     << "0100001";
        QTest::newRow("unknown stop adds nothing") << 1 << "5"
                                                   << "N"
                                                   << "3"
                                                   << "010000";
    }
    void examples() {
        QFETCH(int, code);
        QFETCH(QString, dataBits);
        QFETCH(QString, parity);
        QFETCH(QString, stop);
        QFETCH(QString, expected);
        QCOMPARE(frame::BuildFrameBits(code, dataBits, parity, stop), expected);
    }

    // Every width x parity x stop setting, every code that fits, against the reference.
    void everySetting_data() {
        QTest::addColumn<int>("bits");
        QTest::addColumn<QString>("parity");
        QTest::addColumn<QString>("stop");
        for (int bits = 4; bits <= 8; ++bits)
            for (const char* p : {"N", "E", "O", "S", "M"})
                for (const char* stop : {"1", "1.5", "2"})
                    QTest::addRow("%d%s%s", bits, p, stop) << bits << QString(p) << QString(stop);
    }
    void everySetting() {
        QFETCH(int, bits);
        QFETCH(QString, parity);
        QFETCH(QString, stop);
        const int expectedLength = 1 + bits + (parity == "N" ? 0 : 1) + (stop == "2" ? 2 : 1);
        for (int code = 0; code < (1 << bits); ++code) {
            const QString got = frame::BuildFrameBits(code, QString::number(bits), parity, stop);
            QCOMPARE(got.size(), expectedLength);
            QCOMPARE(got, referenceFrame(code, bits, parity.at(0).toLatin1(), stop));
        }
    }

    void hexDigit_data() {
        QTest::addColumn<QString>("digit");
        QTest::addColumn<int>("value");
        for (int i = 0; i < 10; ++i) QTest::addRow("%d", i) << QString::number(i) << i;
        for (int i = 0; i < 6; ++i) {
            QTest::addRow("upper %c", 'A' + i) << QString(QChar('A' + i)) << 10 + i;
            QTest::addRow("lower %c", 'a' + i) << QString(QChar('a' + i)) << 10 + i;
        }
        QTest::newRow("G") << "G" << -1;
        QTest::newRow("g") << "g" << -1;
        QTest::newRow("empty") << "" << -1;
        QTest::newRow("two digits") << "10" << -1;
        QTest::newRow("blank") << " " << -1;
        QTest::newRow("fullwidth 1") << QString(QChar(0xFF11)) << -1;
    }
    void hexDigit() {
        QFETCH(QString, digit);
        QFETCH(int, value);
        QCOMPARE(frame::ParseHexDigit(digit), value);
    }

    void displayable() {
        for (int code = 0; code < 256; ++code) {
            const bool shown =
                (code >= 32 && code <= 126) || code == 145 || code == 146 || code >= 160;
            QCOMPARE(frame::isDisplayable(code), shown);
            QCOMPARE(frame::DisplayChar(code),
                     shown ? QString(cp1252::toChar(code)) : QStringLiteral(" "));
        }
        // The typographic quotes of Windows-1252, not the C1 controls of Latin-1.
        QCOMPARE(frame::DisplayChar(145), QString(QChar(0x2018)));
        QCOMPARE(frame::DisplayChar(146), QString(QChar(0x2019)));
        QCOMPARE(frame::DisplayChar(233), QStringLiteral("é"));
        QCOMPARE(frame::DisplayChar(65), QStringLiteral("A"));
    }

    void codePageRoundTrip() {
        QByteArray all;
        for (int b = 0; b < 256; ++b) all.append(static_cast<char>(b));
        const QString text = cp1252::decode(all);
        QCOMPARE(text.size(), 256);
        QCOMPARE(cp1252::encode(text), all);
        QCOMPARE(cp1252::toCode(QChar(0x20AC)), 0x80);  // euro sign
        QCOMPARE(cp1252::toCode(QChar(0x0080)), -1);    // Latin-1 control with no 1252 byte
        bool ok = true;
        QCOMPARE(cp1252::encode(QStringLiteral("a\u4E2Db"), &ok), QByteArray("a?b"));
        QVERIFY(!ok);
        QVERIFY(!cp1252::canEncode(QStringLiteral("\u4E2D")));
    }
};

QTEST_APPLESS_MAIN(TstFrameBits)
#include "tst_framebits.moc"
