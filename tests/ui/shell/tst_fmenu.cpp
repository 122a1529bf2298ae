// The main window: its menu, its status line, and what each configuration item does.
#include <QAction>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QtTest>

#include "core/accesscode.h"
#include "core/appstate.h"
#include "serial/mscomm.h"
#include "support/appfixture.h"
#include "support/modal.h"
#include "support/virtualcable.h"
#include "ui/shell/fmenu.h"
#include "ui/shell/forms.h"
#include "ui/terminal/femirecep.h"

using namespace testsupport;

namespace {

// The main window, every port leading to a device that does not exist.
struct Fixture : AppFixture {
    Fixture() : AppFixture(Ports::Absent) { menu().ShowLinkStatus(); }
    QString status() { return menu().Text1->text(); }
};

}  // namespace

class TstFMenu : public QObject {
    Q_OBJECT
private slots:
    // The whole menu: each item under its parent, in display order, captions exact.
    void menuStructure() {
        Fixture fx;
        const QList<QStringList> expected = {
            {"", "Configuration", "Configuration de la liaison     "},
            {"Configuration", "Connexion", "Port Série"},
            {"Connexion", "QuePort", "Qu'est-ce que c'est ?"},
            {"Connexion", "COM1", "Com1"},
            {"Connexion", "COM2", "Com2"},
            {"Connexion", "COM3", "Com3"},
            {"Connexion", "COM4", "Com4"},
            {"Configuration", "Vitesse", "Vitesse des échanges"},
            {"Vitesse", "QueVitesse", "Qu'est-ce que c'est ?"},
            {"Vitesse", "Bauds110", "110 Bauds"},
            {"Vitesse", "Bauds300", "300 Bauds"},
            {"Vitesse", "Bauds600", "600 Bauds"},
            {"Vitesse", "Bauds1200", "1200 Bauds"},
            {"Vitesse", "Bauds2400", "2400 Bauds"},
            {"Vitesse", "Bauds4800", "4800 Bauds"},
            {"Vitesse", "Bauds9600", "9600 Bauds"},
            {"Vitesse", "Bauds14400", "14400 Bauds"},
            {"Vitesse", "Bauds19200", "19200 Bauds"},
            {"Vitesse", "Bauds28800", "28800 Bauds"},
            {"Configuration", "Parite", "Parité"},
            {"Parite", "QueParite", "Qu'est-ce que c'est ?"},
            {"Parite", "Sans", "Sans parité"},
            {"Parite", "Paire", "Paire"},
            {"Parite", "Impaire", "Impaire"},
            {"Parite", "Espace", "Espace (parité=0)"},
            {"Parite", "Marque", "Marque (parité=1)"},
            {"Configuration", "BitDonnees", "Bits de données"},
            {"BitDonnees", "QueDonnee", "Qu'est-ce que c'est ?"},
            {"BitDonnees", "Bit4", "4 bits"},
            {"BitDonnees", "Bit5", "5 bits"},
            {"BitDonnees", "Bit6", "6 bits"},
            {"BitDonnees", "Bit7", "7 bits"},
            {"BitDonnees", "Bit8", "8 bits"},
            {"Configuration", "BitSTOP", "Bits de STOP"},
            {"BitSTOP", "QueStop", "Qu'est-ce que c'est ?"},
            {"BitSTOP", "Stop1", "1 bit"},
            {"BitSTOP", "StopUn5", "1,5 bit"},
            {"BitSTOP", "Stop2", "2 bits"},
            {"Configuration", "Protocole", "Protocole"},
            {"Protocole", "QueProtocole", "Qu'est-ce que c'est ?"},
            {"Protocole", "Aucun", "Aucun"},
            {"Protocole", "XonXoff", "Xon-Xoff"},
            {"Protocole", "RTS", "RTS-CTS"},
            {"Protocole", "RTSXon", "RTS-CTS et  Xon-Xoff"},
            {"Configuration", "Propriete", "Propriétés"},
            {"", "Emission_Reception", "Emission et réception     "},
            {"Emission_Reception", "Emission", "Emission"},
            {"Emission", "Ascii", "d'un caractère du clavier"},
            {"Emission", "Decimal", "d'un code décimal"},
            {"Emission", "Hexadecimal", "d'un code hexadécimal"},
            {"Emission", "Chaine", "d'une chaîne de caractères"},
            {"Emission", "Identique", "répétitive d'un caractère "},
            {"Emission_Reception", "Reception", "Réception"},
            {"Reception", "RecepCaractere", "d'un caractère"},
            {"Reception", "RecepChaine", "d'une chaîne de caractères"},
            {"Emission_Reception", "Emission_Reception_Simultanees",
             "Emission et réception simultanées"},
            {"", "Informations", "Informations     "},
            {"Informations", "Liaison232", "Liaison  RS-232C"},
            {"Liaison232", "QueLiaison232", "Qu'est-ce que c'est ?"},
            {"Liaison232", "Brochage", "Brochage sur un micro-ordinateur PC"},
            {"Liaison232", "Niveaux", "Niveaux logiques et électriques"},
            {"Liaison232", "Signaux", "Principaux signaux"},
            {"Liaison232", "TableauComparatif", "Tableau comparatif des liaisons séries"},
            {"Informations", "RS422", "Liaison  RS-422A"},
            {"Informations", "RS485", "Liaison  RS-485"},
            {"Informations", "Codes", "Codes"},
            {"Codes", "CodeAscii", "Code A.S.C.I.I."},
            {"Codes", "CodeBinaire", "Code Binaire"},
            {"Codes", "CodeHexa", "Code Hexadécimal"},
            {"Codes", "Octal", "Code Octal"},
            {"Codes", "Jeu", "Jeu de caractères (0 à 255)"},
            {"Informations", "SimplexDuplex", "Simplex  et  Duplex"},
            {"Informations", "Handshaking", "Procédure de handshaking"},
            {"Informations", "ProtocolesIndustriels", "Protocoles industriels"},
            {"ProtocolesIndustriels", "Modbus", "Protocole MODBUS"},
            {"Informations", "DTEDCE", "Port DTE  et  Port DCE"},
            {"Informations", "Mdm", "Modem"},
            {"Mdm", "Modem", "Modem"},
            {"Mdm", "ModemNul", "Câble Modem nul"},
            {"Informations", "Lexique", "Lexique"},
            {"Informations", "Sigles", "Sigles"},
            {"", "Essai", "Essais     "},
            {"Essai", "DeuxOrdinateurs", "Communication entre deux ordinateurs"},
            {"Essai", "AutoTest", "Auto-test d'un ordinateur"},
            {"Essai", "CarteEssai", "Carte d'essai"},
            {"Essai", "Velmo", "Velmo-XQ"},
            {"", "Apropos", "A propos...     "},
            {"Apropos", "Auteur", "Auteur"},
            {"Apropos", "Dorvanix", "Korvalin"},
            {"Apropos", "Dorvan", "Dorvanix"},
            {"Apropos", "Passe", "Mot de passe"},
            {"", "Quitte", "Sortie du programme"},
        };
        // Walk the real menu and list (parent, name, caption) in display order.
        QList<QStringList> actual;
        std::function<void(const QString&, const QList<QAction*>&)> walk =
            [&](const QString& parent, const QList<QAction*>& actions) {
                for (QAction* a : actions) {
                    QVERIFY2(!a->isSeparator(), "the menu has no separators");
                    QVERIFY2(a->shortcut().isEmpty(), qPrintable(a->objectName()));
                    QVERIFY(!a->isCheckable());
                    actual.append({parent, a->objectName(), a->text()});
                    if (a->menu()) walk(a->objectName(), a->menu()->actions());
                }
            };
        walk("", fx.menu().menuBar()->actions());
        QCOMPARE(actual.size(), expected.size());
        for (int i = 0; i < expected.size(); ++i) QCOMPARE(actual[i], expected[i]);
    }

