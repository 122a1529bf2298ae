// The received stream with in-band error marks, and the classification of line errors.
#include <QtTest>

#include "serial/linemarks.h"

using linemarks::Chunk;
using linemarks::ErrorClassifier;
using linemarks::ErrorCounters;
using linemarks::Parser;

namespace {

QByteArray bytes(std::initializer_list<int> values) {
    QByteArray b;
    for (int v : values) b.append(char(v));
    return b;
}

// Feeds `raw` in the given pieces and adds up what comes out.
Chunk feedPieces(Parser& parser, const QList<QByteArray>& pieces) {
    Chunk total;
    for (const QByteArray& piece : pieces) {
        const Chunk c = parser.feed(piece);
        total.data += c.data;
        total.errorMarks += c.errorMarks;
        total.breakMarks += c.breakMarks;
    }
    return total;
}

}  // namespace

class TstLineMarks : public QObject {
    Q_OBJECT
private slots:
    void parse_data() {
        QTest::addColumn<QByteArray>("marked");
        QTest::addColumn<QByteArray>("data");
        QTest::addColumn<int>("errorMarks");
        QTest::addColumn<int>("breakMarks");
        QTest::newRow("plain") << QByteArray("Bonjour\r\n") << QByteArray("Bonjour\r\n") << 0 << 0;
        QTest::newRow("empty") << QByteArray() << QByteArray() << 0 << 0;
        QTest::newRow("byte 255") << bytes({0xFF, 0xFF}) << bytes({0xFF}) << 0 << 0;
        QTest::newRow("three 255 in a row")
            << bytes({0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}) << bytes({0xFF, 0xFF, 0xFF}) << 0 << 0;
        QTest::newRow("255 then NUL") << bytes({0xFF, 0xFF, 0x00}) << bytes({0xFF, 0x00}) << 0 << 0;
        QTest::newRow("NUL bytes are data")
            << bytes({0, 0, 'A', 0}) << bytes({0, 0, 'A', 0}) << 0 << 0;
        QTest::newRow("break") << bytes({'a', 0xFF, 0, 0, 'b'}) << QByteArray("ab") << 0 << 1;
        QTest::newRow("two breaks") << bytes({0xFF, 0, 0, 0xFF, 0, 0}) << QByteArray() << 0 << 2;
        QTest::newRow("error on a byte, kept")
            << bytes({'x', 0xFF, 0, 'Q', 'y'}) << QByteArray("xQy") << 1 << 0;
        QTest::newRow("error on byte 255") << bytes({0xFF, 0, 0xFF}) << bytes({0xFF}) << 1 << 0;
        QTest::newRow("error on byte 1") << bytes({0xFF, 0, 1}) << bytes({1}) << 1 << 0;
        QTest::newRow("255, break, error") << bytes({0xFF, 0xFF, 0xFF, 0, 0, 0xFF, 0, 'e', 'z'})
                                           << bytes({0xFF, 'e', 'z'}) << 1 << 1;
        QTest::newRow("255 not followed by a mark")
            << bytes({0xFF, 'A', 'B'}) << bytes({0xFF, 'A', 'B'}) << 0 << 0;
    }

    // Whole, then cut in two at every position, then byte by byte: a mark split between two
    // reads is completed by the second.
    void parse() {
        QFETCH(QByteArray, marked);
        QFETCH(QByteArray, data);
        QFETCH(int, errorMarks);
        QFETCH(int, breakMarks);
        QList<QList<QByteArray>> cuts;
        cuts.append({marked});
        for (int i = 0; i <= marked.size(); ++i) cuts.append({marked.left(i), marked.mid(i)});
        QList<QByteArray> single;
        for (char c : marked) single.append(QByteArray(1, c));
        cuts.append(single);
        for (const QList<QByteArray>& pieces : cuts) {
            Parser parser;
            const Chunk got = feedPieces(parser, pieces);
            QByteArray where = "pieces:";
            for (const QByteArray& piece : pieces) where += " [" + piece.toHex() + "]";
            QVERIFY2(got.data == data, where.constData());
            QVERIFY2(got.errorMarks == errorMarks, where.constData());
            QVERIFY2(got.breakMarks == breakMarks, where.constData());
            QVERIFY2(!parser.midMark(), where.constData());
        }
    }

    // A mark cut at the end of a read gives nothing yet, and the parser says it waits.
    void partialMark_data() {
        QTest::addColumn<QByteArray>("head");
        QTest::addColumn<QByteArray>("tail");
        QTest::newRow("FF | FF") << bytes({'a', 0xFF}) << bytes({0xFF});
        QTest::newRow("FF | 00 00") << bytes({0xFF}) << bytes({0, 0});
        QTest::newRow("FF 00 | x") << bytes({0xFF, 0}) << bytes({'x'});
    }
    void partialMark() {
        QFETCH(QByteArray, head);
        QFETCH(QByteArray, tail);
        Parser parser;
        const Chunk first = parser.feed(head);
        QVERIFY(parser.midMark());
        QVERIFY(!first.data.contains('\xFF'));
        QCOMPARE(first.errorMarks + first.breakMarks, 0);
        parser.reset();
        QVERIFY(!parser.midMark());
        // After a reset the tail is read as plain data again.
        const Chunk second = parser.feed(tail);
        QCOMPARE(second.errorMarks + second.breakMarks, 0);
    }

