// The link configuration record: family writers, status text, settings text.
#include <QtTest>

#include "core/accesscode.h"
#include "core/linkconfig.h"

using linkconfig::Parity;
using linkconfig::ProtocolSpelling;
using linkconfig::StopBits;

class TstLinkConfig : public QObject {
    Q_OBJECT
private slots:
    void defaultStatus() {
        const LinkRecord c = linkconfig::defaults(accesscode::storedNoCode());
        QCOMPARE(linkconfig::statusText(c),
                 QStringLiteral("Port Com2,  9600 bauds,  7 bits,  parité paire,  1 stop(s),  "
                                "protocole aucun ."));
        QCOMPARE(linkconfig::portSettings(c), QStringLiteral("9600,E,7,1"));
        QCOMPARE(c.MaxCode, QStringLiteral("127"));
        QCOMPARE(c.MaxCodeHex, QStringLiteral("7F"));
        QCOMPARE(c.PortNumber, 2);
        QCOMPARE(c.Handshake, serial::Handshaking::None);
    }

    void dataBitsFamily_data() {
        QTest::addColumn<int>("bits");
        QTest::addColumn<QString>("maxCode");
        QTest::addColumn<QString>("maxHex");
        QTest::newRow("4") << 4 << "15"
                           << "F";
        QTest::newRow("5") << 5 << "31"
                           << "1F";
        QTest::newRow("6") << 6 << "63"
                           << "3F";
        QTest::newRow("7") << 7 << "127"
                           << "7F";
        QTest::newRow("8") << 8 << "255"
                           << "FF";
    }
    void dataBitsFamily() {
        QFETCH(int, bits);
        QFETCH(QString, maxCode);
        QFETCH(QString, maxHex);
        LinkRecord c = linkconfig::defaults({});
        QVERIFY(linkconfig::setDataBits(c, bits));
        QCOMPARE(c.DataBits, QString::number(bits));
        QCOMPARE(c.MaxCode, maxCode);
        QCOMPARE(c.MaxCodeHex, maxHex);
        QCOMPARE(linkconfig::maxCodeValue(c), maxCode.toInt());
        QVERIFY(linkconfig::statusText(c).contains(QString::number(bits) + " bits,"));
    }

    // Each family writer changes its own fields and nothing else; refused values change nothing.
    void familyWriters_data() {
        QTest::addColumn<int>("family");
        QTest::addColumn<QString>("value");
        QTest::addColumn<bool>("accepted");
        QTest::addColumn<QString>("statusPart");
        QTest::newRow("Com1") << 0 << "1" << true << "Port Com1,";
        QTest::newRow("Com4") << 0 << "4" << true << "Port Com4,";
        QTest::newRow("Com5") << 0 << "5" << false << "Port Com2,";
        QTest::newRow("110") << 1 << "110" << true << "  110 bauds,";
        QTest::newRow("28800") << 1 << "28800" << true << "  28800 bauds,";
        QTest::newRow("9601") << 1 << "9601" << false << "  9600 bauds,";
        QTest::newRow("N") << 2 << "N" << true << "parité aucune,";
        QTest::newRow("O") << 2 << "O" << true << "parité impaire,";
        QTest::newRow("S") << 2 << "S" << true << "parité espace,";
        QTest::newRow("M") << 2 << "M" << true << "parité marque,";
        QTest::newRow("parity X") << 2 << "X" << false << "parité paire,";
        QTest::newRow("1.5") << 3 << "1.5" << true << "  1.5 stop(s),";
        QTest::newRow("2") << 3 << "2" << true << "  2 stop(s),";
        QTest::newRow("1,5") << 3 << "1,5" << false << "  1 stop(s),";
    }
    void familyWriters() {
        QFETCH(int, family);
        QFETCH(QString, value);
        QFETCH(bool, accepted);
        QFETCH(QString, statusPart);
        LinkRecord c = linkconfig::defaults(QStringLiteral("abcde"));
        const LinkRecord before = c;
        bool wrote = false;
        switch (family) {
            case 0:
                wrote = linkconfig::setPort(c, value.toInt());
                break;
            case 1:
                wrote = linkconfig::setSpeed(c, value);
                break;
            case 2:
                wrote = linkconfig::setParityByLetter(c, value);
                break;
            case 3:
                wrote = linkconfig::setStopBits(c, value);
                break;
        }
        QCOMPARE(wrote, accepted);
        if (!accepted) QCOMPARE(c, before);
        QVERIFY2(linkconfig::statusText(c).contains(statusPart),
                 qPrintable(linkconfig::statusText(c)));
        QCOMPARE(c.AccessCode, QStringLiteral("abcde"));
    }

