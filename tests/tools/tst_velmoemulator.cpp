// The emulator program itself, over socat cables and on its own pseudo-terminal, reached from
// the program's side through the serial control at the unit's line settings.
#include <QtGlobal>

#include <signal.h>
#include <sys/stat.h>
#ifdef Q_OS_LINUX
#include <sys/prctl.h>
#endif

#include <QtTest>
#include <memory>

#include "serial/mscomm.h"
#include "support/virtualcable.h"
#include "support/wait.h"

using testsupport::settle;
using testsupport::VirtualCable;

namespace {

constexpr int kWaitMs = 10000;  // upper bound of every wait; normally milliseconds
// What a clock may lose between the emulator's timer and the test's.
constexpr int kClockSlackMs = 20;

bool waitFor(const std::function<bool()>& done, int timeoutMs = kWaitMs) {
    return testsupport::waitFor(done, timeoutMs);
}

// The emulator as a child process, with what it prints.
struct EmulatorProcess {
    QProcess process;
    QByteArray out;
    QByteArray err;

    void start(const QStringList& args) {
        QObject::connect(&process, &QProcess::readyReadStandardOutput, &process,
                         [this] { out += process.readAllStandardOutput(); });
        QObject::connect(&process, &QProcess::readyReadStandardError, &process,
                         [this] { err += process.readAllStandardError(); });
#ifdef Q_OS_LINUX
        process.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGTERM); });
#endif
        process.start(QStringLiteral(VELMO_EMULATOR), args);
    }
    // Started with --verbose, it says when its line is open.
    bool waitReady() {
        return waitFor([this] {
                   return err.contains("ready on") || process.state() == QProcess::NotRunning;
               }) &&
               process.state() == QProcess::Running;
    }
    bool waitEnd() {
        return waitFor([this] { return process.state() == QProcess::NotRunning; });
    }
    ~EmulatorProcess() {
        if (process.state() == QProcess::NotRunning) return;
        process.terminate();
        if (!process.waitForFinished(3000)) process.kill();
        process.waitForFinished(3000);
    }
};

// The program's side of the line: bytes received, with the time each read came.
struct ProgramSide {
    MSComm comm;
    QElapsedTimer clock;
    QList<QPair<qint64, QByteArray>> reads;

    ProgramSide() {
        QObject::connect(&comm, &MSComm::OnComm, &comm, [this] {
            if (comm.CommEvent() == serial::comEvReceive)
                reads.append({clock.elapsed(), comm.InputBytes()});
        });
    }
    bool open(const QString& path) {
        comm.setDevicePath(path);
        comm.setSettings(QStringLiteral("9600,N,8,1"));
        comm.setHandshaking(serial::Handshaking::None);
        comm.setRThreshold(1);
        return comm.setPortOpen(true) == MSComm::NoError;
    }
    void send(const QByteArray& bytes) {
        clock.start();
        comm.setOutputBytes(bytes);
    }
    QByteArray received() const {
        QByteArray all;
        for (const auto& r : reads) all += r.second;
        return all;
    }
    // When the byte at `index` of the whole received text came.
    qint64 arrivalOf(qsizetype index) const {
        for (const auto& r : reads) {
            if (index < r.second.size()) return r.first;
            index -= r.second.size();
        }
        return -1;
    }
};

bool isNumberReply(const QByteArray& reply) {
    static const QRegularExpression number(QStringLiteral("^[0-9]+\r$"));
    return number.match(QString::fromLatin1(reply)).hasMatch();
}

}  // namespace

