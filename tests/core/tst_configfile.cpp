// config.232: exact bytes, round trips, damaged files, atomic writing; the access code's order.
#include <QtTest>

#include "core/accesscode.h"
#include "core/codepage.h"
#include "core/configfile.h"
#include "support/protect.h"

namespace {

QByteArray readAll(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return {};
    return f.readAll();
}

void writeAll(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

const QByteArray kDefaultLine =
    "\"9600\",\"paire\",\"E\",\"7\",\"127\",\"1\",\"Com2\",\"7F\",2,\"aucun\",0,\"tlipu\"\r\n";

}  // namespace

class TstConfigFile : public QObject {
    Q_OBJECT
private slots:
    void storedOrder_data() {
        QTest::addColumn<QString>("clear");
        QTest::addColumn<QString>("stored");
        QTest::newRow("digits") << "12345"
                                << "13452";
        QTest::newRow("marker") << "tulip"
                                << "tlipu";
        QTest::newRow("case kept") << "AbCdE"
                                   << "ACdEb";
        QTest::newRow("accents") << "éàçù€"
                                 << "éçù€à";
    }
    void storedOrder() {
        QFETCH(QString, clear);
        QFETCH(QString, stored);
        QCOMPARE(accesscode::ToStoredOrder(clear), stored);
        QCOMPARE(accesscode::FromStoredOrder(stored), clear);
    }

    void storable_data() {
        QTest::addColumn<QString>("clear");
        QTest::addColumn<bool>("ok");
        QTest::newRow("five") << "ab1é!" << true;
        QTest::newRow("comma inside is fine") << "a,b,c" << true;
        QTest::newRow("four") << "abcd" << false;
        QTest::newRow("six") << "abcdef" << false;
        QTest::newRow("double quote") << "ab\"cd" << false;
        QTest::newRow("line break") << "ab\ncd" << false;
        QTest::newRow("tab") << "ab\tcd" << false;
        QTest::newRow("an unassigned byte's character") << QStringLiteral("ab\u0090cd") << false;
        QTest::newRow("the euro sign") << QStringLiteral("ab\u20ACcd") << true;
        QTest::newRow("outside the code page") << QStringLiteral("ab\u4E2Dcd") << false;
    }
    void storable() {
        QFETCH(QString, clear);
        QFETCH(bool, ok);
        QCOMPARE(accesscode::isStorable(clear), ok);
    }

    void exactBytes() {
        const LinkRecord c = linkconfig::defaults(accesscode::storedNoCode());
        QCOMPARE(configfile::format(c), kDefaultLine);

        LinkRecord other = c;
        linkconfig::setDataBits(other, 8);
        linkconfig::setStopBits(other, "1.5");
        linkconfig::setProtocol(other, serial::Handshaking::RtsCtsXonXoff,
                                linkconfig::ProtocolSpelling::Menu);
        other.AccessCode = accesscode::ToStoredOrder(QStringLiteral("clé,1"));
        QByteArray expected =
            "\"9600\",\"paire\",\"E\",\"8\",\"255\",\"1.5\",\"Com2\",\"FF\",2,"
            "\"RTS-CTS et  Xon-Xoff\",3,\"c\xE9,1l\"\r\n";
        QCOMPARE(configfile::format(other), expected);
    }

    void roundTrip_data() {
        QTest::addColumn<int>("port");
        QTest::addColumn<QString>("speed");
        QTest::addColumn<QString>("parity");
        QTest::addColumn<int>("bits");
        QTest::addColumn<QString>("stop");
        QTest::addColumn<int>("handshake");
        QTest::addColumn<bool>("menuSpelling");
        QTest::addColumn<QString>("code");
        QTest::newRow("defaults") << 2 << "9600"
                                  << "E" << 7 << "1" << 0 << true << "tulip";
        QTest::newRow("com4 8N1") << 4 << "28800"
                                  << "N" << 8 << "1" << 1 << true << "12345";
        QTest::newRow("both, one blank") << 1 << "110"
                                         << "M" << 4 << "2" << 3 << false << "zZ9é,";
        QTest::newRow("both, two blanks") << 3 << "14400"
                                          << "S" << 5 << "1.5" << 3 << true << "     ";
    }
    void roundTrip() {
        QFETCH(int, port);
        QFETCH(QString, speed);
        QFETCH(QString, parity);
        QFETCH(int, bits);
        QFETCH(QString, stop);
        QFETCH(int, handshake);
        QFETCH(bool, menuSpelling);
        QFETCH(QString, code);
        LinkRecord c;
        linkconfig::setPort(c, port);
        linkconfig::setSpeed(c, speed);
        linkconfig::setParityByLetter(c, parity);
        linkconfig::setDataBits(c, bits);
        linkconfig::setStopBits(c, stop);
        linkconfig::setProtocol(c, serial::Handshaking(handshake),
                                menuSpelling ? linkconfig::ProtocolSpelling::Menu
                                             : linkconfig::ProtocolSpelling::Properties);
        c.AccessCode = accesscode::ToStoredOrder(code);

        QTemporaryDir dir;
        const QString path = dir.filePath("config.232");
        QVERIFY(configfile::WriteConfiguration(path, c));
        QCOMPARE(readAll(path), configfile::format(c));
        const auto loaded = configfile::LoadConfiguration(path);
        QCOMPARE(loaded.outcome, configfile::LoadOutcome::Read);
        QCOMPARE(loaded.config, c);
    }

