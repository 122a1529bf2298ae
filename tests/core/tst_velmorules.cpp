// The console's rules: voltages, number forms, the analog output's bits, command bytes, the
// polling order and the reading of replies.
#include <QtTest>

#include "core/velmo.h"

using namespace velmoxq;

class TstVelmoRules : public QObject {
    Q_OBJECT

private slots:
    void analogInputVoltage_data() {
        QTest::addColumn<int>("input");
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<QString>("shown");
        QTest::newRow("mid-scale on 5 V") << 0 << QByteArray("128") << " 2.5";
        QTest::newRow("mid-scale on 0.1 V") << 4 << QByteArray("128") << " .05";
        QTest::newRow("full scale on 2 V") << 7 << QByteArray("255") << " 2";
        QTest::newRow("one step on 5 V is rounded down") << 3 << QByteArray("1") << " .01";
        QTest::newRow("one step on 0.1 V is below resolution") << 5 << QByteArray("2") << " 0";
        QTest::newRow("full scale on 5 V") << 2 << QByteArray("255") << " 5";
        QTest::newRow("full scale on 0.1 V") << 5 << QByteArray("255") << " .1";
        QTest::newRow("full scale on 1 V") << 6 << QByteArray("255") << " 1";
        QTest::newRow("just below full scale on 1 V") << 6 << QByteArray("254") << " .99";
        QTest::newRow("zero on 2 V") << 7 << QByteArray("0") << " 0";
        QTest::newRow("not a number on 5 V") << 1 << QByteArray("ERR") << " 0";
        QTest::newRow("beyond the code range") << 0 << QByteArray("510") << " 10";
        QTest::newRow("a negative code rounds down") << 0 << QByteArray("-1") << "-.02";
        QTest::newRow("a fraction of a code") << 0 << QByteArray("127.5") << " 2.5";
    }
    void analogInputVoltage() {
        QFETCH(int, input);
        QFETCH(QByteArray, reply);
        QFETCH(QString, shown);
        QCOMPARE(signedText(velmoxq::analogInputVoltage(input, velmoxq::readReply(reply))), shown);
    }

    void analogOutput_data() {
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("voltage");
        QTest::newRow("mid-scale") << 128 << " 0";
        QTest::newRow("three quarters") << 192 << "+ 2.5";
        QTest::newRow("bottom") << 0 << "- 5";
        QTest::newRow("top") << 255 << "+ 4.96";
        QTest::newRow("a half goes down to the even neighbour") << 16 << "- 4.38";
        QTest::newRow("a half goes up to the even neighbour") << 48 << "- 3.12";
        QTest::newRow("one step") << 1 << "- 4.96";
        QTest::newRow("just above mid-scale") << 129 << "+ .04";
        QTest::newRow("just below mid-scale") << 127 << "- .04";
    }
    void analogOutput() {
        QFETCH(int, code);
        QFETCH(QString, voltage);
        QCOMPARE(analogOutputText(code), voltage);
    }

    void numberForms_data() {
        QTest::addColumn<qint64>("units");
        QTest::addColumn<int>("scale");
        QTest::addColumn<QString>("plain");
        QTest::addColumn<QString>("signedForm");
        QTest::newRow("zero") << qint64(0) << 2 << "0"
                              << " 0";
        QTest::newRow("below one") << qint64(196) << 3 << ".196"
                                   << " .196";
        QTest::newRow("trailing zeros dropped") << qint64(2500) << 3 << "2.5"
                                                << " 2.5";
        QTest::newRow("whole") << qint64(128) << 0 << "128"
                               << " 128";
        QTest::newRow("a zero after the point kept") << qint64(5) << 2 << ".05"
                                                     << " .05";
        QTest::newRow("negative below one") << qint64(-5) << 1 << "-.5"
                                            << "-.5";
        QTest::newRow("negative") << qint64(-127) << 0 << "-127"
                                  << "-127";
    }
    void numberForms() {
        QFETCH(qint64, units);
        QFETCH(int, scale);
        QFETCH(QString, plain);
        QFETCH(QString, signedForm);
        QCOMPARE(plainText({units, scale}), plain);
        QCOMPARE(signedText({units, scale}), signedForm);
    }

