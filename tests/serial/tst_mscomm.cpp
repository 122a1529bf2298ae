// The serial control over real pseudo-terminals made by socat: null-modem cables and loopback
// plugs mapped to Com1..Com4 through the test's own ports.232.
#include <fcntl.h>
#include <unistd.h>
#include <QtTest>
#include <functional>
#include <memory>

#include "core/codepage.h"
#include "core/linkconfig.h"
#include "serial/mscomm.h"
#include "serial/platform.h"
#include "support/virtualcable.h"
#include "support/wait.h"

using testsupport::VirtualCable;

namespace {

using testsupport::settle;
using testsupport::waitFor;

// Records what one control reports: each OnComm with its CommEvent and, when `drain` is on,
// everything received (read on each receive event).
struct Listener {
    MSComm& comm;
    QList<int> events;
    QByteArray received;
    bool drain = true;
    std::function<void()> onEvent;  // extra handler work, run first

    explicit Listener(MSComm& c) : comm(c) {
        QObject::connect(&comm, &MSComm::OnComm, &comm, [this] {
            const int event = comm.CommEvent();
            events.append(event);
            if (onEvent) onEvent();
            if (drain && event == serial::comEvReceive) received += comm.InputBytes();
        });
    }
    int count(int event) const { return int(events.count(event)); }
};

// One control on each end of a cable: Com1 on end A, Com2 on end B.
struct Bench {
    VirtualCable cable;
    MSComm a;
    MSComm b;
    Listener la{a};
    Listener lb{b};

    explicit Bench(VirtualCable::Kind kind = VirtualCable::NullModem) : cable(kind) {
        cable.writePortMap();
        for (MSComm* c : {&a, &b}) {
            c->setPortMapDirectory(cable.folder());
            c->setRThreshold(1);
        }
        a.setCommPort(1);
        b.setCommPort(2);
    }
    bool open(MSComm& c, const QString& settings, int handshake = 0) {
        c.setSettings(settings);
        c.setHandshaking(serial::Handshaking(handshake));
        return c.setPortOpen(true) == MSComm::NoError && c.PortOpen();
    }
    bool openBoth(const QString& settings, int handshake = 0) {
        return open(a, settings, handshake) && open(b, settings, handshake);
    }
};

int dataBitsOf(const QString& settings) {
    return settings.section(QLatin1Char(','), 2, 2).toInt();
}

QByteArray everyByte() {
    QByteArray b;
    for (int v = 0; v < 256; ++v) b.append(char(v));
    return b;
}

QByteArray masked(const QByteArray& bytes, int dataBits) {
    QByteArray out = bytes;
    for (char& c : out) c = char(static_cast<unsigned char>(c) & ((1 << dataBits) - 1));
    return out;
}

// Printable text of any length, safe under every data width and handshake.
QByteArray text(int n, char first = 'A') {
    QByteArray b;
    for (int i = 0; i < n; ++i) b.append(char(first + i % 26));
    return b;
}

QByteArray bytes(std::initializer_list<int> values) {
    QByteArray b;
    for (int v : values) b.append(char(v));
    return b;
}

}  // namespace

class TstMSComm : public QObject {
    Q_OBJECT
    std::unique_ptr<Bench> shared_;

private slots:
    void cleanupTestCase() { shared_.reset(); }

    // Every byte value crosses, masked to the requested data width.
    void allByteValues_data() {
        QTest::addColumn<QString>("settings");
        QTest::addColumn<bool>("fromA");
        QTest::addColumn<bool>("asText");  // through Output/Input texts instead of bytes
        QTest::newRow("8N1 A to B, bytes") << "9600,N,8,1" << true << false;
        QTest::newRow("8N1 B to A, text") << "9600,N,8,1" << false << true;
        QTest::newRow("7E1 A to B, text") << "9600,E,7,1" << true << true;
        QTest::newRow("7E1 B to A, bytes") << "9600,E,7,1" << false << false;
        QTest::newRow("6O2 A to B") << "2400,O,6,2" << true << false;
        QTest::newRow("5S1.5 B to A") << "110,S,5,1.5" << false << true;
        QTest::newRow("4M1 A to B") << "28800,M,4,1" << true << false;
    }
    void allByteValues() {
        QFETCH(QString, settings);
        QFETCH(bool, fromA);
        QFETCH(bool, asText);
        Bench bench;
        QVERIFY2(bench.cable.isReady(), qPrintable(bench.cable.errorString()));
        QVERIFY(bench.openBoth(settings));
        MSComm& from = fromA ? bench.a : bench.b;
        Listener& to = fromA ? bench.lb : bench.la;
        const QByteArray sent = everyByte();
        QByteArray got;
        if (asText) {
            to.drain = false;
            to.onEvent = [&] { got += cp1252::encode(to.comm.Input()); };
            from.setOutput(cp1252::decode(sent));
        } else {
            from.setOutputBytes(sent);
        }
        QByteArray& received = asText ? got : to.received;
        const QByteArray expected = masked(sent, dataBitsOf(settings));
        QVERIFY(waitFor([&] { return received.size() >= expected.size(); }));
        QCOMPARE(received.toHex(' '), expected.toHex(' '));
        QCOMPARE(to.events.count(serial::comEvReceive), to.events.size());  // no error events
    }

