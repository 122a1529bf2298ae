// Watching the lab's line as an oscilloscope does: the level changes a monitor receives are the
// line's own, at the times its capture gives; a monitor that never reads holds up no character
// and is told how many changes it lost; a monitor changes nothing on the line.
#include <QFile>
#include <QtTest>

#include "serial/labline/protocol.h"
#include "serial/labmonitor.h"
#include "serial/mscomm.h"
#include "support/labline.h"
#include "support/wait.h"

using namespace testsupport;
using labline::Signal;
using labline::wire::Message;
using labline::wire::Type;

namespace {

struct Level {
    qint64 at;
    bool high;
    bool operator==(const Level&) const = default;
};

// The changes of one wire in a capture, after time 0 (the idle levels).
QList<Level> fromCapture(const QString& path, const QString& wire) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return {};
    QByteArray id;
    qint64 at = 0;
    QList<Level> out;
    for (const QByteArray& line : f.readAll().split('\n')) {
        const QList<QByteArray> words = line.split(' ');
        if (line.startsWith("$var") && words.size() > 4 && words[4] == wire.toLatin1())
            id = words[3];
        else if (line.startsWith('#'))
            at = line.mid(1).toLongLong();
        else if (!id.isEmpty() && at > 0 && (line.startsWith('0') || line.startsWith('1')) &&
                 line.mid(1) == id)
            out << Level{at, line.at(0) == '1'};
    }
    return out;
}

MSComm* openPort(MSComm& comm, const LabLine& lab, const QString& end, const QString& settings) {
    comm.setDevicePath(lab.end(end));
    comm.setSettings(settings);
    comm.setPortOpen(true);
    return comm.PortOpen() ? &comm : nullptr;
}

}  // namespace

class TstLabMonitor : public QObject {
    Q_OBJECT
private slots:
    void changesAreTheLinesOwn() {
        QTemporaryDir dir;
        const QString capture = dir.filePath("line.vcd");
        LabLine lab({capture});
        QVERIFY2(lab.isReady(), qPrintable(lab.errorString()));
        serial::LabMonitor monitor;
        QString why;
        QVERIFY2(monitor.watch(lab.end("com2"), {Signal::TxD, Signal::Rts}, &why), qPrintable(why));
        QList<Level> txd;
        qint64 completeTo = 0;
        connect(&monitor, &serial::LabMonitor::changes, this,
                [&](const QList<serial::LabMonitor::Change>& changes, qint64 to) {
                    for (const auto& c : changes)
                        if (c.wire == 0) txd << Level{c.at, c.high};
                    completeTo = to;
                });
        MSComm sender, receiver;
        QVERIFY(openPort(sender, lab, "com2", "9600,E,7,1"));
        QVERIFY(openPort(receiver, lab, "com3", "9600,E,7,1"));
        sender.setOutput("OK");
        QVERIFY(waitFor([&] { return receiver.InBufferCount() == 2; }));
        const qint64 sentBy = txd.isEmpty() ? 0 : txd.last().at;
        QVERIFY(waitFor([&] { return completeTo > sentBy; }));
        sender.setPortOpen(false);
        receiver.setPortOpen(false);
        monitor.stop();
        lab.stop();
        QCOMPARE(txd, fromCapture(capture, "com2_TxD"));
        QVERIFY(txd.size() >= 4);
    }

    void aMonitorThatNeverReadsHoldsNothingUp() {
        LabLine lab;
        QVERIFY2(lab.isReady(), qPrintable(lab.errorString()));
        LabClient stalled(lab);
        QVERIFY(stalled.trySend(Message{Type::Monitor, 0, "com2\nTxD"}));
        const auto answer = stalled.receive(2000);
        QVERIFY(answer && answer->type == Type::Monitoring);
        MSComm sender, receiver;
        QVERIFY(openPort(sender, lab, "com2", "115200,N,8,1"));
        QVERIFY(openPort(receiver, lab, "com3", "115200,N,8,1"));
        receiver.setInputLen(0);
        const QByteArray sent(20000, 'U');  // ten changes a character
        QByteArray got;
        connect(&receiver, &MSComm::OnComm, this, [&] { got += receiver.InputBytes(); });
        receiver.setRThreshold(1);
        for (qsizetype i = 0; i < sent.size(); i += 512) {
            QVERIFY(waitFor([&] { return sender.OutBufferCount() < 1024; }));
            sender.setOutputBytes(sent.mid(i, 512));
        }
        QVERIFY(waitFor([&] { return got.size() == sent.size(); }, 30000));
        QCOMPARE(got, sent);
        // Read now: the changes it could not take are counted, never silently gone. (The line
        // goes on telling it how far its record is complete: read until the count comes.)
        qint64 lost = 0;
        for (int n = 0; n < 1'000'000 && lost == 0; ++n) {
            const auto m = stalled.receive(1000);
            if (!m) break;
            if (m->type == Type::LevelsLost) lost = m->value;
        }
        QVERIFY(lost > 0);
    }

    void refusedWiresAndEnds_data() {
        QTest::addColumn<QByteArray>("request");
        QTest::newRow("unknown end") << QByteArray("com9\nTxD");
        QTest::newRow("unknown wire") << QByteArray("com2\nTxD,XYZ");
        QTest::newRow("no wire") << QByteArray("com2\n");
        QTest::newRow("no end line") << QByteArray("com2");
    }
    void refusedWiresAndEnds() {
        QFETCH(QByteArray, request);
        LabLine lab;
        QVERIFY2(lab.isReady(), qPrintable(lab.errorString()));
        LabClient client(lab);
        QVERIFY(client.trySend(Message{Type::Monitor, 0, request}));
        const auto answer = client.receive(2000);
        QVERIFY(answer);
        QCOMPARE(answer->type, Type::Refused);
    }
};

QTEST_GUILESS_MAIN(TstLabMonitor)
#include "tst_labmonitor.moc"