    void window() {
        Fixture fx;
        FMenu& m = fx.menu();
        QCOMPARE(m.windowTitle(), QString(65, ' ') + "SERLINQ");
        QCOMPARE(m.centralWidget()->size(), QSize(634, 436));
        QVERIFY(!(m.windowFlags() & Qt::WindowCloseButtonHint));
        QVERIFY(!(m.windowFlags() & Qt::WindowMinMaxButtonsHint));
        QCOMPARE(m.Text1->toolTip(),
                 QStringLiteral("Configuration actuelle de la liaison RS-232C"));
        QCOMPARE(fx.status(), QStringLiteral("Port Com2,  9600 bauds,  7 bits,  parité paire,  "
                                             "1 stop(s),  protocole aucun ."));
        m.show();
        QVERIFY(!m.close());  // no way out but "Sortie du programme"
        QVERIFY(m.isVisible());
        // Disabled as a whole, menu included.
        m.setEnabled(false);
        QVERIFY(!m.menuBar()->isEnabled());
        m.setEnabled(true);
    }

    // Each configuration item: the status line it leaves, and whether the port test runs
    // (here every port is absent, so a port test shows its message).
    void configurationItems_data() {
        QTest::addColumn<QString>("item");
        QTest::addColumn<QString>("status");
        QTest::addColumn<bool>("portTest");
        const auto s = [](const char* port, const char* speed, const char* bits, const char* parity,
                          const char* stop, const char* protocol) {
            return QStringLiteral(
                       "Port %1,  %2 bauds,  %3 bits,  parité %4,  %5 stop(s),  "
                       "protocole %6 .")
                .arg(port, speed, bits, QString::fromUtf8(parity), stop, protocol);
        };
        QTest::newRow("Com1") << "COM1" << s("Com1", "9600", "7", "paire", "1", "aucun") << true;
        QTest::newRow("Com4") << "COM4" << s("Com4", "9600", "7", "paire", "1", "aucun") << true;
        QTest::newRow("Com2 again")
            << "COM2" << s("Com2", "9600", "7", "paire", "1", "aucun") << true;
        QTest::newRow("110") << "Bauds110" << s("Com2", "110", "7", "paire", "1", "aucun") << false;
        QTest::newRow("14400") << "Bauds14400" << s("Com2", "14400", "7", "paire", "1", "aucun")
                               << false;
        QTest::newRow("9600 again")
            << "Bauds9600" << s("Com2", "9600", "7", "paire", "1", "aucun") << false;
        QTest::newRow("Sans") << "Sans" << s("Com2", "9600", "7", "aucune", "1", "aucun") << false;
        QTest::newRow("Impaire") << "Impaire" << s("Com2", "9600", "7", "impaire", "1", "aucun")
                                 << false;
        QTest::newRow("Espace") << "Espace" << s("Com2", "9600", "7", "espace", "1", "aucun")
                                << false;
        QTest::newRow("Marque") << "Marque" << s("Com2", "9600", "7", "marque", "1", "aucun")
                                << false;
        QTest::newRow("4 bits") << "Bit4" << s("Com2", "9600", "4", "paire", "1", "aucun") << true;
        QTest::newRow("8 bits") << "Bit8" << s("Com2", "9600", "8", "paire", "1", "aucun") << true;
        QTest::newRow("1.5 stop") << "StopUn5" << s("Com2", "9600", "7", "paire", "1.5", "aucun")
                                  << true;
        QTest::newRow("2 stop") << "Stop2" << s("Com2", "9600", "7", "paire", "2", "aucun") << true;
        QTest::newRow("Xon-Xoff") << "XonXoff" << s("Com2", "9600", "7", "paire", "1", "Xon-Xoff")
                                  << false;
        QTest::newRow("RTS-CTS") << "RTS" << s("Com2", "9600", "7", "paire", "1", "RTS-CTS")
                                 << false;
        QTest::newRow("both, two blanks")
            << "RTSXon" << s("Com2", "9600", "7", "paire", "1", "RTS-CTS et  Xon-Xoff") << false;
    }
    void configurationItems() {
        QFETCH(QString, item);
        QFETCH(QString, status);
        QFETCH(bool, portTest);
        Fixture fx;
        const int beeps = fx.forms->beepCount();
        QString message;
        if (portTest) onNextModal(pressEnter(&message));
        fx.menu().item(item)->trigger();
        QCOMPARE(fx.status(), status);
        if (portTest) {
            QCOMPARE(message, QStringLiteral("Le port n'existe pas sur cet ordinateur."));
            QCOMPARE(fx.state.CommError, 1);
            QCOMPARE(fx.forms->beepCount(), beeps + 1);
        } else {
            QCOMPARE(fx.forms->beepCount(), beeps);  // no port opened, nothing said
        }
        QVERIFY(fx.menu().isEnabled());
        QVERIFY(!fx.forms->serial().PortOpen());
    }