    // Byte patterns that look like the driver's in-band marks arrive as sent.
    void markLookalikes_data() {
        QTest::addColumn<QByteArray>("payload");
        QTest::newRow("lone 255") << bytes({0xFF});
        QTest::newRow("255 255") << bytes({0xFF, 0xFF});
        QTest::newRow("like a break") << bytes({0xFF, 0x00, 0x00});
        QTest::newRow("like an error mark") << bytes({'a', 0xFF, 0x00, 'x', 'b'});
        QTest::newRow("ends on 255") << text(100) + bytes({0xFF});
        QByteArray many;
        for (int i = 0; i < 3000; ++i) many.append(i % 7 == 0 ? '\xFF' : char(i % 3));
        QTest::newRow("3000 bytes, every seventh 255") << many;
    }
    void markLookalikes() {
        QFETCH(QByteArray, payload);
        Bench bench;
        QVERIFY2(bench.cable.isReady(), qPrintable(bench.cable.errorString()));
        QVERIFY(bench.openBoth("9600,N,8,1"));
        bench.a.setOutputBytes(payload);
        QVERIFY(waitFor([&] { return bench.lb.received.size() >= payload.size(); }));
        settle(50);
        QCOMPARE(bench.lb.received.toHex(' '), payload.toHex(' '));
        QCOMPARE(bench.lb.events.count(serial::comEvReceive), bench.lb.events.size());
    }

    // Text written just before the port closes leaves whole.
    void closeRightAfterOutput_data() {
        QTest::addColumn<QString>("settings");
        QTest::addColumn<int>("length");
        QTest::newRow("a word at 9600") << "9600,N,8,1" << 7;
        QTest::newRow("2000 characters at 9600") << "9600,N,8,1" << 2000;
        QTest::newRow("500 characters at 300, 7E1") << "300,E,7,1" << 500;
        QTest::newRow("a full queue at 28800") << "28800,N,8,1" << int(MSComm::kOutputQueueLimit);
    }
    void closeRightAfterOutput() {
        QFETCH(QString, settings);
        QFETCH(int, length);
        Bench bench;
        QVERIFY2(bench.cable.isReady(), qPrintable(bench.cable.errorString()));
        QVERIFY(bench.openBoth(settings));
        const QByteArray payload = text(length);
        bench.a.setOutputBytes(payload);
        bench.a.setPortOpen(false);
        QVERIFY(!bench.a.PortOpen());
        QVERIFY(waitFor([&] { return bench.lb.received.size() >= payload.size(); }));
        QCOMPARE(bench.lb.received, payload);
    }

