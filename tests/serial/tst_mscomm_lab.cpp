// The serial control on the virtual lab's running line (the daemon, not the model alone): line
// errors, breaks, modem lines, flow control and pacing as a program sees them, the lab going
// away, and ports.232 as the whole truth.
#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

#include <QtTest>
#include <ctime>
#include <functional>

#include "serial/labline/line.h"
#include "serial/mscomm.h"
#include "support/labline.h"
#include "support/wait.h"

using testsupport::LabLine;
using testsupport::settle;
using testsupport::waitFor;

namespace {

// Records each OnComm's CommEvent and everything received.
struct Listener {
    MSComm& comm;
    QList<int> events;
    QByteArray received;
    explicit Listener(MSComm& c) : comm(c) {
        QObject::connect(&comm, &MSComm::OnComm, &comm, [this] {
            events.append(comm.CommEvent());
            if (comm.CommEvent() == serial::comEvReceive) received += comm.InputBytes();
        });
    }
    int count(int event) const { return int(events.count(event)); }
};

// Two controls on the lab's null-modem cable: a on com2, b on com3.
struct Cable {
    LabLine lab;
    MSComm a;
    MSComm b;
    Listener la{a};
    Listener lb{b};

    explicit Cable(const LabLine::Options& options = {}) : lab(options) {
        a.setDevicePath(lab.end("com2"));
        b.setDevicePath(lab.end("com3"));
        for (MSComm* c : {&a, &b}) c->setRThreshold(1);
    }
    static bool open(MSComm& c, const QString& settings, serial::Handshaking h = {}) {
        c.setSettings(settings);
        c.setHandshaking(h);
        return c.setPortOpen(true) == MSComm::NoError;
    }
    bool openBoth(const QString& sa, const QString& sb, serial::Handshaking h = {}) {
        return lab.isReady() && open(a, sa, h) && open(b, sb, h);
    }
};

double cpuMs() {
    return 1000.0 * double(std::clock()) / CLOCKS_PER_SEC;
}

// Waits until `value` stops changing for `quietMs`, within the usual bound.
void waitQuiet(const std::function<qsizetype()>& value, int quietMs) {
    qsizetype last = -1;
    waitFor([&] {
        const qsizetype now = value();
        if (now == last) return true;
        last = now;
        settle(quietMs);
        return false;
    });
}

}  // namespace

class TstMSCommLab : public QObject {
    Q_OBJECT
private slots:
    // Through the running line: a speed the control takes but no UART offers gets the
    // settings error, as does an absurd one sent in the lab's own messages.
    void speedsOffered_data() {
        QTest::addColumn<QString>("settings");
        QTest::addColumn<bool>("raw");  // the lab's messages rather than the control
        QTest::addColumn<int>("error");
        const int refused = MSComm::comSetCommStateFailed;
        QTest::newRow("115200") << "115200,N,8,1" << false << 0;
        QTest::newRow("38400, raw") << "38400,E,7,1" << true << 0;
        QTest::newRow("56000") << "56000,N,8,1" << false << refused;
        QTest::newRow("256000") << "256000,N,8,1" << false << refused;
        QTest::newRow("2000000000, raw") << "2000000000,N,8,1" << true << refused;
        QTest::newRow("2147483647, raw") << "2147483647,N,8,1" << true << refused;
        QTest::newRow("1234, raw") << "1234,N,8,1" << true << refused;
    }
    void speedsOffered() {
        QFETCH(QString, settings);
        QFETCH(bool, raw);
        QFETCH(int, error);
        LabLine lab;
        QVERIFY2(lab.isReady(), qPrintable(lab.errorString()));
        if (raw) {
            testsupport::LabClient client(lab);
            const auto answer = client.attach("com1", settings);
            QVERIFY(answer);
            using labline::wire::Type;
            QCOMPARE(answer->type, error == 0 ? Type::Attached : Type::Refused);
            if (error != 0) QCOMPARE(int(answer->value), error);
            return;
        }
        MSComm plug;
        Listener heard(plug);
        plug.setDevicePath(lab.end("com1"));
        plug.setRThreshold(1);
        plug.setSettings(settings);
        QCOMPARE(int(plug.setPortOpen(true)), error);
        QCOMPARE(plug.PortOpen(), error == 0);
        if (error != 0) return;
        plug.setOutput("Az");
        QVERIFY(waitFor([&] { return heard.received == "Az"; }));
    }

