// The lab's messages survive their encoding, and a datagram too short is no message.
#include <QtTest>

#include "serial/labline/protocol.h"

using namespace labline::wire;

class TstLablineProtocol : public QObject {
    Q_OBJECT
private slots:
    void roundTrip_data() {
        QTest::addColumn<int>("type");
        QTest::addColumn<qint64>("value");
        QTest::addColumn<QByteArray>("data");
        QTest::newRow("attach") << int(Type::Attach) << (kDtrOn | 3)
                                << QByteArray("com2\n110,E,7,2");
        QTest::newRow("negative value") << int(Type::TxProgress) << qint64(-1) << QByteArray();
        QTest::newRow("large value")
            << int(Type::Modem) << (qint64(1) << 40 | 1009) << QByteArray();
        QTest::newRow("every byte")
            << int(Type::Received) << qint64(0) << QByteArray::fromHex("00ff11131a7f80");
        QTest::newRow("longest") << int(Type::Write) << qint64(0) << QByteArray(kMaxData, '\xFF');
    }
    void roundTrip() {
        QFETCH(int, type);
        QFETCH(qint64, value);
        QFETCH(QByteArray, data);
        const Message m{Type(type), value, data};
        QCOMPARE(decode(encode(m)), std::optional<Message>(m));
    }

    void tooShort_data() {
        QTest::addColumn<QByteArray>("datagram");
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("one byte short") << encode(Message{Type::Discard, 5, {}}).chopped(1);
    }
    void tooShort() {
        QFETCH(QByteArray, datagram);
        QVERIFY(!decode(datagram));
    }
};

QTEST_GUILESS_MAIN(TstLablineProtocol)
#include "tst_labline_protocol.moc"