    // The opening errors.
    void openingErrors_data() {
        QTest::addColumn<int>("port");
        QTest::addColumn<QString>("target");  // where Com3 leads: absent, folder, file, pts
        QTest::addColumn<QString>("settings");
        QTest::addColumn<bool>("holdCom1");  // another control has Com1 open
        QTest::addColumn<int>("error");
        const QString ok = QStringLiteral("9600,N,8,1");
        QTest::newRow("missing device") << 3 << "absent" << ok << false << 8002;
        QTest::newRow("a folder") << 3 << "folder" << ok << false << 8002;
        QTest::newRow("a plain file") << 3 << "file" << ok << false << 8002;
        QTest::newRow("port 0") << 0 << "absent" << ok << false << 8002;
        QTest::newRow("port 5") << 5 << "absent" << ok << false << 8002;
        QTest::newRow("open twice in this process") << 1 << "absent" << ok << true << 8005;
        QTest::newRow("open twice, other name") << 3 << "pts" << ok << true << 8005;
        QTest::newRow("9 data bits") << 1 << "absent"
                                     << "9600,E,9,1" << false << 8015;
        QTest::newRow("3 data bits") << 1 << "absent"
                                     << "9600,N,3,1" << false << 8015;
        QTest::newRow("parity X") << 1 << "absent"
                                  << "9600,X,7,1" << false << 8015;
        QTest::newRow("stop 3") << 1 << "absent"
                                << "9600,N,8,3" << false << 8015;
        QTest::newRow("unknown speed") << 1 << "absent"
                                       << "12345,N,8,1" << false << 8015;
        QTest::newRow("speed in words") << 1 << "absent"
                                        << "fast,N,8,1" << false << 8015;
        QTest::newRow("three fields") << 1 << "absent"
                                      << "9600,N,8" << false << 8015;
        QTest::newRow("five fields") << 1 << "absent"
                                     << "9600,N,8,1,1" << false << 8015;
        QTest::newRow("empty settings") << 1 << "absent"
                                        << "" << false << 8015;
    }
    void openingErrors() {
        QFETCH(int, port);
        QFETCH(QString, target);
        QFETCH(QString, settings);
        QFETCH(bool, holdCom1);
        QFETCH(int, error);
        Bench bench;
        QVERIFY2(bench.cable.isReady(), qPrintable(bench.cable.errorString()));
        QDir folder(bench.cable.folder());
        QVERIFY(folder.mkdir("sub"));
        QFile plain(folder.filePath("plain"));
        QVERIFY(plain.open(QIODevice::WriteOnly));
        plain.close();
        const QMap<QString, QString> targets{{"absent", bench.cable.absentDevice()},
                                             {"folder", folder.filePath("sub")},
                                             {"file", plain.fileName()},
                                             {"pts", bench.cable.deviceOf(bench.cable.endA())}};
        QVERIFY(bench.cable.writePortMap({{3, targets.value(target)}}));
        if (holdCom1) QVERIFY(bench.open(bench.a, "9600,N,8,1"));

        MSComm second;
        second.setPortMapDirectory(bench.cable.folder());
        second.setCommPort(port);
        second.setSettings(settings);
        QCOMPARE(int(second.setPortOpen(true)), error);
        QCOMPARE(int(second.lastError()), error);
        QVERIFY(!second.PortOpen());

        if (holdCom1) {
            // The holder is undisturbed.
            QVERIFY(bench.a.PortOpen());
            QVERIFY(bench.open(bench.b, "9600,N,8,1"));
            bench.a.setOutput("encore");
            QVERIFY(waitFor([&] { return bench.lb.received.size() >= 6; }));
            QCOMPARE(bench.lb.received, QByteArray("encore"));
        } else {
            // The next good opening clears the error.
            second.setCommPort(2);
            second.setSettings("9600,N,8,1");
            QCOMPARE(second.setPortOpen(true), MSComm::NoError);
            QCOMPARE(second.lastError(), MSComm::NoError);
            QCOMPARE(second.deviceName(), bench.cable.endB());
        }
    }

    // A device path given directly wins over CommPort; an empty one gives CommPort back.
    void devicePath_data() {
        QTest::addColumn<int>("port");      // CommPort; Com1 is held by control a
        QTest::addColumn<QString>("path");  // "endB", "absent", "" or "cleared" (set, then emptied)
        QTest::addColumn<int>("error");
        QTest::newRow("path to end B, port absent") << 3 << "endB" << 0;
        QTest::newRow("path to end B, port busy") << 1 << "endB" << 0;
        QTest::newRow("absent path, port usable") << 2 << "absent" << 8002;
        QTest::newRow("path emptied again") << 2 << "cleared" << 0;
    }
    void devicePath() {
        QFETCH(int, port);
        QFETCH(QString, path);
        QFETCH(int, error);
        Bench bench;
        QVERIFY2(bench.cable.isReady(), qPrintable(bench.cable.errorString()));
        QVERIFY(bench.open(bench.a, "9600,N,8,1"));
        const QMap<QString, QString> paths{{"endB", bench.cable.endB()},
                                           {"absent", bench.cable.absentDevice()},
                                           {"cleared", bench.cable.absentDevice()}};

        MSComm comm;
        Listener listener(comm);
        comm.setPortMapDirectory(bench.cable.folder());
        comm.setCommPort(port);
        comm.setRThreshold(1);
        comm.setDevicePath(paths.value(path));
        if (path == "cleared") comm.setDevicePath(QString());
        QCOMPARE(int(comm.setPortOpen(true)), error);
        if (error != 0) return;
        QCOMPARE(comm.deviceName(), bench.cable.endB());
        bench.a.setOutput("XEA  3\r");
        QVERIFY(waitFor([&] { return listener.received.size() >= 7; }));
        QCOMPARE(listener.received, QByteArray("XEA  3\r"));
    }