    void parityNameAndLetterAgree() {
        const QStringList names = linkconfig::parityNames();
        const QStringList letters = linkconfig::parityLetters();
        for (int i = 0; i < names.size(); ++i) {
            LinkRecord c;
            QVERIFY(linkconfig::setParityByName(c, names[i]));
            QCOMPARE(c.ParityLetter, letters[i]);
        }
    }

    void protocolSpellings_data() {
        QTest::addColumn<int>("handshake");
        QTest::addColumn<bool>("menu");
        QTest::addColumn<QString>("ending");
        QTest::newRow("none") << 0 << true << "protocole aucun .";
        QTest::newRow("xon") << 1 << true << "protocole Xon-Xoff .";
        QTest::newRow("rts") << 2 << false << "protocole RTS-CTS .";
        QTest::newRow("both, menu") << 3 << true << "protocole RTS-CTS et  Xon-Xoff .";
        QTest::newRow("both, dialog") << 3 << false << "protocole RTS-CTS et Xon-Xoff .";
    }
    void protocolSpellings() {
        QFETCH(int, handshake);
        QFETCH(bool, menu);
        QFETCH(QString, ending);
        LinkRecord c = linkconfig::defaults({});
        const auto chosen = serial::Handshaking(handshake);
        QVERIFY(linkconfig::setProtocol(
            c, chosen, menu ? ProtocolSpelling::Menu : ProtocolSpelling::Properties));
        QCOMPARE(c.Handshake, chosen);
        QVERIFY(linkconfig::statusText(c).endsWith(",  " + ending));
        QVERIFY(!linkconfig::setProtocol(c, serial::Handshaking(4), ProtocolSpelling::Menu));
        QCOMPARE(c.Handshake, chosen);
    }

    // The typed reading of a record agrees with the texts its writers put there, and a record
    // holding no text of a family reads as "none".
    void typedReading_data() {
        QTest::addColumn<QString>("speed");
        QTest::addColumn<int>("bits");
        QTest::addColumn<QString>("parity");
        QTest::addColumn<QString>("stop");
        QTest::addColumn<int>("bauds");
        QTest::addColumn<int>("parityValue");
        QTest::addColumn<int>("stopValue");
        QTest::newRow("slowest, 4 bits, mark, 1.5")
            << "110" << 4 << "M"
            << "1.5" << 110 << int(Parity::Mark) << int(StopBits::OneAndHalf);
        QTest::newRow("fastest, 8 bits, odd, 2")
            << "28800" << 8 << "O"
            << "2" << 28800 << int(Parity::Odd) << int(StopBits::Two);
        QTest::newRow("space, 1") << "14400" << 5 << "S"
                                  << "1" << 14400 << int(Parity::Space) << int(StopBits::One);
    }
    void typedReading() {
        QFETCH(QString, speed);
        QFETCH(int, bits);
        QFETCH(QString, parity);
        QFETCH(QString, stop);
        LinkRecord c = linkconfig::defaults({});
        QVERIFY(linkconfig::setSpeed(c, speed));
        QVERIFY(linkconfig::setDataBits(c, bits));
        QVERIFY(linkconfig::setParityByLetter(c, parity));
        QVERIFY(linkconfig::setStopBits(c, stop));
        QTEST(linkconfig::speed(c), "bauds");
        QCOMPARE(linkconfig::dataBits(c), bits);
        QTEST(int(linkconfig::parity(c)), "parityValue");
        QTEST(int(linkconfig::stopBits(c)), "stopValue");
        QCOMPARE(linkconfig::maxCodeValue(c), c.MaxCode.toInt());
    }
    void emptyRecordReadsAsNone() {
        const LinkRecord c;
        QCOMPARE(linkconfig::speed(c), 0);
        QCOMPARE(linkconfig::dataBits(c), 0);
        QCOMPARE(linkconfig::parity(c), Parity::None);
        QCOMPARE(linkconfig::stopBits(c), StopBits::One);
        QCOMPARE(linkconfig::maxCodeValue(c), 255);
    }
};

QTEST_APPLESS_MAIN(TstLinkConfig)
#include "tst_linkconfig.moc"
