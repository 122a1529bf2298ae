// The lab's line daemon against local clients that are not ports: garbage, messages too long,
// connections by the thousand, connections that never attach. The other ends keep their latency
// and receive intact data, the daemon's descriptors stay bounded, and every refusal is said.
// Also its command line and the bridge's: help, a folder that is not the line's, a refused ring.
#include <sys/stat.h>
#include <unistd.h>

#include <QProcess>
#include <QRandomGenerator>
#include <QtTest>
#include <deque>
#include <memory>

#include "serial/labline/line.h"
#include "serial/labline/localsocket.h"
#include "serial/labline/protocol.h"
#include "serial/mscomm.h"
#include "support/labline.h"
#include "support/labload.h"
#include "support/wait.h"

using labline::wire::Message;
using labline::wire::Type;
using testsupport::LabClient;
using testsupport::LabLine;
using testsupport::settle;
using testsupport::waitFor;
namespace local = labline::local;

namespace {

// Far above what the line needs for its ends, far below one per connection of a flood.
constexpr int kDescriptorBound = 64;
constexpr qint64 kMemoryBound = 20 * 1024 * 1024;
#if defined(__SANITIZE_ADDRESS__) || defined(SERLINQ_SANITIZED)
// Sanitized, the line runs several times slower and keeps freed memory in quarantine.
constexpr int kSlowdown = 4;
constexpr bool kMemoryMeasured = false;
#else
constexpr int kSlowdown = 1;
constexpr bool kMemoryMeasured = true;
#endif

int descriptorsOf(qint64 pid) {
    return int(QDir(QStringLiteral("/proc/%1/fd").arg(pid))
                   .entryList(QDir::NoDotAndDotDot | QDir::System)
                   .size());
}

QString socketOf(const LabLine& lab) {
    return QDir(lab.folder()).filePath("line/socket");
}

// A client misusing the line from a timer, for as long as it lives.
class Hostile {
public:
    Hostile(const LabLine& lab, const QString& kind) : lab_(lab), kind_(kind), random_(17) {
        QObject::connect(&timer_, &QTimer::timeout, [this] { tick(); });
        timer_.start(5);
    }
    ~Hostile() {
        for (int fd : fds_) local::closeFd(fd);
    }

private:
    // A client the daemon has let go, or whose socket is full, is replaced by a new one.
    void tick() {
        if (kind_ == "flood") return flood();
        if (!client_) connect();
        for (int i = 0; i < 20; ++i) {
            if (!client_->trySend(next())) {
                client_.reset();
                return;
            }
        }
    }
    void connect() {
        client_ = std::make_unique<LabClient>(lab_);
        if (kind_ == "random after attaching" || kind_ == "oversized writes")
            client_->attach(kind_ == "oversized writes" ? "com4" : "com1", "115200,N,8,1");
    }
    Message next() {
        if (kind_ == "short datagrams") return Message{Type(random_.bounded(256)), 0, {}};
        if (kind_ == "unknown types") return Message{Type(100 + random_.bounded(100)), 0, "x"};
        if (kind_ == "oversized writes") return Message{Type::Write, 0, QByteArray(65536, 'o')};
        if (kind_ == "rings") return Message{Type::Ring, 0, "com4"};
        if (kind_ == "cut attaches")
            return Message{Type::Attach, 0,
                           QByteArray("com2\n9600,N,8,1").left(random_.bounded(16))};
        QByteArray data(random_.bounded(2 * labline::wire::kMaxData), Qt::Uninitialized);
        for (char& c : data) c = char(random_.bounded(256));
        return Message{Type(random_.bounded(12)), qint64(random_.generate64()), data};
    }
    // Connections opened without pause and held, the oldest let go once thousands are held.
    void flood() {
        for (int i = 0; i < 50; ++i) {
            const int fd = local::connectTo(socketOf(lab_));
            if (fd >= 0) fds_.push_back(fd);
        }
        while (fds_.size() > 2000) {
            local::closeFd(fds_.front());
            fds_.pop_front();
        }
    }