    // The running line hands com1 (the loopback plug) over in the middle of a frame, the new
    // client plugging in as soon as the old one has left: it reads back exactly what it sends.
    void handoverMidFrame_data() {
        QTest::addColumn<QString>("settings");
        QTest::addColumn<QList<int>>("leaveMs");  // after the old client starts sending
        QTest::newRow("9600") << "9600,N,8,1" << QList<int>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
        QTest::newRow("110, in the first and second frames") << "110,E,7,1" << QList<int>{40, 130};
    }
    void handoverMidFrame() {
        QFETCH(QString, settings);
        QFETCH(QList<int>, leaveMs);
        using labline::wire::Type;
        LabLine lab;
        QVERIFY2(lab.isReady(), qPrintable(lab.errorString()));
        for (int ms : leaveMs) {
            {
                testsupport::LabClient old(lab);
                QCOMPARE(old.attach("com1", settings)->type, Type::Attached);
                QVERIFY(old.tryWrite(QByteArray(40, '\x0F') + QByteArray(40, '\xF0')));
                settle(ms);
            }
            testsupport::LabClient next(lab);
            QCOMPARE(next.attach("com1", settings)->type, Type::Attached);
            QVERIFY(next.tryWrite("0123456789"));
            QByteArray got;
            QDeadlineTimer deadline(testsupport::kWaitMs);
            while (got.size() < 10 && !deadline.hasExpired()) {
                const auto m = next.receive(int(deadline.remainingTime()));
                if (m && m->type == Type::Received) got += m->data;
                if (m && (m->type == Type::Errored || m->type == Type::LineError)) got += "<error>";
            }
            QCOMPARE(got, QByteArray("0123456789"));
        }
    }

    void lineErrors_data() {
        QTest::addColumn<QString>("sender");
        QTest::addColumn<QString>("receiver");
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<int>("event");  // 0: none, the text arrives intact
        // Read at half speed, a stop bit falls on the next frame's: "AA@" puts a space there.
        QTest::newRow("9600 to 4800")
            << "9600,N,8,1"
            << "4800,N,8,1" << QByteArray("AA@") << int(serial::comEventFrame);
        QTest::newRow("4800 to 9600")
            << "4800,N,8,1"
            << "9600,N,8,1" << QByteArray("Bonjour") << int(serial::comEventFrame);
        QTest::newRow("7E1 to 7O1")
            << "9600,E,7,1"
            << "9600,O,7,1" << QByteArray("a") << int(serial::comEventRxParity);
        QTest::newRow("matching 7E2") << "19200,E,7,2"
                                      << "19200,E,7,2" << QByteArray("Bonjour 123") << 0;
    }
    void lineErrors() {
        QFETCH(QString, sender);
        QFETCH(QString, receiver);
        QFETCH(QByteArray, text);
        QFETCH(int, event);
        Cable cable;
        QVERIFY2(cable.openBoth(sender, receiver), qPrintable(cable.lab.errorString()));
        cable.a.setOutputBytes(text);
        if (event != 0) {
            QVERIFY(waitFor([&] { return cable.lb.count(event) > 0; }));
        } else {
            QVERIFY(waitFor([&] { return cable.lb.received == text; }));
            QCOMPARE(cable.lb.count(serial::comEventFrame), 0);
            QCOMPARE(cable.lb.count(serial::comEventRxParity), 0);
        }
    }