    // Reads one after the other: marks found and counters read after each read -> events.
    void classify_data() {
        QTest::addColumn<bool>("parity");        // parity enabled on the port
        QTest::addColumn<bool>("counters");      // the driver has error counters
        QTest::addColumn<QList<int>>("errors");  // error marks per read
        QTest::addColumn<QList<int>>("breaks");  // break marks per read
        // counter increments per read: frame, parity, overrun, brk, bufOverrun (5 per read)
        QTest::addColumn<QList<int>>("counted");
        QTest::addColumn<QList<QList<int>>>("events");  // per read

        using L = QList<int>;
        using LL = QList<QList<int>>;
        QTest::newRow("nothing") << true << true << L{0} << L{0} << L{0, 0, 0, 0, 0} << LL{{}};
        QTest::newRow("framing counted")
            << true << true << L{1} << L{0} << L{1, 0, 0, 0, 0} << LL{{1004}};
        QTest::newRow("parity counted")
            << false << true << L{1} << L{0} << L{0, 1, 0, 0, 0} << LL{{1009}};
        QTest::newRow("overrun leaves no mark")
            << true << true << L{0} << L{0} << L{0, 0, 1, 0, 0} << LL{{1006}};
        QTest::newRow("driver buffer full")
            << true << true << L{0} << L{0} << L{0, 0, 0, 0, 2} << LL{{1008}};
        QTest::newRow("break counted and marked: once")
            << true << true << L{0} << L{1} << L{0, 0, 0, 1, 0} << LL{{1001}};
        QTest::newRow("all at once") << true << true << L{2} << L{1} << L{1, 1, 1, 1, 1}
                                     << LL{{1001, 1004, 1006, 1008, 1009}};
        QTest::newRow("no counters, parity on: parity error")
            << true << false << L{1} << L{0} << L{0, 0, 0, 0, 0} << LL{{1009}};
        QTest::newRow("no counters, parity off: framing error")
            << false << false << L{1} << L{0} << L{0, 0, 0, 0, 0} << LL{{1004}};
        QTest::newRow("no counters: break from the mark")
            << true << false << L{0} << L{1} << L{0, 0, 0, 0, 0} << LL{{1001}};
        QTest::newRow("counters that never move: marks decide")
            << false << true << L{3} << L{0} << L{0, 0, 0, 0, 0} << LL{{1004}};
        QTest::newRow("counted one read before its mark: one event")
            << true << true << L{0, 1} << L{0, 0} << L{1, 0, 0, 0, 0, 0, 0, 0, 0, 0}
            << LL{{1004}, {}};
        QTest::newRow("break counted before its mark: one event")
            << true << true << L{0, 0} << L{0, 1} << L{0, 0, 0, 1, 0, 0, 0, 0, 0, 0}
            << LL{{1001}, {}};
        QTest::newRow("second error, uncounted")
            << true << true << L{1, 1} << L{0, 0} << L{0, 1, 0, 0, 0, 0, 0, 0, 0, 0}
            << LL{{1009}, {1009}};
        QTest::newRow("errors in separate reads")
            << false << true << L{1, 0, 1} << L{0, 0, 0}
            << L{1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0} << LL{{1004}, {}, {1009}};
    }
    void classify() {
        QFETCH(bool, parity);
        QFETCH(bool, counters);
        QFETCH(QList<int>, errors);
        QFETCH(QList<int>, breaks);
        QFETCH(QList<int>, counted);
        QFETCH(QList<QList<int>>, events);
        QCOMPARE(counted.size(), 5 * errors.size());

        // Counters start anywhere, near the wrap of a 32-bit counter here.
        ErrorCounters now{0xFFFFFFFEu, 7, 0xFFFFFFFFu, 3, 0};
        ErrorClassifier classifier;
        classifier.reset(counters ? std::optional(now) : std::nullopt, parity);
        for (int read = 0; read < errors.size(); ++read) {
            const int* inc = counted.constData() + 5 * read;
            now.frame += inc[0];
            now.parity += inc[1];
            now.overrun += inc[2];
            now.brk += inc[3];
            now.bufOverrun += inc[4];
            Chunk chunk;
            chunk.errorMarks = errors[read];
            chunk.breakMarks = breaks[read];
            const QList<int> got =
                classifier.classify(chunk, counters ? std::optional(now) : std::nullopt);
            QCOMPARE(got, events[read]);
        }
    }
};

QTEST_APPLESS_MAIN(TstLineMarks)
#include "tst_linemarks.moc"