    // Damaged files start on the defaults with no access code, never on a half-filled record.
    void damaged_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("outcome");
        QTest::newRow("empty") << QByteArray() << int(configfile::LoadOutcome::Corrupt);
        QTest::newRow("eleven fields")
            << QByteArray(
                   "\"9600\",\"paire\",\"E\",\"7\",\"127\",\"1\",\"Com2\",\"7F\",2,\"aucun\",0\r\n")
            << int(configfile::LoadOutcome::Corrupt);
        QTest::newRow("thirteen fields") << QByteArray(kDefaultLine).insert(0, "\"x\",")
                                         << int(configfile::LoadOutcome::Corrupt);
        QTest::newRow("unclosed quote") << QByteArray(
                                               "\"9600\",\"paire\",\"E\",\"7\",\"127\",\"1\","
                                               "\"Com2\",\"7F\",2,\"aucun\",0,\"tlipu\r\n")
                                        << int(configfile::LoadOutcome::Corrupt);
        QTest::newRow("port number quoted") << QByteArray(kDefaultLine).replace(",2,", ",\"2\",")
                                            << int(configfile::LoadOutcome::Corrupt);
        QTest::newRow("handshake not a number") << QByteArray(kDefaultLine).replace(",0,", ",x,")
                                                << int(configfile::LoadOutcome::Corrupt);
        QTest::newRow("two lines")
            << kDefaultLine + kDefaultLine << int(configfile::LoadOutcome::Corrupt);
        QTest::newRow("binary") << QByteArray("\x00\x01\x02\xFF", 4)
                                << int(configfile::LoadOutcome::Corrupt);
        QTest::newRow("huge") << QByteArray(1 << 20, 'x') << int(configfile::LoadOutcome::Corrupt);
    }
    void damaged() {
        QFETCH(QByteArray, bytes);
        QFETCH(int, outcome);
        QTemporaryDir dir;
        const QString path = dir.filePath("config.232");
        writeAll(path, bytes);
        const auto loaded = configfile::LoadConfiguration(path);
        QCOMPARE(int(loaded.outcome), outcome);
        QCOMPARE(loaded.config, linkconfig::defaults(accesscode::storedNoCode()));
    }

    void missingAndUnreadable() {
        QTemporaryDir dir;
        auto loaded = configfile::LoadConfiguration(dir.filePath("config.232"));
        QCOMPARE(loaded.outcome, configfile::LoadOutcome::Missing);
        QCOMPARE(loaded.config, linkconfig::defaults(accesscode::storedNoCode()));
        // A folder where the file should be cannot be read.
        QVERIFY(QDir(dir.path()).mkdir("config.232"));
        loaded = configfile::LoadConfiguration(dir.filePath("config.232"));
        QVERIFY(loaded.outcome != configfile::LoadOutcome::Read);
        QCOMPARE(loaded.config, linkconfig::defaults(accesscode::storedNoCode()));
    }