    // A device the user may not read and write is refused with its own error. Root may open
    // any device whatever its mode, so this is only meaningful for an ordinary user.
    void accessDenied() {
        if (::geteuid() == 0) QSKIP("root opens any device: run as an ordinary user");
        VirtualCable cable;
        QVERIFY2(cable.isReady(), qPrintable(cable.errorString()));
        QVERIFY(cable.writePortMap());
        QFile device(cable.deviceOf(cable.endA()));
        const QFile::Permissions before = device.permissions();
        QVERIFY(device.setPermissions(QFile::Permissions()));
        MSComm comm;
        comm.setPortMapDirectory(cable.folder());
        comm.setCommPort(1);
        const MSComm::Error error = comm.setPortOpen(true);
        device.setPermissions(before);
        QCOMPARE(error, MSComm::comPortAccessDenied);
        QVERIFY(!comm.PortOpen());
    }

    // Every configuration the menu offers opens on a virtual cable and carries a character.
    void everyMenuConfiguration_data() {
        QTest::addColumn<QString>("settings");
        QTest::addColumn<int>("handshake");
        int i = 0;
        for (const QString& speed : linkconfig::speeds())
            for (const QString& parity : linkconfig::parityLetters())
                for (const QString& bits : linkconfig::dataBitsList())
                    for (const QString& stop : linkconfig::stopBitsList()) {
                        const QString s = speed + "," + parity + "," + bits + "," + stop;
                        QTest::newRow(qPrintable(s + " h" + QString::number(i % 4))) << s << i % 4;
                        ++i;
                    }
    }
    void everyMenuConfiguration() {
        QFETCH(QString, settings);
        QFETCH(int, handshake);
        if (!shared_) shared_ = std::make_unique<Bench>();  // one cable for all rows
        Bench* bench = shared_.get();
        QVERIFY2(bench->cable.isReady(), qPrintable(bench->cable.errorString()));
        bench->lb.received.clear();
        QVERIFY(bench->openBoth(settings, handshake));
        bench->a.setOutputBytes(bytes({0xDA}));  // masked, never Xon or Xoff
        const QByteArray expected = masked(bytes({0xDA}), dataBitsOf(settings));
        QVERIFY(waitFor([&] { return !bench->lb.received.isEmpty(); }));
        QCOMPARE(bench->lb.received.toHex(), expected.toHex());
        bench->a.setPortOpen(false);
        bench->b.setPortOpen(false);
    }

    // The receive event comes back while characters remain after a partial read, and never
    // when the buffer is empty.
    void partialReads_data() {
        QTest::addColumn<QByteArray>("first");
        QTest::addColumn<QByteArray>("more");  // sent by the peer from inside the first handler
        QTest::addColumn<int>("inputLen");
        QTest::addColumn<int>("nestedWaitMs");  // the handler waits in a local event loop
        QTest::newRow("one at a time") << QByteArray("ABCDE") << QByteArray() << 1 << 0;
        QTest::newRow("two at a time") << QByteArray("ABCDE") << QByteArray() << 2 << 0;
        QTest::newRow("all at once") << QByteArray("ABCDE") << QByteArray() << 0 << 0;
        QTest::newRow("more while handling") << QByteArray("ABC") << QByteArray("DEF") << 1 << 0;
        QTest::newRow("more during a wait, one at a time")
            << QByteArray("A") << QByteArray("BCD") << 1 << 100;
        QTest::newRow("more during a wait, all at once")
            << QByteArray("AB") << QByteArray("CD") << 0 << 100;
    }
    void partialReads() {
        QFETCH(QByteArray, first);
        QFETCH(QByteArray, more);
        QFETCH(int, inputLen);
        QFETCH(int, nestedWaitMs);
        Bench bench;
        QVERIFY2(bench.cable.isReady(), qPrintable(bench.cable.errorString()));
        QVERIFY(bench.openBoth("9600,N,8,1"));
        bench.lb.drain = false;
        bench.b.setInputLen(inputLen);
        QByteArray got;
        QList<int> readSizes;
        QList<int> waitingAtEntry;
        int depth = 0;
        int maxDepth = 0;
        bool sentMore = more.isEmpty();
        bool ownEventKept = true;
        bench.lb.onEvent = [&] {
            maxDepth = qMax(maxDepth, ++depth);
            waitingAtEntry.append(bench.b.InBufferCount());
            const int mine = bench.b.CommEvent();
            if (!sentMore) {
                sentMore = true;
                bench.a.setOutputBytes(more);
            }
            if (nestedWaitMs > 0) settle(nestedWaitMs);
            ownEventKept = ownEventKept && bench.b.CommEvent() == mine;
            const QByteArray piece = bench.b.InputBytes();
            readSizes.append(int(piece.size()));
            got += piece;
            --depth;
        };
        bench.a.setOutputBytes(first);
        const QByteArray all = first + more;
        QVERIFY(waitFor([&] { return got.size() >= all.size(); }));
        settle(200);  // nothing more may come
        QCOMPARE(got, all);
        QCOMPARE(bench.b.InBufferCount(), 0);
        QCOMPARE(bench.lb.events.count(serial::comEvReceive), bench.lb.events.size());
        QVERIFY(ownEventKept);
        for (int n : waitingAtEntry) QVERIFY2(n > 0, "a receive event with nothing to read");
        // A handler may find nothing only when a handler called inside its wait took it all.
        for (int n : readSizes) {
            if (nestedWaitMs == 0) QVERIFY(n > 0);
            if (inputLen > 0) QVERIFY(n <= inputLen);
        }
        if (inputLen > 0) QVERIFY(readSizes.size() >= (all.size() + inputLen - 1) / inputLen);
        if (nestedWaitMs > 0) QCOMPARE(maxDepth, 2);  // the new characters came in the wait
    }