    const LabLine& lab_;
    QString kind_;
    QRandomGenerator random_;
    QTimer timer_;
    std::unique_ptr<LabClient> client_;
    std::deque<int> fds_;
};

// Whether random bytes from com2 reach com3 through the serial control intact, and nothing else.
bool carriedIntact(const LabLine& lab, qsizetype size) {
    MSComm a, b;
    a.setDevicePath(lab.end("com2"));
    b.setDevicePath(lab.end("com3"));
    QByteArray sent(size, Qt::Uninitialized), got;
    for (char& c : sent) c = char(QRandomGenerator::global()->bounded(256));
    QObject::connect(&b, &MSComm::OnComm, &b, [&] {
        if (b.CommEvent() == serial::comEvReceive) got += b.InputBytes();
    });
    for (MSComm* c : {&a, &b}) {
        c->setSettings("115200,N,8,1");
        c->setRThreshold(1);
        if (c->setPortOpen(true) != MSComm::NoError) return false;
    }
    a.setOutputBytes(sent);
    waitFor([&] { return got.size() >= size; });
    settle(50);
    return got == sent;
}

// What the daemon says until `until` comes or the wait ends; the received bytes beside.
std::optional<Message> awaitType(LabClient& client, Type until, QByteArray* received, int ms) {
    QDeadlineTimer deadline(ms);
    while (!deadline.hasExpired()) {
        const auto m = client.receive(int(deadline.remainingTime()));
        if (!m) continue;
        if (m->type == Type::Received) *received += m->data;
        if (m->type == until) return m;
    }
    return std::nullopt;
}

struct Run {
    int exitCode = -1;
    QByteArray out, err;
};

Run run(const QString& program, const QStringList& args, int ms = 10000) {
    QProcess p;
    p.start(program, args);
    Run r;
    if (!p.waitForFinished(ms)) {
        p.kill();
        p.waitForFinished();
        return r;
    }
    r.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.out = p.readAllStandardOutput();
    r.err = p.readAllStandardError();
    return r;
}

}  // namespace

class TstLabDaemonHostile : public QObject {
    Q_OBJECT
private slots:
    void otherPairsKeepWorking_data() {
        QTest::addColumn<QString>("kind");
        QTest::newRow("datagrams shorter than a header") << "short datagrams";
        QTest::newRow("types no client sends, before attaching") << "unknown types";
        QTest::newRow("random messages on com1, some too long") << "random after attaching";
        QTest::newRow("writes of 64 KiB on com4") << "oversized writes";
        QTest::newRow("2000 connections held, opened without pause") << "flood";
        QTest::newRow("rings, the answers never read") << "rings";
        QTest::newRow("attaches cut short") << "cut attaches";
    }
    void otherPairsKeepWorking() {
        QFETCH(QString, kind);
        LabLine lab;
        QVERIFY2(lab.isReady(), qPrintable(lab.errorString()));
        const qint64 memory = testsupport::residentBytes(lab.processId());
        Hostile hostile(lab, kind);
        {
            testsupport::DeliveryProbe probe;
            QVERIFY(probe.start(lab, "com2", "com3", "9600,N,8,1", 20));
            settle(2500);
            probe.stop();
            QVERIFY(waitFor([&] { return probe.allArrived(); }));
            const qint64 character = 10 * labline::kNanosPerSecond / 9600;
            QVERIFY(probe.count() > 50);
            QVERIFY2(probe.percentile(50) < kSlowdown * 20 * character,
                     qPrintable(QString::number(probe.percentile(50))));
            QVERIFY2(probe.percentile(100) < kSlowdown * 250'000'000,
                     qPrintable(QString::number(probe.percentile(100))));
        }
        QVERIFY(carriedIntact(lab, 3000));
        const int fds = descriptorsOf(lab.processId());
        QVERIFY2(fds > 0 && fds < kDescriptorBound, qPrintable(QString::number(fds)));
        const qint64 growth = testsupport::residentBytes(lab.processId()) - memory;
        if (kMemoryMeasured) QVERIFY2(growth < kMemoryBound, qPrintable(QString::number(growth)));
    }

    // The newest connections are served; the oldest of those never attached are let go.
    void connectionsBeyondTheLimit() {
        LabLine lab;
        QVERIFY(lab.isReady());
        std::vector<int> fds;
        for (int i = 0; i < 2000; ++i) {
            const int fd = local::connectTo(socketOf(lab));
            QVERIFY(fd >= 0);
            fds.push_back(fd);
        }
        QVERIFY(waitFor([&] { return local::peerGone(fds.front()); }));
        QVERIFY(waitFor([&] { return local::peerGone(fds[fds.size() / 2]); }));
        const Message attach{Type::Attach, 0, "com2\n9600,N,8,1"};
        QCOMPARE(local::send(fds.back(), attach), local::SendResult::Sent);
        QVERIFY(local::waitReadable(fds.back(), testsupport::kWaitMs));
        QByteArray answer;
        QCOMPARE(local::receive(fds.back(), &answer), local::ReceiveResult::Message);
        QCOMPARE(labline::wire::decode(answer)->type, Type::Attached);
        QVERIFY(descriptorsOf(lab.processId()) < kDescriptorBound);
        for (int fd : fds) local::closeFd(fd);
    }