    // A field outside its family gets that family's default; the other families are kept.
    void outOfFamily_data() {
        QTest::addColumn<QByteArray>("from");
        QTest::addColumn<QByteArray>("to");
        QTest::addColumn<QString>("expectedStatus");
        const QByteArray base =
            "\"19200\",\"impaire\",\"O\",\"8\",\"255\",\"2\",\"Com3\",\"FF\",3,\"Xon-Xoff\",1,"
            "\"tlipu\"\r\n";
        QTest::addColumn<QByteArray>("base");
        auto row = [&](const char* name, const char* from, const char* to, const char* status) {
            QTest::newRow(name) << QByteArray(from) << QByteArray(to) << QString::fromUtf8(status)
                                << base;
        };
        row("speed 9601", "\"19200\"", "\"9601\"",
            "Port Com3,  9600 bauds,  8 bits,  parité impaire,  2 stop(s),  protocole Xon-Xoff .");
        row("port 7", "\"Com3\",\"FF\",3", "\"Com7\",\"FF\",7",
            "Port Com2,  19200 bauds,  8 bits,  parité impaire,  2 stop(s),  protocole Xon-Xoff .");
        row("port name and number disagree", "\"Com3\",\"FF\",3", "\"Com1\",\"FF\",3",
            "Port Com2,  19200 bauds,  8 bits,  parité impaire,  2 stop(s),  protocole Xon-Xoff .");
        row("parity name and letter disagree", "\"impaire\",\"O\"", "\"impaire\",\"E\"",
            "Port Com3,  19200 bauds,  8 bits,  parité paire,  2 stop(s),  protocole Xon-Xoff .");
        row("mark letter under the odd name", "\"impaire\",\"O\"", "\"impaire\",\"M\"",
            "Port Com3,  19200 bauds,  8 bits,  parité paire,  2 stop(s),  protocole Xon-Xoff .");
        row("data bits 9", "\"8\",\"255\"", "\"9\",\"511\"",
            "Port Com3,  19200 bauds,  7 bits,  parité impaire,  2 stop(s),  protocole Xon-Xoff .");
        row("max code disagrees", "\"8\",\"255\"", "\"8\",\"127\"",
            "Port Com3,  19200 bauds,  7 bits,  parité impaire,  2 stop(s),  protocole Xon-Xoff .");
        row("stop 3", "\"2\",\"Com3\"", "\"3\",\"Com3\"",
            "Port Com3,  19200 bauds,  8 bits,  parité impaire,  1 stop(s),  protocole Xon-Xoff .");
        row("handshake 5", "\"Xon-Xoff\",1", "\"Xon-Xoff\",5",
            "Port Com3,  19200 bauds,  8 bits,  parité impaire,  2 stop(s),  protocole aucun .");
        row("protocol name disagrees", "\"Xon-Xoff\",1", "\"RTS-CTS\",1",
            "Port Com3,  19200 bauds,  8 bits,  parité impaire,  2 stop(s),  protocole aucun .");
    }
    void outOfFamily() {
        QFETCH(QByteArray, from);
        QFETCH(QByteArray, to);
        QFETCH(QString, expectedStatus);
        QFETCH(QByteArray, base);
        QByteArray bytes = base;
        QVERIFY(bytes.contains(from));
        bytes.replace(from, to);
        const auto parsed = configfile::parse(bytes);
        QVERIFY(parsed.has_value());
        QCOMPARE(linkconfig::statusText(*parsed), expectedStatus);
        QCOMPARE(parsed->AccessCode, accesscode::storedNoCode());
    }

    void accessCodeField_data() {
        QTest::addColumn<QByteArray>("field");
        QTest::addColumn<QString>("stored");
        QTest::newRow("a code") << QByteArray("\"13452\"") << "13452";
        QTest::newRow("no code") << QByteArray("\"tlipu\"") << "tlipu";
        QTest::newRow("too short gives no code") << QByteArray("\"1234\"") << "tlipu";
        QTest::newRow("too long gives no code") << QByteArray("\"123456\"") << "tlipu";
        QTest::newRow("Windows-1252 bytes") << QByteArray(
                                                   "\"\x80\xE9\x92"
                                                   "ab\"")
                                            << "€é’ab";
    }
    void accessCodeField() {
        QFETCH(QByteArray, field);
        QFETCH(QString, stored);
        QByteArray bytes = kDefaultLine;
        bytes.replace("\"tlipu\"", field);
        const auto parsed = configfile::parse(bytes);
        QVERIFY(parsed.has_value());
        QCOMPARE(parsed->AccessCode, stored);
    }

    void lineEndings() {
        QByteArray bare = kDefaultLine;
        bare.chop(2);
        QVERIFY(configfile::parse(bare).has_value());
        QVERIFY(configfile::parse(bare + "\n").has_value());
        QVERIFY(!configfile::parse(bare + "\r\r\n").has_value());
    }

    // Writing replaces the file whole; a failed write leaves the previous file untouched.
    void atomicWrite() {
        QTemporaryDir dir;
        const QString path = dir.filePath("config.232");
        writeAll(path, kDefaultLine);
        LinkRecord c = linkconfig::defaults(accesscode::ToStoredOrder("abcde"));
        QVERIFY(configfile::WriteConfiguration(path, c));
        QCOMPARE(readAll(path), configfile::format(c));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{"config.232"});

