// The lab's messages survive their encoding, alone or in a batch; a datagram too short, or a
// batch that does not read whole, is no message.
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
        QVERIFY(!decodeAll(datagram));
    }

    void batch_data() {
        QTest::addColumn<QList<Message>>("messages");
        const Message received{Type::Received, 0, QByteArray::fromHex("00ff0d0a")};
        const Message room{Type::TxRoom, 4113, {}};
        const Message progress{Type::TxProgress, qint64(1) << 33, {}};
        QTest::newRow("empty") << QList<Message>{};
        QTest::newRow("one") << QList<Message>{room};
        QTest::newRow("a run's three") << QList<Message>{received, room, progress};
        QTest::newRow("same type twice") << QList<Message>{received, received};
        QTest::newRow("no data, then the most data that fits") << QList<Message>{
            progress,
            Message{Type::Received, 0,
                    QByteArray(kMaxData - batchedSize(progress) - batchedSize(Message{}), '\x80')}};
    }
    void batch() {
        QFETCH(QList<Message>, messages);
        const QByteArray datagram = encodeBatch(messages);
        QVERIFY(datagram.size() <= kHeaderSize + kMaxData);
        QCOMPARE(decodeAll(datagram), std::optional<QList<Message>>(messages));
    }

    void plainMessageReadsAsItself() {
        const Message m{Type::Modem, 3 | 1 << 16, {}};
        QCOMPARE(decodeAll(encode(m)), std::optional<QList<Message>>(QList<Message>{m}));
    }

    void brokenBatch_data() {
        QTest::addColumn<QByteArray>("datagram");
        const QByteArray two = encodeBatch({Message{Type::TxRoom, 1, {}}, Message{Type::Rung}});
        QTest::newRow("cut in a message") << two.chopped(1);
        QTest::newRow("cut in a length") << two + char(5);
        QTest::newRow("one message fewer than said") << two.chopped(kHeaderSize + 2);
        QByteArray tooMany = two;
        tooMany[1] = 1;
        QTest::newRow("more messages than said") << tooMany;
        QByteArray beyond = two;
        beyond[kHeaderSize] = char(0xFF);
        QTest::newRow("a length beyond the end") << beyond;
        QTest::newRow("a message too short")
            << encode(Message{Type::Batch, 1, QByteArray::fromHex("020006ff")});
        const QByteArray inner = encode(Message{Type::Batch, 0, {}});
        QTest::newRow("a batch in a batch")
            << encode(Message{Type::Batch, 1, char(inner.size()) + QByteArray(1, 0) + inner});
    }
    void brokenBatch() {
        QFETCH(QByteArray, datagram);
        QVERIFY(!decodeAll(datagram));
    }
};

QTEST_GUILESS_MAIN(TstLablineProtocol)
#include "tst_labline_protocol.moc"
