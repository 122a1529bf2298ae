// What the terminal accepts as a character, a code, a string or a key of the exchange.
#include <QtTest>

#include "core/entryrules.h"

using Code = std::optional<int>;
Q_DECLARE_METATYPE(Code)
Q_DECLARE_METATYPE(entry::StringEntry)

namespace {

int maxFor(int dataBits) {
    return (1 << dataBits) - 1;
}

}  // namespace

class TstEntryRules : public QObject {
    Q_OBJECT
private slots:
    void keyboardCharacter_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("bits");
        QTest::addColumn<Code>("code");
        QTest::newRow("a") << "a" << 7 << Code(97);
        QTest::newRow("DEL, the last 7-bit code") << "\x7f" << 7 << Code(127);
        QTest::newRow("é needs 8 bits") << "é" << 7 << Code();
        QTest::newRow("é with 8 bits") << "é" << 8 << Code(233);
        QTest::newRow("euro sign is 128") << "€" << 8 << Code(128);
        QTest::newRow("outside the code page") << "ő" << 8 << Code();
        QTest::newRow("empty") << "" << 8 << Code();
        QTest::newRow("two characters") << "ab" << 8 << Code();
    }
    void keyboardCharacter() {
        QFETCH(QString, text);
        QFETCH(int, bits);
        QFETCH(Code, code);
        QCOMPARE(entry::keyboardCharacter(text, maxFor(bits)), code);
    }

    void decimalCode_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("bits");
        QTest::addColumn<Code>("code");
        QTest::newRow("0") << "0" << 7 << Code(0);
        QTest::newRow("127 with 7 bits") << "127" << 7 << Code(127);
        QTest::newRow("128 with 7 bits") << "128" << 7 << Code();
        QTest::newRow("00") << "00" << 7 << Code();
        QTest::newRow("012") << "012" << 7 << Code();
        QTest::newRow("255 with 8 bits") << "255" << 8 << Code(255);
        QTest::newRow("256 with 8 bits") << "256" << 8 << Code();
        QTest::newRow("15 with 4 bits") << "15" << 4 << Code(15);
        QTest::newRow("16 with 4 bits") << "16" << 4 << Code();
        QTest::newRow("wraps to 65 if converted first") << "4294967361" << 8 << Code();
        QTest::newRow("longer than any code") << "99999999999" << 8 << Code();
        QTest::newRow("letters after the number") << "65a" << 8 << Code();
        QTest::newRow("a fraction") << "6.5" << 8 << Code();
        QTest::newRow("a sign") << "-1" << 8 << Code();
        QTest::newRow("a leading blank") << " 65" << 8 << Code();
        QTest::newRow("empty") << "" << 8 << Code();
    }
    void decimalCode() {
        QFETCH(QString, text);
        QFETCH(int, bits);
        QFETCH(Code, code);
        QCOMPARE(entry::decimalCode(text, maxFor(bits)), code);
        QCOMPARE(entry::collectedDecimal(text, maxFor(bits)), code);
    }

    void hexadecimalCode_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("bits");
        QTest::addColumn<Code>("code");
        QTest::newRow("7F") << "7F" << 7 << Code(127);
        QTest::newRow("7") << "7" << 7 << Code(7);
        QTest::newRow("lower case") << "7f" << 7 << Code(127);
        QTest::newRow("80 with 7 bits") << "80" << 7 << Code();
        QTest::newRow("FF with 7 bits") << "FF" << 7 << Code();
        QTest::newRow("FF with 8 bits") << "ff" << 8 << Code(255);
        QTest::newRow("F with 4 bits") << "F" << 4 << Code(15);
        QTest::newRow("10 with 4 bits") << "10" << 4 << Code();
        QTest::newRow("G1") << "G1" << 8 << Code();
        QTest::newRow("1G") << "1G" << 8 << Code();
        QTest::newRow("123") << "123" << 8 << Code();
        QTest::newRow("empty") << "" << 8 << Code();
    }
    void hexadecimalCode() {
        QFETCH(QString, text);
        QFETCH(int, bits);
        QFETCH(Code, code);
        QCOMPARE(entry::hexadecimalCode(text, maxFor(bits)), code);
    }

    void strings_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("bits");
        QTest::addColumn<entry::StringEntry>("verdict");
        using entry::StringEntry;
        QTest::newRow("cafe") << "cafe" << 7 << StringEntry::Accept;
        QTest::newRow("café with 7 bits") << "café" << 7 << StringEntry::TooWide;
        QTest::newRow("café with 8 bits") << "café" << 8 << StringEntry::Accept;
        QTest::newRow("A is too wide for 6 bits") << "A" << 6 << StringEntry::TooWide;
        QTest::newRow("outside the code page") << "aő" << 8 << StringEntry::OutsideCodePage;
        QTest::newRow("too wide before outside") << "éő" << 7 << StringEntry::TooWide;
        QTest::newRow("outside before too wide") << "őé" << 7 << StringEntry::OutsideCodePage;
        QTest::newRow("euro sign is in the code page") << "€" << 8 << StringEntry::Accept;
        QTest::newRow("40 characters") << QString(40, 'x') << 7 << StringEntry::Accept;
        QTest::newRow("41 characters") << QString(41, 'x') << 7 << StringEntry::AskAgain;
        QTest::newRow("empty") << "" << 7 << StringEntry::AskAgain;
    }
    void strings() {
        QFETCH(QString, text);
        QFETCH(int, bits);
        QFETCH(entry::StringEntry, verdict);
        QCOMPARE(entry::judgeString(text, maxFor(bits)), verdict);
    }

    void keysAndHexDisplay_data() {
        QTest::addColumn<QString>("keyText");
        QTest::addColumn<Code>("code");
        QTest::newRow("a letter") << "A" << Code(65);
        QTest::newRow("Enter") << "\r" << Code(13);
        QTest::newRow("a key without text") << "" << Code();
        QTest::newRow("outside the code page") << "ő" << Code();
        QTest::newRow("euro sign") << "€" << Code(128);
    }
    void keysAndHexDisplay() {
        QFETCH(QString, keyText);
        QFETCH(Code, code);
        QCOMPARE(entry::keyCode(keyText), code);
        if (code) QCOMPARE(entry::twoHexDigits(*code).size(), 2);
        QCOMPARE(entry::twoHexDigits(10), QStringLiteral("0A"));
        QCOMPARE(entry::twoHexDigits(95), QStringLiteral("5F"));
        QCOMPARE(entry::twoHexDigits(255), QStringLiteral("FF"));
    }
};

QTEST_APPLESS_MAIN(TstEntryRules)
#include "tst_entryrules.moc"