    // A handler that reads nothing is not called again until new characters arrive.
    void handlerThatReadsNothing() {
        Bench bench;
        QVERIFY2(bench.cable.isReady(), qPrintable(bench.cable.errorString()));
        QVERIFY(bench.openBoth("9600,N,8,1"));
        bench.lb.drain = false;
        const QByteArray sent = "xyz";
        for (int i = 0; i < sent.size(); ++i) {
            bench.a.setOutputBytes(sent.mid(i, 1));
            QVERIFY(waitFor([&] { return bench.lb.events.size() == i + 1; }));
            settle(150);
            QCOMPARE(bench.lb.events.size(), i + 1);
            QCOMPARE(bench.b.InBufferCount(), i + 1);
        }
        QCOMPARE(bench.b.InputBytes(), sent);
    }

    // Output refuses what would pass the queue bound, whole, and says so at once.
    void writeQueueBound_data() {
        QTest::addColumn<int>("first");
        QTest::addColumn<int>("second");
        const int limit = MSComm::kOutputQueueLimit;
        QTest::newRow("small") << 10 << 10;
        QTest::newRow("exactly full") << limit - 96 << 96;
        QTest::newRow("one too many") << limit - 96 << 97;
        QTest::newRow("full, then one") << limit << 1;
        QTest::newRow("too big alone") << limit + 1 << 5;
    }
    void writeQueueBound() {
        QFETCH(int, first);
        QFETCH(int, second);
        Bench bench;
        QVERIFY2(bench.cable.isReady(), qPrintable(bench.cable.errorString()));
        // The far end holds the line with Xoff, so that the queue stays as written.
        QVERIFY(bench.open(bench.a, "28800,N,8,1", 1));
        QVERIFY(bench.open(bench.b, "28800,N,8,1", 0));
        bench.b.setOutputBytes(bytes({0x13, 'm'}));
        QVERIFY(waitFor([&] { return !bench.la.received.isEmpty(); }));
        const QByteArray one = text(first, 'a');
        const QByteArray two = text(second, 'A');
        QByteArray expected;
        int refused = 0;
        for (const QByteArray& block : {one, two}) {
            const int before = bench.a.OutBufferCount();
            bench.a.setOutputBytes(block);
            if (before + block.size() <= MSComm::kOutputQueueLimit) {
                expected += block;
                if (refused == 0) QVERIFY(bench.a.CommEvent() != serial::comEventTxFull);
            } else {
                ++refused;
                QCOMPARE(bench.a.CommEvent(), int(serial::comEventTxFull));
            }
            QCOMPARE(bench.a.OutBufferCount(), int(expected.size()));
        }
        bench.b.setOutputBytes(bytes({0x11}));
        QVERIFY(waitFor([&] { return bench.lb.received.size() >= expected.size(); }));
        settle(100);
        QCOMPARE(bench.lb.received, expected);
        QCOMPARE(bench.la.count(serial::comEventTxFull), refused);
        // Once the queue has left, the same text is taken.
        if (refused) {
            bench.lb.received.clear();
            bench.a.setOutputBytes(two);
            QVERIFY(waitFor([&] { return bench.lb.received.size() >= two.size(); }));
            QCOMPARE(bench.lb.received, two);
        }
    }