class TstVelmoEmulator : public QObject {
    Q_OBJECT

private slots:
    // Over a null-modem cable: a reading command and what comes back, under each misbehaviour.
    void overCable_data() {
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<QString>("expect");    // "number", "text" (not a number) or "none"
        QTest::addColumn<int>("firstAfterMs");  // the reply starts no sooner
        QTest::addColumn<int>("pauseMs");       // between the first byte and the CR
        QTest::newRow("plain") << QStringList{} << "number" << 0 << 0;
        QTest::newRow("late") << QStringList{"--delay", "400"} << "number" << 400 << 0;
        QTest::newRow("in two pieces") << QStringList{"--split", "300"} << "number" << 0 << 300;
        QTest::newRow("late, in two pieces")
            << QStringList{"--split", "150", "--delay", "250"} << "number" << 250 << 150;
        QTest::newRow("garbage") << QStringList{"--garbage"} << "text" << 0 << 0;
        QTest::newRow("silent") << QStringList{"--silent"} << "none" << 0 << 0;
    }
    void overCable() {
        QFETCH(QStringList, options);
        QFETCH(QString, expect);
        QFETCH(int, firstAfterMs);
        QFETCH(int, pauseMs);
        VirtualCable cable;
        QVERIFY2(cable.isReady(), qPrintable(cable.errorString()));
        EmulatorProcess emulator;
        emulator.start(options + QStringList{"--verbose", cable.endA()});
        QVERIFY2(emulator.waitReady(), emulator.err.constData());
        ProgramSide program;
        QVERIFY(program.open(cable.endB()));

        program.send("XEA  3\r");
        if (expect == "none") {
            QVERIFY2(waitFor([&] { return emulator.err.contains("XEA  3"); }),
                     "the emulator never got the command");
            settle(500);
            QCOMPARE(program.received(), QByteArray());
            return;
        }
        QVERIFY(waitFor([&] { return program.received().contains('\r'); }));
        const QByteArray reply = program.received();
        QVERIFY2(reply.endsWith('\r') && reply.count('\r') == 1, reply.constData());
        if (expect == "number") {
            QVERIFY2(isNumberReply(reply), reply.constData());
            QVERIFY(reply.chopped(1).toInt() <= 255);
        } else {
            QVERIFY2(!std::isdigit(static_cast<unsigned char>(reply.trimmed().front())),
                     reply.constData());
        }
        const qint64 first = program.arrivalOf(0);
        const qint64 last = program.arrivalOf(reply.size() - 1);
        QVERIFY2(first >= firstAfterMs - kClockSlackMs, qPrintable(QString::number(first)));
        QVERIFY2(last - first >= pauseMs - kClockSlackMs,
                 qPrintable(QString::number(last - first)));
        if (pauseMs > 0) QVERIFY2(!program.reads.first().second.contains('\r'), "not split");
    }

    // On a pseudo-terminal of its own: it prints the path, links it, answers there, and stops
    // cleanly on either signal, taking its link away.
    void ownPseudoTerminal_data() {
        QTest::addColumn<int>("stopSignal");
        QTest::newRow("SIGTERM") << int(SIGTERM);
        QTest::newRow("SIGINT") << int(SIGINT);
    }
    void ownPseudoTerminal() {
        QFETCH(int, stopSignal);
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString link = dir.filePath(QStringLiteral("velmo"));
        EmulatorProcess emulator;
        emulator.start({"--pty", "--link", link});
        QVERIFY2(waitFor([&] { return emulator.out.contains('\n'); }), emulator.err.constData());
        const QString path = QString::fromLocal8Bit(emulator.out).trimmed();
        struct stat st {};
        QVERIFY2(::stat(QFile::encodeName(path).constData(), &st) == 0 && S_ISCHR(st.st_mode),
                 qPrintable(path));
        QCOMPARE(QFileInfo(link).canonicalFilePath(), QFileInfo(path).canonicalFilePath());

        ProgramSide program;
        QVERIFY(program.open(link));
        program.send("XEBIT 0\r");
        QVERIFY(waitFor([&] { return program.received().contains('\r'); }));
        QVERIFY2(program.received() == "0\r" || program.received() == "1\r",
                 program.received().constData());
        // A second opening of the same end, as the console's port test and start do.
        QCOMPARE(program.comm.setPortOpen(false), MSComm::NoError);
        program.reads.clear();
        QVERIFY(program.open(path));
        program.send("XCPT 1\r");
        QVERIFY(waitFor([&] { return program.received().contains('\r'); }));
        QVERIFY2(isNumberReply(program.received()), program.received().constData());

        ::kill(pid_t(emulator.process.processId()), stopSignal);
        QVERIFY(emulator.waitEnd());
        QCOMPARE(emulator.process.exitStatus(), QProcess::NormalExit);
        QCOMPARE(emulator.process.exitCode(), 0);
        QVERIFY(!QFileInfo(link).isSymLink());
    }

    // What it does with a command line it cannot use.
    void commandLine_data() {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<bool>("talksOnStdout");
        QTest::newRow("help") << QStringList{"--help"} << 0 << true;
        QTest::newRow("no device") << QStringList{} << 2 << false;
        QTest::newRow("bad delay") << QStringList{"--delay", "x", "/dev/null"} << 2 << false;
        QTest::newRow("absent device") << QStringList{"/nonexistent/tty"} << 1 << false;
        QTest::newRow("not a terminal") << QStringList{"/dev/null"} << 1 << false;
    }
    void commandLine() {
        QFETCH(QStringList, args);
        QFETCH(int, exitCode);
        QFETCH(bool, talksOnStdout);
        EmulatorProcess emulator;
        emulator.start(args);
        QVERIFY(emulator.waitEnd());
        QCOMPARE(emulator.process.exitStatus(), QProcess::NormalExit);
        QCOMPARE(emulator.process.exitCode(), exitCode);
        QCOMPARE(!emulator.out.isEmpty(), talksOnStdout);
        QCOMPARE(!emulator.err.isEmpty(), !talksOnStdout);
    }
};

QTEST_GUILESS_MAIN(TstVelmoEmulator)
#include "tst_velmoemulator.moc"