    void dataBitsFamily() {
        Fixture fx;
        onNextModal(pressEnter());
        fx.menu().Bit4_Click();
        QCOMPARE(fx.state.LinkConfig.MaxCode, QStringLiteral("15"));
        QCOMPARE(fx.state.LinkConfig.MaxCodeHex, QStringLiteral("F"));
    }

    // The protocol items set the RTS line of the terminal's serial control at once.
    void protocolSetsRts_data() {
        QTest::addColumn<QString>("item");
        QTest::addColumn<bool>("rts");
        QTest::addColumn<int>("handshake");
        QTest::newRow("Aucun") << "Aucun" << false << 0;
        QTest::newRow("XonXoff") << "XonXoff" << false << 1;
        QTest::newRow("RTS") << "RTS" << true << 2;
        QTest::newRow("RTSXon") << "RTSXon" << true << 3;
    }
    void protocolSetsRts() {
        QFETCH(QString, item);
        QFETCH(bool, rts);
        QFETCH(int, handshake);
        Fixture fx;
        MSComm& com = fx.forms->serial();
        com.setRTSEnable(!rts);
        fx.menu().item(item)->trigger();
        QCOMPARE(com.RTSEnable(), rts);
        QCOMPARE(fx.state.LinkConfig.Handshake, serial::Handshaking(handshake));
    }

    // On a working port the test passes silently and leaves the port closed.
    void portTestOnAGoodPort() {
        AppFixture fx;
        QVERIFY2(fx.isReady(), qPrintable(fx.errorString()));
        const int beeps = fx.forms->beepCount();
        fx.menu().COM1_Click();
        QCOMPARE(fx.state.CommError, 0);
        QCOMPARE(fx.forms->beepCount(), beeps);
        QVERIFY(!fx.forms->serial().PortOpen());
        QCOMPARE(fx.state.PortSettings, QStringLiteral("9600,E,7,1"));
        // Then an absent port: the message, and the terminal modes would refuse to start.
        QString message;
        onNextModal(pressEnter(&message));
        fx.menu().COM3_Click();
        QCOMPARE(message, QStringLiteral("Le port n'existe pas sur cet ordinateur."));
        QCOMPARE(fx.state.CommError, 1);
    }
};

QTEST_MAIN(TstFMenu)
#include "tst_fmenu.moc"