    // Under Xon/Xoff the peer's Xoff holds the output and only Xon releases it.
    void xonXoff_data() {
        QTest::addColumn<int>("handshake");
        QTest::addColumn<QString>("then");  // what happens while held: nothing, letter, discard,
                                            // close
        QTest::newRow("Xon/Xoff") << 1 << "nothing";
        QTest::newRow("both protocols") << 3 << "nothing";
        QTest::newRow("a letter does not resume") << 1 << "letter";
        QTest::newRow("discarded while held") << 1 << "discard";
        QTest::newRow("closed while held") << 3 << "close";
    }
    void xonXoff() {
        QFETCH(int, handshake);
        QFETCH(QString, then);
        Bench bench;
        QVERIFY2(bench.cable.isReady(), qPrintable(bench.cable.errorString()));
        QVERIFY(bench.open(bench.a, "19200,N,8,1", handshake));
        QVERIFY(bench.open(bench.b, "19200,N,8,1", 0));
        bench.b.setOutputBytes(bytes({0x13, 'm'}));  // Xoff, then a marker
        QVERIFY(waitFor([&] { return !bench.la.received.isEmpty(); }));
        QCOMPARE(bench.la.received, QByteArray("m"));  // Xoff is taken by the line discipline

        bench.a.setOutput("abc");
        settle(200);
        QCOMPARE(bench.lb.received, QByteArray());
        QCOMPARE(bench.a.OutBufferCount(), 3);
        QByteArray expected = "abc";
        if (then == "letter") {
            bench.b.setOutput("L");
            QVERIFY(waitFor([&] { return bench.la.received.size() >= 2; }));
            settle(200);
            QCOMPARE(bench.lb.received, QByteArray());
            QCOMPARE(bench.a.OutBufferCount(), 3);
        } else if (then == "discard") {
            bench.a.setOutBufferCount(0);
            QCOMPARE(bench.a.OutBufferCount(), 0);
            expected.clear();
        } else if (then == "close") {
            bench.a.setPortOpen(false);  // gives up on the held queue rather than block
            QVERIFY(!bench.a.PortOpen());
            // Said as the time-out it is, never as a success.
            QCOMPARE(bench.a.CommEvent(), int(serial::comEventCTSTO));
            expected.clear();
        }
        bench.b.setOutputBytes(bytes({0x11}));  // Xon
        if (!expected.isEmpty()) {
            QVERIFY(waitFor([&] { return bench.lb.received.size() >= expected.size(); }));
        } else {
            settle(200);
        }
        QCOMPARE(bench.lb.received, expected);
        QVERIFY(!bench.la.received.contains('\x11'));
        QVERIFY(!bench.la.received.contains('\x13'));
    }

    // On a free line a character written is handed to the driver at once: nothing is counted
    // as held back, even before the event loop runs. A closing that loses nothing says nothing.
    void freeLineHoldsNothingBack() {
        Bench bench;
        QVERIFY2(bench.cable.isReady(), qPrintable(bench.cable.errorString()));
        QVERIFY(bench.openBoth("9600,N,8,1"));
        for (const char* text : {"k", "une chaîne de quarante caractères, ou pres"}) {
            bench.a.setOutput(QString::fromUtf8(text));
            QCOMPARE(bench.a.OutBufferCount(), 0);
        }
        bench.a.setPortOpen(false);
        QCOMPARE(bench.a.CommEvent(), int(serial::NoEvent));
    }

    // An event of an earlier opening is not seen after the next one.
    void eventForgottenOnOpening() {
        Bench bench;
        QVERIFY2(bench.cable.isReady(), qPrintable(bench.cable.errorString()));
        QVERIFY(bench.open(bench.a, "9600,E,7,1"));
        bench.a.injectEvent(serial::comEventBreak);
        QVERIFY(waitFor([&] { return bench.la.count(serial::comEventBreak) == 1; }));
        QCOMPARE(bench.a.CommEvent(), int(serial::comEventBreak));
        bench.a.setPortOpen(false);
        QVERIFY(bench.open(bench.a, "9600,E,7,1"));
        QCOMPARE(bench.a.CommEvent(), int(serial::NoEvent));
    }