    void breakReachesFarEnd() {
        Cable cable;
        QVERIFY(cable.openBoth("110,N,8,1", "110,N,8,1"));
        cable.a.setBreak(true);
        QVERIFY(cable.a.Break());
        settle(100);
        cable.a.setBreak(false);
        QVERIFY(waitFor([&] { return cable.lb.count(serial::comEventBreak) > 0; }));
        settle(150);
        QCOMPARE(cable.lb.count(serial::comEventBreak), 1);
        QCOMPARE(cable.lb.count(serial::comEventFrame), 0);
    }

    void modemLines_data() {
        QTest::addColumn<bool>("dtr");  // which output changes: DTR off, or RTS on
        QTest::addColumn<QList<int>>("events");
        QTest::addColumn<bool>("cts");  // the far end's CTSHolding after it
        QTest::newRow("DTR off") << true << QList<int>{serial::comEvDSR, serial::comEvCD} << false;
        QTest::newRow("RTS on") << false << QList<int>{serial::comEvCTS} << true;
    }
    void modemLines() {
        QFETCH(bool, dtr);
        QFETCH(QList<int>, events);
        QFETCH(bool, cts);
        Cable cable;
        QVERIFY(cable.openBoth("9600,N,8,1", "9600,N,8,1"));
        // The first end to open saw the second one's DTR come up.
        QVERIFY(waitFor([&] { return cable.la.count(serial::comEvCD) == 1; }));
        cable.la.events.clear();
        QVERIFY(cable.lb.events.isEmpty());
        QVERIFY(!cable.b.CTSHolding());
        if (dtr)
            cable.a.setDTREnable(false);
        else
            cable.a.setRTSEnable(true);
        QVERIFY(waitFor([&] { return cable.lb.events.size() >= events.size(); }));
        settle(50);
        QCOMPARE(cable.lb.events, events);
        QCOMPARE(cable.b.CTSHolding(), cts);
        QVERIFY(cable.la.events.isEmpty());  // nothing comes back to the end that changed
    }

    // The lab's command rings the far end: one ring event, none when the ring ends.
    void ring() {
        Cable cable;
        QVERIFY(cable.openBoth("9600,N,8,1", "9600,N,8,1"));
        QVERIFY(waitFor([&] { return cable.la.count(serial::comEvCD) == 1; }));
        QVERIFY(cable.lab.ring("com2"));
        QVERIFY(waitFor([&] { return cable.lb.count(serial::comEvRing) > 0; }));
        QCOMPARE(cable.lb.events, QList<int>{serial::comEvRing});
        QCOMPARE(cable.la.count(serial::comEvRing), 0);
    }

    // With noise on, a matching configuration sees line errors now and then.
    void noise() {
        Cable cable(LabLine::Options{{}, 0.02, {}});
        QVERIFY(cable.openBoth("57600,E,8,1", "57600,E,8,1"));
        cable.a.setOutputBytes(QByteArray(400, 'n'));
        QVERIFY(waitFor([&] {
            return cable.lb.count(serial::comEventRxParity) +
                       cable.lb.count(serial::comEventFrame) >
                   0;
        }));
    }

