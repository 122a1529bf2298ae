// Where Com1..Com4 lead: defaults and the ports.232 mapping file.
#include <QtTest>

#include "serial/portmap.h"

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
    }
    void deviceOfNothing() {
        QFETCH(QByteArray, text);
        QTemporaryDir dir;
        QFile f(dir.filePath("ports.232"));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(text);
        f.close();
        const portmap::Entry e = portmap::resolve(3, dir.path());
        QCOMPARE(e.device, QString());
        QVERIFY(e.problem.contains(QStringLiteral("Com3")));
        QCOMPARE(portmap::resolve(2, dir.path()).device, portmap::defaultDevice(2));
    }

    void resolve() {
        QTemporaryDir dir;
        QCOMPARE(portmap::resolveDevice(1, dir.path()), portmap::defaultDevice(1));
        QCOMPARE(portmap::resolveDevice(5, dir.path()), QString());
        QFile f(dir.filePath("ports.232"));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("Com2=/dev/ttyUSB3\nCom3=lab/com3\n");
        f.close();
        QCOMPARE(portmap::resolveDevice(2, dir.path()), QStringLiteral("/dev/ttyUSB3"));
        QCOMPARE(portmap::resolveDevice(3, dir.path()), dir.filePath("lab/com3"));
        QCOMPARE(portmap::resolveDevice(4, dir.path()), portmap::defaultDevice(4));
#ifndef Q_OS_WIN
        QCOMPARE(portmap::defaultDevice(1), QStringLiteral("/dev/ttyS0"));
        QCOMPARE(portmap::defaultDevice(4), QStringLiteral("/dev/ttyS3"));
#endif
    }
};

QTEST_APPLESS_MAIN(TstPortMap)
#include "tst_portmap.moc"