    // Injected line events reach the handler from the event loop, with their CommEvent.
    void injectedEvents_data() {
        QTest::addColumn<int>("event");
        for (int e : {1, 3, 4, 5, 6, 1001, 1002, 1003, 1004, 1006, 1007, 1008, 1009, 1011})
            QTest::newRow(qPrintable(QString::number(e))) << e;
    }
    void injectedEvents() {
        QFETCH(int, event);
        VirtualCable plug(VirtualCable::Loopback);
        QVERIFY2(plug.isReady(), qPrintable(plug.errorString()));
        QVERIFY(plug.writePortMap());
        MSComm comm;
        comm.setPortMapDirectory(plug.folder());
        QCOMPARE(comm.setPortOpen(true), MSComm::NoError);
        Listener listener(comm);
        comm.injectEvent(event);
        QVERIFY(listener.events.isEmpty());  // never from inside the call
        QVERIFY(waitFor([&] { return !listener.events.isEmpty(); }));
        settle(50);
        QCOMPARE(listener.events, QList<int>{event});
        QCOMPARE(comm.CommEvent(), event);
    }

    // Inside a handler CommEvent stays that delivery's event while other events are delivered
    // in its local event loop; the handler's own refused Output shows at once.
    void commEventInNestedHandlers() {
        VirtualCable plug(VirtualCable::Loopback);
        QVERIFY2(plug.isReady(), qPrintable(plug.errorString()));
        QVERIFY(plug.writePortMap());
        MSComm comm;
        comm.setPortMapDirectory(plug.folder());
        QCOMPARE(comm.setPortOpen(true), MSComm::NoError);
        QList<QPair<int, int>> seen;  // (event at entry, event after the nested wait)
        QObject::connect(&comm, &MSComm::OnComm, &comm, [&] {
            const int entry = comm.CommEvent();
            if (entry == serial::comEventRxParity) {
                comm.injectEvent(serial::comEvCTS);
                settle(100);
            }
            seen.append({entry, comm.CommEvent()});
            if (entry == serial::comEventRxParity) {
                comm.setOutputBytes(QByteArray(MSComm::kOutputQueueLimit + 1, 'x'));
                seen.append({entry, comm.CommEvent()});
            }
        });
        comm.injectEvent(serial::comEventRxParity);
        QVERIFY(waitFor([&] { return seen.size() >= 3; }));
        settle(50);
        const QList<QPair<int, int>> expected{{serial::comEvCTS, serial::comEvCTS},
                                              {serial::comEventRxParity, serial::comEventRxParity},
                                              {serial::comEventRxParity, serial::comEventTxFull},
                                              {serial::comEventTxFull, serial::comEventTxFull}};
        QCOMPARE(seen, expected);
    }

    // The sent event, and no modem-line events from a device without modem lines.
    void sentEventAndQuietModemLines() {
        Bench bench;
        QVERIFY2(bench.cable.isReady(), qPrintable(bench.cable.errorString()));
        bench.a.setSThreshold(1);
        bench.a.setRTSEnable(true);
        bench.a.setDTREnable(false);
        QVERIFY(bench.openBoth("9600,N,8,1", 2));
        QVERIFY(bench.a.CTSHolding());
        bench.a.setBreak(true);  // a pseudo-terminal has no break: silently nothing
        bench.a.setBreak(false);
        bench.a.setOutput("z");
        QVERIFY(waitFor([&] { return !bench.la.events.isEmpty(); }));
        settle(300);
        QCOMPARE(bench.la.events, QList<int>{serial::comEvSend});
        QCOMPARE(bench.lb.received, QByteArray("z"));
        QCOMPARE(bench.lb.events, QList<int>{serial::comEvReceive});
        bench.a.setPortOpen(false);
        QVERIFY(!bench.a.CTSHolding());
        bench.a.setBreak(true);  // ignored while closed
        QVERIFY(!bench.a.Break());
        bench.a.setOutput("ignored");
        settle(100);
        QCOMPARE(bench.lb.received, QByteArray("z"));
    }

