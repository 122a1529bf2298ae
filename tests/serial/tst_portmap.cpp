// Where Com1..Com4 lead: defaults and the ports.232 mapping file.
#include <unistd.h>

#include <QtTest>

#include "serial/portmap.h"

namespace {

// A folder's ports.232 as the given bytes, whatever they are.
bool writePorts(const QString& folder, const QByteArray& bytes) {
    QFile f(QDir(folder).filePath("ports.232"));
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

}  // namespace

class TstPortMap : public QObject {
    Q_OBJECT
private slots:
    void parse_data() {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<int>("port");
        QTest::addColumn<QString>("device");  // empty: not mapped
        QTest::newRow("plain") << QByteArray("Com1=/dev/ttyUSB0\n") << 1 << "/dev/ttyUSB0";
        QTest::newRow("CR LF and blanks")
            << QByteArray(" com3 = /dev/pts/7 \r\n") << 3 << "/dev/pts/7";
        QTest::newRow("upper case") << QByteArray("COM4=/x\n") << 4 << "/x";
        QTest::newRow("last wins") << QByteArray("Com2=/a\nCom2=/b\n") << 2 << "/b";
        QTest::newRow("comment") << QByteArray("#Com1=/a\n") << 1 << "";
        QTest::newRow("no equals") << QByteArray("Com1 /dev/ttyS5\n") << 1 << "";
        QTest::newRow("port 5") << QByteArray("Com5=/a\n") << 5 << "";
        QTest::newRow("port 0") << QByteArray("Com0=/a\n") << 0 << "";
        QTest::newRow("empty device") << QByteArray("Com1=\n") << 1 << "";
        QTest::newRow("not a port name") << QByteArray("Cam1=/a\nCom12=/b\n") << 1 << "";
        QTest::newRow("garbage then good")
            << QByteArray("\x01\xFF=\x02\n===\nCom2=/ok\n") << 2 << "/ok";
    }
    void parse() {
        QFETCH(QByteArray, text);
        QFETCH(int, port);
        QFETCH(QString, device);
        const auto map = portmap::parse(text);
        QCOMPARE(map.value(port).device, device);
    }

    // A device that decodes to nothing or to blanks alone is no device: the port is missing with
    // a reason, never the mapping file's own folder.
    void deviceOfNothing_data() {
        QTest::addColumn<QByteArray>("text");
        QTest::newRow("byte-order mark") << QByteArray("Com3=\xEF\xBB\xBF\n");
        QTest::newRow("mark and blanks") << QByteArray("Com3= \xEF\xBB\xBF \t\r\n");
        QTest::newRow("no-break space") << QByteArray("Com3=\xC2\xA0\n");
        QTest::newRow("after a good line") << QByteArray("Com3=/dev/ttyS9\nCom3=\xEF\xBB\xBF\n");
        QTest::newRow("bytes that are not UTF-8") << QByteArray("Com3=/dev/tty\xFF\xFES0\n");
        QTest::newRow("a control character") << QByteArray("Com3=/dev/tty\x06S0\n");
    }
    void deviceOfNothing() {
        QFETCH(QByteArray, text);
        QTemporaryDir dir;
        QVERIFY(writePorts(dir.path(), text));
        const portmap::Entry e = portmap::resolve(3, dir.path());
        QCOMPARE(e.device, QString());
        QVERIFY(e.problem.contains(QStringLiteral("Com3")));
        QCOMPARE(portmap::resolve(2, dir.path()).device, portmap::defaultDevice(2));
    }

    void resolve() {
        QTemporaryDir dir;
        QCOMPARE(portmap::resolveDevice(1, dir.path()), portmap::defaultDevice(1));
        QCOMPARE(portmap::resolveDevice(5, dir.path()), QString());
        QVERIFY(writePorts(dir.path(), "Com2=/dev/ttyUSB3\nCom3=lab/com3\n"));
        QCOMPARE(portmap::resolveDevice(2, dir.path()), QStringLiteral("/dev/ttyUSB3"));
        QCOMPARE(portmap::resolveDevice(3, dir.path()), dir.filePath("lab/com3"));
        QCOMPARE(portmap::resolveDevice(4, dir.path()), portmap::defaultDevice(4));
#ifndef Q_OS_WIN
        QCOMPARE(portmap::defaultDevice(1), QStringLiteral("/dev/ttyS0"));
        QCOMPARE(portmap::defaultDevice(4), QStringLiteral("/dev/ttyS3"));
#endif
    }