    // A connection that says nothing is let go after a few seconds; one that attaches within a
    // second is served.
    void connectionNeverAttaching() {
        LabLine lab;
        QVERIFY(lab.isReady());
        QElapsedTimer clock;
        clock.start();
        const int idle = local::connectTo(socketOf(lab));
        LabClient late(lab);
        QVERIFY(idle >= 0 && late.isConnected());
        settle(1000);
        QVERIFY(!local::peerGone(idle));
        QCOMPARE(late.attach("com3", "9600,N,8,1")->type, Type::Attached);
        QVERIFY(waitFor([&] { return local::peerGone(idle); }, 15000));
        QVERIFY2(clock.elapsed() < 10000, qPrintable(QString::number(clock.elapsed())));
        settle(300);
        QVERIFY(late.tryWrite("x"));  // attached, it stays
        QVERIFY(late.isConnected());
        local::closeFd(idle);
    }

    // A message too long is refused as a whole and said so; the client stays attached.
    void messageTooLong_data() {
        QTest::addColumn<int>("type");
        QTest::addColumn<int>("size");     // bytes after the header
        QTest::addColumn<int>("refusal");  // 0: carried out
        const int longest = labline::wire::kMaxData;
        QTest::newRow("write of the longest length") << int(Type::Write) << longest << 0;
        QTest::newRow("write one byte too long")
            << int(Type::Write) << longest + 1 << int(labline::wire::kTooLong);
        QTest::newRow("write of 100 000 bytes")
            << int(Type::Write) << 100000 << int(labline::wire::kTooLong);
        QTest::newRow("a type the daemon sends")
            << int(Type::Received) << 1 << int(labline::wire::kNotTaken);
        QTest::newRow("type 255") << 255 << 0 << int(labline::wire::kNotTaken);
    }
    void messageTooLong() {
        QFETCH(int, type);
        QFETCH(int, size);
        QFETCH(int, refusal);
        LabLine lab;
        QVERIFY(lab.isReady());
        LabClient client(lab);
        QCOMPARE(client.attach("com1", "115200,N,8,1")->type, Type::Attached);
        const QByteArray data(size, 'w');
        QVERIFY(client.trySend(Message{Type(type), 0, data}));
        QByteArray received;
        if (refusal != 0) {
            const auto said = awaitType(client, Type::Rejected, &received, testsupport::kWaitMs);
            QVERIFY(said);
            QCOMPARE(int(said->value & 0xFF), type);
            QCOMPARE(int(said->value >> 8), refusal);
        }
        QVERIFY(client.tryWrite("ok"));
        const QByteArray expected = (refusal == 0 ? data : QByteArray()) + "ok";
        QVERIFY(waitFor([&] {
            awaitType(client, Type::Rejected, &received, 10);
            return received.size() >= expected.size();
        }));
        QCOMPARE(received, expected);
    }

    void ring_data() {
        QTest::addColumn<QString>("end");
        QTest::addColumn<bool>("rung");
        QTest::addColumn<int>("bridgeStatus");
        QTest::newRow("com2") << "com2" << true << 0;
        QTest::newRow("com4-peer") << "com4-peer" << true << 0;
        QTest::newRow("no such end") << "com9" << false << 3;
        QTest::newRow("empty name") << "" << false << 3;
    }
    void ring() {
        QFETCH(QString, end);
        QFETCH(bool, rung);
        QFETCH(int, bridgeStatus);
        LabLine lab;
        QVERIFY(lab.isReady());
        QCOMPARE(lab.ring(end), rung);
        const Run r = run(LAB_BRIDGE, {"--ring", lab.end(end)});
        QCOMPARE(r.exitCode, bridgeStatus);
        QCOMPARE(r.err.isEmpty(), bridgeStatus == 0);
        // A refused ring makes no end: the line still has its own and no other.
        LabClient client(lab);
        QCOMPARE(client.attach(end, "9600,N,8,1")->type, rung ? Type::Attached : Type::Refused);
    }

    void ringWithoutLine() {
        QTemporaryDir dir;
        QCOMPARE(run(LAB_BRIDGE, {"--ring", "lab:" + dir.filePath("none") + "/com2"}).exitCode, 1);
    }

