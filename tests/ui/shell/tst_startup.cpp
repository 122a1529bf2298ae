// Start-up, access code, exit dialog and "Mot de passe", with config.232 on disk.
#include <QFrame>
#include <QLineEdit>
#include <QPushButton>
#include <QTextEdit>
#include <QTimer>
#include <QtTest>

#include "core/accesscode.h"
#include "core/appstate.h"
#include "core/configfile.h"
#include "support/appfixture.h"
#include "support/modal.h"
#include "support/protect.h"
#include "support/wait.h"
#include "ui/shell/fdebut.h"
#include "ui/shell/fmenu.h"
#include "ui/shell/forms.h"
#include "ui/shell/fvaleur.h"

using namespace testsupport;

namespace {

QByteArray readFile(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// A configuration that differs from the defaults in every family.
LinkRecord sampleConfig(const QString& clearCode) {
    LinkRecord c;
    linkconfig::setSpeed(c, "28800");
    linkconfig::setParityByLetter(c, "O");
    linkconfig::setDataBits(c, 8);
    linkconfig::setStopBits(c, "2");
    linkconfig::setPort(c, 3);
    linkconfig::setProtocol(c, serial::Handshaking::XonXoff, linkconfig::ProtocolSpelling::Menu);
    c.AccessCode = accesscode::ToStoredOrder(clearCode);
    return c;
}

// The program in a folder of its own, started from its start-up window.
struct Program : AppFixture {
    QString configPath() const { return QDir(folder()).filePath("config.232"); }

    explicit Program(const std::optional<LinkRecord>& onDisk) : AppFixture(Ports::Defaults) {
        if (onDisk) configfile::WriteConfiguration(configPath(), *onDisk);
        state.LinkConfig = LinkRecord();  // empty until the start-up sequence reads the file
    }
    // Starts with a short title delay and waits until the main window shows or the program ends.
    bool startAndSettle() {
        forms->create<FDebut>(20).start();
        return waitFor([&] { return menu().isVisible() || forms->programEnded(); });
    }
};

}  // namespace

class TstStartup : public QObject {
    Q_OBJECT
private slots:
    void noCode() {
        Program p(sampleConfig(accesscode::NoCodeMarker));
        QVERIFY(p.startAndSettle());
        QVERIFY(!p.forms->programEnded());
        QVERIFY(p.menu().isEnabled());
        QVERIFY(!p.get<FDebut>().isVisible());
        QCOMPARE(p.menu().Text1->text(),
                 QStringLiteral("Port Com3,  28800 bauds,  8 bits,  parité impaire,  2 stop(s),  "
                                "protocole Xon-Xoff ."));
        QCOMPARE(p.forms->beepCount(), 0);
        // The value dialog is back to its ordinary use.
        FValeur& v = p.get<FValeur>();
        QCOMPARE(v.maxLength(), 10);
        QCOMPARE(v.TexteValeur->echoMode(), QLineEdit::Normal);
        QVERIFY(!v.KeyPreview());
    }

    // A missing or damaged file starts on the defaults with no code.
    void noFile() {
        Program p(std::nullopt);
        QVERIFY(p.startAndSettle());
        QVERIFY(!p.forms->programEnded());
        QCOMPARE(p.state.LinkConfig, linkconfig::defaults(accesscode::storedNoCode()));
        QVERIFY(!QFile::exists(p.configPath()));  // nothing is written before the exit
    }

    // The start-up check compares the keys typed, in order, with the code.
    void accessCode_data() {
        QTest::addColumn<QString>("keys");
        QTest::addColumn<bool>("backspace");
        QTest::addColumn<bool>("escape");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("five keys and Enter") << "Ab3é!" << false << false << true;
        QTest::newRow("five keys and Esc") << "Ab3é!" << false << true << true;
        QTest::newRow("corrected with Backspace") << "Ab3é" << true << false << false;
        QTest::newRow("six keys") << "Ab3é!x" << false << false << false;
        QTest::newRow("case differs") << "ab3é!" << false << false << false;
        QTest::newRow("nothing typed") << "" << false << false << false;
    }
    void accessCode() {
        QFETCH(QString, keys);
        QFETCH(bool, backspace);
        QFETCH(bool, escape);
        QFETCH(bool, accepted);
        const LinkRecord onDisk = sampleConfig("Ab3é!");
        Program p(onDisk);
        const QByteArray before = readFile(p.configPath());
        QString prompt, caption;
        onNextModal([&](QWidget* w) {
            prompt = static_cast<FValeur*>(w)->prompt();
            caption = w->windowTitle();
            QWidget* entry = w->findChild<QLineEdit*>("TexteValeur");
            typeText(entry, keys);
            if (backspace) {
                QTest::keyClick(entry, Qt::Key_Backspace);
                typeText(entry, keys.right(1) + "!");
            }
            QTest::keyClick(entry, escape ? Qt::Key_Escape : Qt::Key_Return);
        });
        QVERIFY(p.startAndSettle());
        QCOMPARE(prompt, QStringLiteral("Entrez le code d'accès (5 caractères) ..."));
        QCOMPARE(caption, QStringLiteral("Mot de passe"));
        QCOMPARE(p.forms->beepCount(), 1);
        QCOMPARE(!p.forms->programEnded(), accepted);
        QCOMPARE(p.menu().isVisible(), accepted);
        QCOMPARE(p.state.LinkConfig.AccessCode, onDisk.AccessCode);  // back in stored order
        // A refusal rewrites the file with the values it held, code included.
        QCOMPARE(readFile(p.configPath()), before);
    }