    // A sender that keeps the cable full makes the driver refuse writes now and then; the
    // receiver reads on and nobody takes the cable for gone.
    void fullCableIsNoLostPort() {
        Bench bench;
        QVERIFY2(bench.cable.isReady(), qPrintable(bench.cable.errorString()));
        QVERIFY(bench.openBoth("115200,N,8,1"));
        const qint64 total = 12 * 1024 * 1024;
        const QByteArray block(MSComm::kOutputQueueLimit / 2, 'F');
        qint64 sent = 0;
        qint64 received = 0;
        auto refill = [&] {
            while (sent < total &&
                   bench.a.OutBufferCount() + block.size() <= MSComm::kOutputQueueLimit) {
                bench.a.setOutputBytes(block);
                sent += block.size();
            }
        };
        bench.a.setSThreshold(int(block.size()));
        bench.la.onEvent = [&] {
            if (bench.a.CommEvent() == serial::comEvSend) refill();
        };
        bench.lb.drain = false;
        bench.lb.onEvent = [&] { received += bench.b.InputBytes().size(); };
        refill();
        QVERIFY(waitFor([&] { return received >= total; }, 20000));
        QCOMPARE(bench.la.count(serial::comEventPortLost), 0);
        QCOMPARE(bench.lb.count(serial::comEventPortLost), 0);
    }

    // Port and format stay as opened until the port closes.
    void settingsFixedWhileOpen() {
        Bench bench;
        QVERIFY2(bench.cable.isReady(), qPrintable(bench.cable.errorString()));
        QVERIFY(bench.openBoth("9600,N,8,1"));
        bench.a.setSettings("9600,E,7,1");
        bench.a.setCommPort(3);
        QCOMPARE(bench.a.Settings(), QStringLiteral("9600,N,8,1"));
        QCOMPARE(bench.a.CommPort(), 1);
        bench.a.setOutputBytes(bytes({0xE9}));
        QVERIFY(waitFor([&] { return !bench.lb.received.isEmpty(); }));
        QCOMPARE(bench.lb.received, bytes({0xE9}));
    }

    // The peer goes away while the port is open: one event, the port closed, no storm.
    void portLost_data() {
        QTest::addColumn<bool>("busy");  // the port was sending when the cable went
        QTest::newRow("idle") << false;
        QTest::newRow("sending") << true;
    }
    void portLost() {
        QFETCH(bool, busy);
        Bench bench;
        QVERIFY2(bench.cable.isReady(), qPrintable(bench.cable.errorString()));
        QVERIFY(bench.openBoth("9600,N,8,1"));
        if (busy) bench.a.setOutputBytes(text(3000));
        bench.cable.unplug();
        QVERIFY(waitFor([&] {
            return bench.la.count(serial::comEventPortLost) > 0 &&
                   bench.lb.count(serial::comEventPortLost) > 0;
        }));
        settle(300);
        for (Listener* l : {&bench.la, &bench.lb}) {
            QCOMPARE(l->count(serial::comEventPortLost), 1);
            QCOMPARE(l->events.last(), int(serial::comEventPortLost));
            QVERIFY(!l->comm.PortOpen());
            QCOMPARE(l->comm.CommEvent(), int(serial::comEventPortLost));
        }
        bench.a.setOutput("nobody");  // ignored, the port is closed
        // The device is gone: opening again says so; the device is no longer held.
        QCOMPARE(bench.a.setPortOpen(true), MSComm::comPortInvalid);
    }

    // A device that has hung up says so on its descriptor, whatever the last read left behind;
    // one whose far side only closed has not hung up (a cable whose far computer stopped).
    void hangUpOnTheDescriptor_data() {
        QTest::addColumn<bool>("unplugged");
        QTest::newRow("far side closed") << false;
        QTest::newRow("cable unplugged") << true;
    }
    void hangUpOnTheDescriptor() {
        QFETCH(bool, unplugged);
        VirtualCable cable;
        QVERIFY2(cable.isReady(), qPrintable(cable.errorString()));
        const int near = ::open(qPrintable(cable.endB()), O_RDWR | O_NOCTTY | O_NONBLOCK);
        const int far = ::open(qPrintable(cable.endA()), O_RDWR | O_NOCTTY | O_NONBLOCK);
        QVERIFY(near >= 0 && far >= 0);
        char byte = 0;
        QCOMPARE(::read(near, &byte, 1), ssize_t(-1));  // nothing yet: EAGAIN left behind
        QVERIFY(!platform::hungUp(near));
        ::close(far);
        if (unplugged) cable.unplug();
        const bool hung = waitFor([&] { return platform::hungUp(near); }, 1000);
        ::close(near);
        QCOMPARE(hung, unplugged);
    }
};

QTEST_MAIN(TstMSComm)
#include "tst_mscomm.moc"