        // An unwritable folder: the write fails and says so.
        QVERIFY(QDir(dir.path()).mkdir("locked"));
        const QString lockedPath = dir.filePath("locked/config.232");
        writeAll(lockedPath, kDefaultLine);
        QFile::setPermissions(dir.filePath("locked"), QFile::ReadOwner | QFile::ExeOwner);
        const bool wrote = configfile::WriteConfiguration(lockedPath, c);
        QFile::setPermissions(dir.filePath("locked"),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        if (::geteuid() != 0) {  // root writes anywhere
            QVERIFY(!wrote);
            QCOMPARE(readAll(lockedPath), kDefaultLine);
        }
    }

    // Every byte value in the access-code field: a code that can be typed is read, and can be
    // set again from the keyboard; one nobody could type makes the file corrupt.
    void accessCodeEveryByte() {
        const QList<int> unassigned{0x81, 0x8D, 0x8F, 0x90, 0x9D};
        for (int b = 0; b < 256; ++b) {
            QByteArray field("\"t?ipu\"");
            field[2] = char(b);
            QByteArray bytes = kDefaultLine;
            bytes.replace("\"tlipu\"", field);
            const bool typeable = b >= 0x20 && b != 0x7F && b != '"' && !unassigned.contains(b);
            const auto parsed = configfile::parse(bytes);
            QVERIFY2(parsed.has_value() == typeable, qPrintable(QString::number(b, 16)));
            if (!typeable) continue;
            const QString clear = accesscode::FromStoredOrder(parsed->AccessCode);
            QCOMPARE(accesscode::judgeNewCode(clear), accesscode::NewCodeEntry::Accept);
        }
    }

    // Hostile files: each ends on the defaults or on a record that writes back the same.
    void hostileFiles_data() {
        QTest::addColumn<QByteArray>("bytes");
        QRandomGenerator random(23);
        for (int i = 0; i < 40; ++i) {
            QByteArray noise(random.bounded(1, 200), Qt::Uninitialized);
            for (char& c : noise) c = char(random.bounded(256));
            QTest::addRow("random bytes %d", i) << noise;
            QByteArray line = kDefaultLine;
            line[random.bounded(int(line.size()))] = char(random.bounded(256));
            QTest::addRow("one byte changed %d", i) << line;
        }
        for (qsizetype n = 0; n + 2 < kDefaultLine.size(); n += 3)
            QTest::addRow("cut after %lld bytes", qint64(n)) << kDefaultLine.left(n);
        QTest::newRow("a 10 MB line") << QByteArray(10 * 1024 * 1024, '"');
        QTest::newRow("the line, then 10 MB") << kDefaultLine + QByteArray(10 << 20, 'x');
        QTest::newRow("quotes missing") << QByteArray(kDefaultLine).replace("\"", "");
        QTest::newRow("UTF-16")
            << QByteArray("\xFF\xFE", 2) +
                   QByteArray(kDefaultLine).replace("\"", QByteArray("\"\0", 2));
    }
    void hostileFiles() {
        QFETCH(QByteArray, bytes);
        QTemporaryDir dir;
        const QString path = dir.filePath("config.232");
        writeAll(path, bytes);
        const auto loaded = configfile::LoadConfiguration(path);
        if (loaded.outcome != configfile::LoadOutcome::Read) {
            QCOMPARE(loaded.config, linkconfig::defaults(accesscode::storedNoCode()));
            return;
        }
        const auto again = configfile::parse(configfile::format(loaded.config));
        QVERIFY(again.has_value());
        QCOMPARE(*again, loaded.config);
    }

    // A file that cannot be replaced: the write says so and the file stays whole.
    void protectedFile_data() {
        QTest::addColumn<bool>("folder");
        QTest::newRow("the file") << false;
        QTest::newRow("its folder") << true;
    }
    void protectedFile() {
        QFETCH(bool, folder);
        QTemporaryDir dir;
        const QString path = dir.filePath("config.232");
        writeAll(path, kDefaultLine);
        testsupport::WriteProtection guard(folder ? dir.path() : path);
        QVERIFY(guard.isOn());
        QVERIFY(!configfile::WriteConfiguration(
            path, linkconfig::defaults(accesscode::ToStoredOrder("abcde"))));
        QCOMPARE(readAll(path), kDefaultLine);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"config.232"});
    }

    // A folder where the file should be is neither read nor replaced.
    void folderInItsPlace() {
        QTemporaryDir dir;
        const QString path = dir.filePath("config.232");
        QVERIFY(QDir(dir.path()).mkdir("config.232"));
        QVERIFY(!configfile::WriteConfiguration(path,
                                                linkconfig::defaults(accesscode::storedNoCode())));
        QVERIFY(QFileInfo(path).isDir());
    }
};

QTEST_APPLESS_MAIN(TstConfigFile)
#include "tst_configfile.moc"