    void exitDialog_data() {
        QTest::addColumn<QString>("button");
        QTest::addColumn<bool>("ends");
        QTest::addColumn<bool>("defaultsWritten");
        QTest::newRow("Oui") << "Oui" << true << false;
        QTest::newRow("Non") << "Non" << true << true;
        QTest::newRow("Annuler") << "Annuler" << false << false;
    }
    void exitDialog() {
        QFETCH(QString, button);
        QFETCH(bool, ends);
        QFETCH(bool, defaultsWritten);
        Program p(sampleConfig("12345"));
        onNextModal(typeAndEnter("12345"));
        QVERIFY(p.startAndSettle());
        QVERIFY(!p.forms->programEnded());
        // A change made during the run lives in memory until the exit.
        p.menu().Bauds110_Click();
        const QByteArray before = readFile(p.configPath());

        p.menu().Quitte_Click();
        FDebut& exit = p.get<FDebut>();
        QVERIFY(exit.isVisible());
        QVERIFY(!p.menu().isEnabled());
        QCOMPARE(exit.windowTitle(), QStringLiteral("   Sortie du programme   Serlinq"));
        QVERIFY(exit.FrameEnregistrer->isVisible());
        QVERIFY(!exit.TexteDebut->isVisible());
        QCOMPARE(exit.focusWidget(), static_cast<QWidget*>(exit.Annuler));
        exit.findChild<QPushButton*>(button)->click();

        QCOMPARE(p.forms->programEnded(), ends);
        const auto written = configfile::LoadConfiguration(p.configPath()).config;
        if (!ends) {
            QVERIFY(p.menu().isEnabled());
            QVERIFY(!exit.isVisible());
            QCOMPARE(readFile(p.configPath()), before);
        } else if (defaultsWritten) {
            QCOMPARE(written, linkconfig::defaults(accesscode::ToStoredOrder("12345")));
        } else {
            QCOMPARE(written.Speed, QStringLiteral("110"));
            QCOMPARE(written.PortName, QStringLiteral("Com3"));
            QCOMPARE(written.AccessCode, accesscode::ToStoredOrder("12345"));
        }
    }

    // "Mot de passe" with no code set: the first code is written at once.
    void firstCode_data() {
        QTest::addColumn<QStringList>("entries");
        QTest::addColumn<QString>("storedCode");  // empty: nothing written
        QTest::newRow("five characters") << QStringList{"abcde"} << "acdeb";
        QTest::newRow("short, then five") << QStringList{"ab", "vwxyz"} << "vxyzw";
        QTest::newRow("a double quote is asked again") << QStringList{"ab\"de", "abcde"} << "acdeb";
        QTest::newRow("empty gives up") << QStringList{""} << "";
        QTest::newRow("short, then empty") << QStringList{"abc", ""} << "";
    }
    void firstCode() {
        QFETCH(QStringList, entries);
        QFETCH(QString, storedCode);
        Program p(std::nullopt);
        QVERIFY(p.startAndSettle());
        p.menu().Bauds300_Click();
        QList<std::function<void(QWidget*)>> answers;
        for (const QString& e : entries) answers.append(typeAndEnter(e));
        onModals(answers);
        p.menu().Passe_Click();
        QCOMPARE(pendingModalAnswers(), 0);
        if (storedCode.isEmpty()) {
            QVERIFY(!QFile::exists(p.configPath()));
            QCOMPARE(p.state.LinkConfig.AccessCode, accesscode::storedNoCode());
        } else {
            const auto written = configfile::LoadConfiguration(p.configPath()).config;
            QCOMPARE(written.AccessCode, storedCode);
            QCOMPARE(written.Speed, QStringLiteral("300"));  // with the configuration in force
        }
        FValeur& v = p.get<FValeur>();
        QCOMPARE(v.maxLength(), 10);
        QCOMPARE(v.TexteValeur->echoMode(), QLineEdit::Normal);
    }