    // A pseudo-terminal end for other programs: bytes both ways, at the terminal's own settings.
    void pseudoTerminalEnd_data() {
        QTest::addColumn<int>("speed");  // the terminal's, as its program sets it
        QTest::addColumn<bool>("intact");
        QTest::newRow("9600, as the control") << int(B9600) << true;
        QTest::newRow("4800, half the control's") << int(B4800) << false;
        QTest::newRow("230400, not offered: the end keeps 9600") << int(B230400) << true;
    }
    void pseudoTerminalEnd() {
        QFETCH(int, speed);
        QFETCH(bool, intact);
        LabLine lab(LabLine::Options{{}, 0, {{"com3", "com3-pty"}}});
        QVERIFY2(lab.isReady(), qPrintable(lab.errorString()));
        MSComm comm;
        Listener heard(comm);
        comm.setDevicePath(lab.end("com2"));
        comm.setRThreshold(1);
        QVERIFY(Cable::open(comm, "9600,N,8,1"));
        const QByteArray link = QFile::encodeName(QDir(lab.folder()).filePath("com3-pty"));
        const int fd = ::open(link.constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
        QVERIFY(fd >= 0);
        termios t{};
        QCOMPARE(::tcgetattr(fd, &t), 0);
        ::cfmakeraw(&t);
        ::cfsetspeed(&t, speed_t(speed));
        QCOMPARE(::tcsetattr(fd, TCSANOW, &t), 0);
        QCOMPARE(::write(fd, "Bonjour", 7), ssize_t(7));
        if (intact) {
            QVERIFY(waitFor([&] { return heard.received == "Bonjour"; }));
            comm.setOutput("salut");
            QByteArray got;
            QVERIFY(waitFor([&] {
                char buffer[64];
                const ssize_t n = ::read(fd, buffer, sizeof buffer);
                if (n > 0) got.append(buffer, int(n));
                return got == "salut";
            }));
        } else {
            QVERIFY(waitFor([&] { return heard.count(serial::comEventFrame) > 0; }));
        }
        ::close(fd);
    }

    void flowControl_data() {
        QTest::addColumn<int>("handshake");
        QTest::newRow("RTS-CTS") << int(serial::Handshaking::RtsCts);
        QTest::newRow("Xon-Xoff") << int(serial::Handshaking::XonXoff);
    }
    // The far end holds the sender back, by its RTS or by Xoff, then lets it go.
    void flowControl() {
        QFETCH(int, handshake);
        const auto h = serial::Handshaking(handshake);
        const bool rtsCts = h == serial::Handshaking::RtsCts;
        Cable cable;
        cable.b.setRTSEnable(true);
        QVERIFY(cable.openBoth("4800,N,8,1", "4800,N,8,1", h));
        QByteArray text(200, 'x');
        cable.a.setOutputBytes(text);
        QVERIFY(waitFor([&] { return cable.lb.received.size() >= 10; }));
        if (rtsCts)
            cable.b.setRTSEnable(false);
        else
            cable.b.setOutputBytes("\x13");
        waitQuiet([&] { return cable.lb.received.size(); }, 50);
        const qsizetype held = cable.lb.received.size();
        QVERIFY2(held < text.size(), "the sender was not held back");
        // Held back: all but what has arrived and what the UART's FIFO has taken.
        QCOMPARE(cable.a.OutBufferCount(), int(text.size() - held) - labline::kTxFifoDepth);
        if (rtsCts)
            cable.b.setRTSEnable(true);
        else
            cable.b.setOutputBytes("\x11");
        QVERIFY(waitFor([&] { return cable.lb.received.size() == text.size(); }));
        QCOMPARE(cable.lb.received, text);
        QVERIFY(waitFor([&] { return cable.a.OutBufferCount() == 0; }));
    }

    // The receiving control's own buffer sends Xoff past three quarters full, Xon once read.
    void receiveBufferSendsXoff() {
        Cable cable;
        QVERIFY(cable.openBoth("28800,N,8,1", "28800,N,8,1", serial::Handshaking::XonXoff));
        cable.b.setRThreshold(0);
        cable.b.setInputBufferLimit(40);
        const QByteArray text(100, 'y');
        cable.a.setOutputBytes(text);
        waitQuiet([&] { return cable.b.InBufferCount(); }, 30);
        QVERIFY(cable.b.InBufferCount() > 30);
        QVERIFY(cable.b.InBufferCount() <= 40);
        QVERIFY(cable.a.OutBufferCount() > 0);
        QByteArray got;
        QVERIFY(waitFor([&] {
            got += cable.b.InputBytes();
            return got.size() == text.size();
        }));
        QCOMPARE(cable.lb.count(serial::comEventRxOver), 0);
    }

    // 20 characters of 11 bits at 110 bauds cannot arrive in less than 2 s.
    void slowLineFloor() {
        Cable cable;
        QVERIFY(cable.openBoth("110,E,7,2", "110,E,7,2"));
        QElapsedTimer clock;
        clock.start();
        cable.a.setOutput(QString(20, 'z'));
        QVERIFY(cable.a.OutBufferCount() > 0);  // more than the UART takes at once
        QVERIFY(waitFor([&] { return cable.lb.received.size() == 20; }, 5000));
        QVERIFY2(clock.elapsed() >= 2000, qPrintable(QString::number(clock.elapsed())));
    }

    // Closing lets what is queued leave before the end is released.
    void closeDrains() {
        Cable cable;
        QVERIFY(cable.openBoth("1200,N,8,1", "1200,N,8,1"));
        const QByteArray text(24, 'd');
        cable.a.setOutputBytes(text);
        QVERIFY(cable.a.OutBufferCount() > 0);
        cable.a.setPortOpen(false);
        QVERIFY(cable.a.CommEvent() != serial::comEventCTSTO);
        QVERIFY(waitFor([&] { return cable.lb.received == text; }));
    }

    void lostLab_data() {
        QTest::addColumn<bool>("outright");
        QTest::newRow("stopped") << false;
        QTest::newRow("killed") << true;
    }
    void lostLab() {
        QFETCH(bool, outright);
        Cable cable;
        QVERIFY(cable.openBoth("2400,N,8,1", "2400,N,8,1"));
        cable.a.setOutputBytes(QByteArray(300, 'k'));
        QVERIFY(waitFor([&] { return !cable.lb.received.isEmpty(); }));
        if (outright)
            cable.lab.kill();
        else
            cable.lab.stop();
        QVERIFY(waitFor([&] { return cable.la.count(serial::comEventPortLost) > 0; }));
        QVERIFY(waitFor([&] { return cable.lb.count(serial::comEventPortLost) > 0; }));
        const double cpu = cpuMs();
        settle(300);
        QVERIFY2(cpuMs() - cpu < 100, "the control spins after losing the lab");
        QCOMPARE(cable.la.count(serial::comEventPortLost), 1);
        QCOMPARE(cable.lb.count(serial::comEventPortLost), 1);
        QVERIFY(!cable.a.PortOpen());
        cable.a.setOutput("ignored");
        QCOMPARE(cable.a.OutBufferCount(), 0);
    }

    void openingErrors_data() {
        QTest::addColumn<QString>("end");
        QTest::addColumn<bool>("labRunning");
        QTest::addColumn<int>("error");
        QTest::newRow("end taken") << "com2" << true << int(MSComm::comPortAlreadyOpen);
        QTest::newRow("no such end") << "com9" << true << int(MSComm::comPortInvalid);
        QTest::newRow("no lab") << "com3" << false << int(MSComm::comPortInvalid);
    }
    void openingErrors() {
        QFETCH(QString, end);
        QFETCH(bool, labRunning);
        QFETCH(int, error);
        Cable cable;
        QVERIFY(Cable::open(cable.a, "9600,N,8,1"));
        if (!labRunning) cable.lab.stop();
        MSComm other;
        other.setDevicePath(cable.lab.end(end));
        QCOMPARE(int(other.setPortOpen(true)), error);
        QVERIFY(!other.PortOpen());
    }

    // Every format of the program works on the lab line, those no UART does included.
    void everyFormat_data() {
        QTest::addColumn<QString>("settings");
        QTest::newRow("4 data bits") << "110,N,4,1";
        QTest::newRow("1.5 stop bits, 8 data bits") << "9600,E,8,1.5";
        QTest::newRow("2 stop bits, 5 data bits") << "28800,M,5,2";
        QTest::newRow("space parity") << "57600,S,6,1";
        QTest::newRow("fastest") << "115200,O,7,2";
    }
    void everyFormat() {
        QFETCH(QString, settings);
        LabLine lab;
        QVERIFY(lab.isReady());
        MSComm plug;
        Listener heard(plug);
        plug.setDevicePath(lab.end("com1"));
        plug.setRThreshold(1);
        QVERIFY(Cable::open(plug, settings));
        const int mask = (1 << settings.section(',', 2, 2).toInt()) - 1;
        const QByteArray codes{"\x00\xFF\x55\x2A", 4};
        plug.setOutputBytes(codes);
        QVERIFY(waitFor([&] { return heard.received.size() == codes.size(); }));
        for (int i = 0; i < codes.size(); ++i)
            QCOMPARE(int(quint8(heard.received[i])), quint8(codes[i]) & mask);
        QCOMPARE(heard.count(serial::comEventFrame) + heard.count(serial::comEventRxParity), 0);
    }

    void portMap_data() {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<int>("error");
        QTest::addColumn<QString>("problem");  // what the message names
        QTest::newRow("lab form") << QByteArray("Com2=lab:line/com2\n") << 0 << "";
        QTest::newRow("byte-order mark") << QByteArray(
                                                "\xEF\xBB\xBF"
                                                "Com2=lab:line/com2\r\n")
                                         << 0 << "";
        QTest::newRow("Com02") << QByteArray("Com1=x\nCom02=lab:line/com2\n")
                               << int(MSComm::comPortInvalid) << "ligne 2";
        QTest::newRow("empty device")
            << QByteArray("# lab\n\nCom2=\n") << int(MSComm::comPortInvalid) << "ligne 3";
        QTest::newRow("NUL in the path")
            << QByteArray("Com2=lab:line/\0com2\n", 20) << int(MSComm::comPortInvalid) << "ligne 1";
        QTest::newRow("past the part read") << QByteArray(70000, '#') + "\nCom2=lab:line/com2\n"
                                            << int(MSComm::comPortInvalid) << "ligne 1";
    }
    void portMap() {
        QFETCH(QByteArray, text);
        QFETCH(int, error);
        QFETCH(QString, problem);
        LabLine lab;
        QVERIFY(lab.isReady());
        QFile file(QDir(lab.folder()).filePath("ports.232"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(text);
        file.close();
        MSComm comm;
        comm.setPortMapDirectory(lab.folder());
        comm.setCommPort(2);
        QCOMPARE(int(comm.setPortOpen(true)), error);
        if (error == 0) {
            QCOMPARE(comm.deviceName(), lab.end("com2"));
            QVERIFY(comm.portProblem().isEmpty());
        } else {
            QVERIFY2(comm.portProblem().contains(problem), qPrintable(comm.portProblem()));
            QVERIFY(!comm.portProblem().contains("ttyS"));
        }
    }

    // What the daemon captures reads back as the characters sent.
    void captureDecodes() {
        const QString sigrok = QStandardPaths::findExecutable("sigrok-cli");
        if (sigrok.isEmpty()) QSKIP("sigrok-cli is not installed");
        QTemporaryDir dir;
        const QString vcd = dir.filePath("line.vcd");
        {
            Cable cable(LabLine::Options{vcd, 0, {}});
            QVERIFY(cable.openBoth("9600,N,8,1", "9600,N,8,1"));
            cable.a.setOutput("A");
            QVERIFY(waitFor([&] { return cable.lb.received == "A"; }));
        }
        QProcess process;
        process.start(sigrok, {"-I", "vcd:downsample=1000", "-i", vcd, "-P",
                               "uart:baudrate=9600:rx=com3_RxD", "-A", "uart=rx-data"});
        QVERIFY(process.waitForFinished(60000));
        QCOMPARE(process.exitCode(), 0);
        QCOMPARE(process.readAllStandardOutput().trimmed(), QByteArray("uart-1: 41"));
    }
};

QTEST_GUILESS_MAIN(TstMSCommLab)
#include "tst_mscomm_lab.moc"