    void readReply_data() {
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<QString>("read");
        QTest::newRow("with its carriage return") << QByteArray("128\r") << "128";
        QTest::newRow("without terminator") << QByteArray("7") << "7";
        QTest::newRow("leading blanks and line ends") << QByteArray(" \t\r\n 42\r") << "42";
        QTest::newRow("text after the number") << QByteArray("12abc") << "12";
        QTest::newRow("not a number") << QByteArray("ERR\r") << "0";
        QTest::newRow("empty") << QByteArray() << "0";
        QTest::newRow("a sign alone") << QByteArray("-\r") << "0";
        QTest::newRow("a point alone") << QByteArray(".\r") << "0";
        QTest::newRow("a fraction without integer") << QByteArray(".25") << ".25";
        QTest::newRow("negative") << QByteArray("-3\r") << "-3";
        QTest::newRow("a blank inside ends the number") << QByteArray("1 28") << "1";
        QTest::newRow("fraction digits beyond thousandths dropped")
            << QByteArray("1.23456") << "1.234";
        QTest::newRow("an endless number saturates")
            << QByteArray("99999999999999999999999") << "999999999999";
    }
    void readReply() {
        QFETCH(QByteArray, reply);
        QFETCH(QString, read);
        QCOMPARE(plainText(velmoxq::readReply(reply)), read);
    }

    void commandBytes_data() {
        QTest::addColumn<int>("command");
        QTest::addColumn<int>("n");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("reset") << int(Command::Reset) << 0 << QByteArray("XRESET\r");
        QTest::newRow("edge counter 1") << int(Command::EdgeCount) << 1 << QByteArray("XCPT 1\r");
        QTest::newRow("edge counter 0") << int(Command::EdgeCount) << 0 << QByteArray("XCPT 0\r");
        QTest::newRow("analog input 3") << int(Command::AnalogIn) << 3 << QByteArray("XEA  3\r");
        QTest::newRow("binary input 5") << int(Command::BinaryIn) << 5 << QByteArray("XEBIT  5\r");
        QTest::newRow("analog output 255")
            << int(Command::AnalogOut) << 255 << QByteArray("XSA  255\r");
        QTest::newRow("analog output 0") << int(Command::AnalogOut) << 0 << QByteArray("XSA  0\r");
        QTest::newRow("set output 0") << int(Command::SetBit) << 0 << QByteArray("XSBIT  0\r");
        QTest::newRow("reset output 4") << int(Command::ResetBit) << 4 << QByteArray("XRBIT  4\r");
    }
    void commandBytes() {
        QFETCH(int, command);
        QFETCH(int, n);
        QFETCH(QByteArray, bytes);
        QCOMPARE(commandText(Command(command), n), bytes);
    }

    void pollOrder() {
        QList<QByteArray> order;
        int step = 0;
        for (int i = 0; i < 15; ++i, step = nextPollStep(step)) {
            const PollRead r = pollRead(step);
            order << commandText(r.command, r.input);
        }
        QCOMPARE(order.first(), QByteArray("XEA  0\r"));
        QCOMPARE(order.at(7), QByteArray("XEA  7\r"));
        QCOMPARE(order.at(8), QByteArray("XEBIT  0\r"));
        QCOMPARE(order.at(13), QByteArray("XEBIT  5\r"));
        QCOMPARE(order.at(14), QByteArray("XEA  0\r"));
    }

    void analogOutputBits_data() {
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("bits");  // bit 7 first
        QTest::newRow("mid-scale") << 128 << "10000000";
        QTest::newRow("zero") << 0 << "00000000";
        QTest::newRow("all") << 255 << "11111111";
        QTest::newRow("alternate") << 85 << "01010101";
        QTest::newRow("one") << 1 << "00000001";
    }
    void analogOutputBits() {
        QFETCH(int, code);
        QFETCH(QString, bits);
        const auto set = velmoxq::analogOutputBits(code);
        QString shown;
        for (int bit = kAnalogOutBits - 1; bit >= 0; --bit) shown += set[bit] ? '1' : '0';
        QCOMPARE(shown, bits);
        int sum = 0;
        for (int bit = 0; bit < kAnalogOutBits; ++bit) sum += set[bit] ? bitWeight(bit) : 0;
        QCOMPARE(sum, code);
    }
};

QTEST_APPLESS_MAIN(TstVelmoRules)
#include "tst_velmorules.moc"