    void help_data() {
        QTest::addColumn<QString>("program");
        QTest::addColumn<QStringList>("options");
        QTest::newRow("line") << QString(SERLINQ_LAB_LINE)
                              << QStringList{"--folder", "--noise", "--capture", "--pty"};
        QTest::newRow("bridge") << QString(LAB_BRIDGE)
                                << QStringList{"--settings", "--expect", "--ready", "--timeout",
                                               "--ring"};
    }
    void help() {
        QFETCH(QString, program);
        QFETCH(QStringList, options);
        for (const char* asked : {"--help", "-h"}) {
            const Run r = run(program, {asked});
            QCOMPARE(r.exitCode, 0);
            QVERIFY(r.err.isEmpty());
            for (const QString& o : options) QVERIFY2(r.out.contains(o.toUtf8()), qPrintable(o));
        }
        const Run wrong = run(program, {"--no-such-option"});
        QCOMPARE(wrong.exitCode, 2);
        QVERIFY(wrong.out.isEmpty() && !wrong.err.isEmpty());
    }

    // An existing folder is the line's only when it holds nothing else; what is there stays.
    void existingFolder_data() {
        QTest::addColumn<QString>("kind");  // what the folder holds
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("starts");
        QTest::newRow("absent") << "absent"
                                << "" << true;
        QTest::newRow("empty") << ""
                               << "" << true;
        QTest::newRow("what a killed line left") << "killed"
                                                 << "" << true;
        QTest::newRow("a regular file named socket") << "file"
                                                     << "socket" << false;
        QTest::newRow("a file of its own") << "file"
                                           << "notes.txt" << false;
        QTest::newRow("a hidden file") << "file"
                                       << ".profile" << false;
        QTest::newRow("a folder") << "folder"
                                  << "sub" << false;
        QTest::newRow("a link elsewhere") << "link"
                                          << "home" << false;
        QTest::newRow("a line already running") << "running"
                                                << "" << false;
    }
    void existingFolder() {
        QFETCH(QString, kind);
        QFETCH(QString, name);
        QFETCH(bool, starts);
        QTemporaryDir dir;
        LabLine other;
        QVERIFY(other.isReady());
        if (kind == "killed") other.kill();
        const bool lines = kind == "killed" || kind == "running";
        const QString folder = lines ? QDir(other.folder()).filePath("line") : dir.filePath("lab");
        const QString entry = QDir(folder).filePath(name);
        if (!lines && kind != "absent") QVERIFY(QDir().mkpath(folder));
        if (!lines && kind != "absent")
            QVERIFY(::chmod(QFile::encodeName(folder).constData(), 0755) == 0);
        constexpr auto kMode = QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup;
        if (kind == "file") {
            QFile f(entry);
            QVERIFY(f.open(QIODevice::WriteOnly) && f.write("keep me") == 7);
            f.close();
            QVERIFY(f.setPermissions(kMode));
        }
        if (kind == "folder") QVERIFY(QDir(folder).mkdir(name));
        if (kind == "link") QVERIFY(QFile::link(QDir::homePath(), entry));
        struct stat before {};
        ::stat(QFile::encodeName(folder).constData(), &before);

        QProcess line;
        line.start(SERLINQ_LAB_LINE, {"--folder", folder});
        QVERIFY(waitFor([&] {
            return line.state() == QProcess::NotRunning || line.peek(16).contains("ready");
        }));
        QCOMPARE(line.state() == QProcess::Running, starts);
        if (starts) {
            line.terminate();
            QVERIFY(line.waitForFinished());
            return;
        }
        QVERIFY(line.exitCode() != 0);
        const QByteArray said = line.readAllStandardError();
        QVERIFY2(said.contains(QFile::encodeName(folder)) && said.contains(name.toUtf8()),
                 said.constData());
        struct stat after {};
        ::stat(QFile::encodeName(folder).constData(), &after);
        QCOMPARE(after.st_mode, before.st_mode);
        if (kind == "file") {
            QFile f(entry);
            QVERIFY(f.open(QIODevice::ReadOnly));
            QCOMPARE(f.readAll(), QByteArray("keep me"));
            QCOMPARE(int(f.permissions()) & 0x7077, int(kMode));  // owner, group, others
        }
        if (kind == "running") {
            LabClient client(other);
            QCOMPARE(client.attach("com2", "9600,N,8,1")->type, Type::Attached);
        }
    }
};

QTEST_GUILESS_MAIN(TstLabDaemonHostile)
#include "tst_labdaemon_hostile.moc"