    // "Mot de passe" with a code set: the current code first, then the new one.
    void changeCode_data() {
        QTest::addColumn<QStringList>("entries");
        QTest::addColumn<QString>("storedCode");  // empty: nothing written
        QTest::newRow("wrong current code") << QStringList{"12346"} << "";
        QTest::newRow("cancelled current code") << QStringList{""} << "";
        QTest::newRow("changed") << QStringList{"12345", "54321"} << "53214";
        QTest::newRow("Annuler does not end the new-code loop")
            << QStringList{"12345", "", "987", "98765"} << "97658";
        QTest::newRow("back to no code") << QStringList{"12345", "tulip"} << "tlipu";
    }
    void changeCode() {
        QFETCH(QStringList, entries);
        QFETCH(QString, storedCode);
        Program p(sampleConfig("12345"));
        onNextModal(typeAndEnter("12345"));
        QVERIFY(p.startAndSettle());
        const QByteArray before = readFile(p.configPath());
        const int beeps = p.forms->beepCount();
        QList<std::function<void(QWidget*)>> answers;
        for (const QString& e : entries) answers.append(typeAndEnter(e));
        onModals(answers);
        p.menu().Passe_Click();
        QCOMPARE(pendingModalAnswers(), 0);
        QCOMPARE(p.forms->beepCount(), beeps);
        if (storedCode.isEmpty()) {
            QCOMPARE(readFile(p.configPath()), before);
            QCOMPARE(p.state.LinkConfig.AccessCode, accesscode::ToStoredOrder("12345"));
        } else {
            QCOMPARE(configfile::LoadConfiguration(p.configPath()).config.AccessCode, storedCode);
        }
    }

    // The title stays for the delay given, and the start-up sequence runs once.
    void titleThenMenu() {
        Program p(sampleConfig(accesscode::NoCodeMarker));
        FDebut& title = p.forms->create<FDebut>(300);
        title.start();
        QCOMPARE(title.windowTitle(), QString(24, ' ') + "Serlinq");
        QVERIFY(title.TexteDebut->isVisible());
        QVERIFY(!title.FrameEnregistrer->isVisible());
        QVERIFY(title.TexteDebut->toPlainText().contains("  Serlinq\nversion 2.0"));
        settle(100);
        QVERIFY(!p.menu().isVisible());
        QVERIFY(waitFor([&] { return p.menu().isVisible(); }));
        QVERIFY(!title.Timer1->isActive());
    }

    // A damaged file is said once at start, and the program runs on the defaults without a
    // code; a first start without a file says nothing.
    void damagedAtStart_data() {
        QTest::addColumn<QString>("onDisk");
        QTest::addColumn<bool>("said");
        QTest::newRow("no file") << "none" << false;
        QTest::newRow("a code with an unassigned byte") << "unassigned" << true;
        QTest::newRow("random bytes") << "random" << true;
        QTest::newRow("a folder in its place") << "folder" << true;
    }
    void damagedAtStart() {
        QFETCH(QString, onDisk);
        QFETCH(bool, said);
        Program p(std::nullopt);
        if (onDisk == "folder") QVERIFY(QDir(p.folder()).mkdir("config.232"));
        if (onDisk == "unassigned" || onDisk == "random") {
            // The code's field in its stored order, an unassigned byte in it.
            QByteArray bytes = configfile::format(sampleConfig(accesscode::NoCodeMarker))
                                   .replace("tlipu", QByteArray("a\x90"
                                                                "bde"));
            if (onDisk == "random") {
                QRandomGenerator random(3);
                for (char& c : bytes) c = char(random.bounded(256));
            }
            QFile f(p.configPath());
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(bytes);
        }
        QString seen;
        if (said) onNextModal(pressEnter(&seen));
        QVERIFY(p.startAndSettle());
        QVERIFY(!p.forms->programEnded());
        QCOMPARE(pendingModalAnswers(), 0);
        QCOMPARE(seen.contains("config.232"), said);
        QCOMPARE(p.forms->beepCount(), said ? 1 : 0);
        QCOMPARE(p.state.LinkConfig, linkconfig::defaults(accesscode::storedNoCode()));
    }

    // "Oui" with config.232 that cannot be replaced: the user is told, the file stays whole and
    // the program ends as asked (a teacher may protect the file on purpose).
    void exitNotSaved_data() {
        QTest::addColumn<bool>("folder");
        QTest::newRow("the file protected") << false;
        QTest::newRow("its folder protected") << true;
    }
    void exitNotSaved() {
        QFETCH(bool, folder);
        Program p(sampleConfig(accesscode::NoCodeMarker));
        QVERIFY(p.startAndSettle());
        p.menu().Bauds110_Click();
        const QByteArray before = readFile(p.configPath());
        testsupport::WriteProtection guard(folder ? p.folder() : p.configPath());
        QVERIFY(guard.isOn());
        p.menu().Quitte_Click();
        QString seen;
        onNextModal(pressEnter(&seen));
        p.get<FDebut>().Oui->click();
        QCOMPARE(pendingModalAnswers(), 0);
        QVERIFY2(seen.contains("config.232"), qPrintable(seen));
        QVERIFY(p.forms->programEnded());
        QCOMPARE(readFile(p.configPath()), before);
        QCOMPARE(QDir(p.folder()).entryList({"config.232*", "*.tmp"}, QDir::Files | QDir::Hidden),
                 QStringList{"config.232"});
    }
};

QTEST_MAIN(TstStartup)
#include "tst_startup.moc"