    // A file that is not a text of lines names itself and why for every port, never a default.
    void notText_data() {
        QTest::addColumn<QByteArray>("bytes");
        const QByteArray line("Com1=/dev/ttyUSB0\r\nCom2=lab:line/com2\r\n");
        QByteArray le("\xFF\xFE", 2), be("\xFE\xFF", 2), bare;
        for (char c : line) {
            le += QByteArray(1, c) + '\0';
            be += QByteArray(1, '\0') + c;
            bare += QByteArray(1, c) + '\0';
        }
        QTest::newRow("UTF-16, little-endian") << le;
        QTest::newRow("UTF-16, big-endian") << be;
        QTest::newRow("UTF-16 without its mark") << bare;
        QRandomGenerator random(31);
        for (int i = 0; i < 10; ++i) {
            QByteArray noise(random.bounded(16, 4096), Qt::Uninitialized);
            for (char& c : noise) c = char(random.bounded(256));
            QTest::addRow("random bytes %d", i) << noise;
        }
        QTest::newRow("a program") << QByteArray(
                                          "\x7F"
                                          "ELF\x02\x01\x01",
                                          7) +
                                          QByteArray(64, '\0') + line;
    }
    void notText() {
        QFETCH(QByteArray, bytes);
        QTemporaryDir dir;
        QVERIFY(writePorts(dir.path(), bytes));
        for (int port = 1; port <= 4; ++port) {
            const portmap::Entry e = portmap::resolve(port, dir.path());
            QVERIFY2(e.device.isEmpty(), qPrintable(e.device));
            QVERIFY2(e.problem.startsWith("ports.232"), qPrintable(e.problem));
            QVERIFY(!e.problem.contains("ligne"));  // the file, not one of its lines
        }
    }

    // Text with a few odd bytes stays text: its good lines are read.
    void nearlyText_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("Latin-1 accents in a comment")
            << QByteArray("# caf\xE9 \xE0 c\xF4t\xE9\nCom3=/z\n");
        QTest::newRow("an escape sequence in a comment")
            << QByteArray("# \x1B[1mports\x1B[0m\nCom3=/z\n");
        QTest::newRow("UTF-8 text") << QByteArray("# périphérique série\nCom3=/z\n");
    }
    void nearlyText() {
        QFETCH(QByteArray, bytes);
        QCOMPARE(portmap::parse(bytes).value(3).device, QStringLiteral("/z"));
    }

    // What stands in the file's place is named: a folder, a file nobody may read, a huge line.
    void fileInItsPlace_data() {
        QTest::addColumn<QString>("what");
        QTest::newRow("a folder") << "folder";
        QTest::newRow("a file nobody may read") << "unreadable";
        QTest::newRow("a line of 10 MB") << "huge";
    }
    void fileInItsPlace() {
        QFETCH(QString, what);
        QTemporaryDir dir;
        const QString path = dir.filePath("ports.232");
        if (what == "folder") QVERIFY(QDir(dir.path()).mkdir("ports.232"));
        if (what != "folder") {
            QFile f(path);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(what == "huge" ? QByteArray(10 << 20, 'C') + "\nCom2=/x\n" : "Com2=/x\n");
            f.close();
        }
        if (what == "unreadable") {
            if (::geteuid() == 0) QSKIP("root reads every file");
            QVERIFY(QFile::setPermissions(path, QFile::WriteOwner));
        }
        const portmap::Entry e = portmap::resolve(2, dir.path());
        QVERIFY2(e.device.isEmpty(), qPrintable(e.device));
        QVERIFY2(e.problem.startsWith("ports.232"), qPrintable(e.problem));
    }
};

QTEST_APPLESS_MAIN(TstPortMap)
#include "tst_portmap.moc"
