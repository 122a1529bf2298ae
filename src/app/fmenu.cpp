#include "app/fmenu.h"

#include <QCloseEvent>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>

#include "app/accesscode.h"
#include "app/appstate.h"
#include "app/configfile.h"
#include "app/fdebut.h"
#include "app/formkit.h"
#include "app/forms.h"
#include "app/fpropri.h"
#include "app/fvaleur.h"
#include "terminal/femirecep.h"
#include "terminal/mscomm.h"

using namespace formkit;

FMenu::FMenu(Forms& forms, QWidget* parent)
    : QMainWindow(parent), forms_(forms), state_(forms.state()) {
    setObjectName("FMenu");
    setWindowTitle(QString(65, ' ') + "SERLINQ");
    setBorder(this, Border::FixedSingle);

    auto* client = new QWidget(this);
    client->setObjectName("client");
    setBackground(client, kLightGrey);
    fixClientSizeTw(client, 9510, 6540);
    setCentralWidget(client);

    Image3 = addPicture(client, "Image3", ":/logo-dorvanix.svg", 3840, 240, 1890, 2085,
                        "Logo de Dorvanix");
    Image4 = addPicture(client, "Image4", ":/banner-serlinq.svg", 720, 2520, 8205, 915, "Serlinq");
    Image1 = addPicture(client, "Image1", ":/db25-connector.svg", 120, 3720, 4185, 2160,
                        "Connecteur DB-25");
    Image2 = addPicture(client, "Image2", ":/db25-connector.svg", 4920, 3720, 4185, 2160,
                        "Connecteur DB-25");

    Frame1 = addFrame(client, "Frame1", 0, 5880, 9375, 615);

    Text1 = new QLineEdit(Frame1);
    Text1->setObjectName("Text1");
    placeTw(Text1, 120, 120, 9255, 390);
    Text1->setReadOnly(true);
    Text1->setAlignment(Qt::AlignCenter);
    Text1->setFont(pixelFont("Liberation Sans", 13, true));
    QPalette p = Text1->palette();
    p.setColor(QPalette::Text, QColor(0, 0, 128));
    p.setColor(QPalette::Base, Qt::white);
    Text1->setPalette(p);
    Text1->setToolTip("Configuration actuelle de la liaison RS-232C");
    Text1->setAccessibleName("Configuration actuelle de la liaison RS-232C");

    buildMenu();
    menuBar()->setNativeMenuBar(false);
    // The titles carry their own trailing blanks to spread along the bar: keep the toolkit's
    // padding small so that the whole menu, "Sortie du programme" included, fits on one row.
    menuBar()->setStyleSheet(
        "QMenuBar { spacing: 0px; background: palette(window); }"
        "QMenuBar::item { padding: 3px 4px; background: transparent; }"
        "QMenuBar::item:selected, QMenuBar::item:pressed {"
        " background: palette(highlight); color: palette(highlighted-text); }");
    setFixedSize(sizeHint());
    centreOnScreen(this);
}

void FMenu::buildMenu() {
    // The whole menu in display order: each entry under its parent (a menu or a submenu of the
    // bar; no parent: the bar itself). Items whose work comes later have no handler yet.
    enum class Kind { Menu, Submenu, Item };
    struct Entry {
        Kind kind;
        const char* parent;
        const char* name;
        const char* caption;
        void (FMenu::*handler)();
    };
    static const Entry entries[] = {
        {Kind::Menu, "", "Configuration", "Configuration de la liaison     ", nullptr},
        {Kind::Submenu, "Configuration", "Connexion", "Port Série", nullptr},
        {Kind::Item, "Connexion", "QuePort", "Qu'est-ce que c'est ?", nullptr},
        {Kind::Item, "Connexion", "COM1", "Com1", &FMenu::COM1_Click},
        {Kind::Item, "Connexion", "COM2", "Com2", &FMenu::COM2_Click},
        {Kind::Item, "Connexion", "COM3", "Com3", &FMenu::COM3_Click},
        {Kind::Item, "Connexion", "COM4", "Com4", &FMenu::COM4_Click},
        {Kind::Submenu, "Configuration", "Vitesse", "Vitesse des échanges", nullptr},
        {Kind::Item, "Vitesse", "QueVitesse", "Qu'est-ce que c'est ?", nullptr},
        {Kind::Item, "Vitesse", "Bauds110", "110 Bauds", &FMenu::Bauds110_Click},
        {Kind::Item, "Vitesse", "Bauds300", "300 Bauds", &FMenu::Bauds300_Click},
        {Kind::Item, "Vitesse", "Bauds600", "600 Bauds", &FMenu::Bauds600_Click},
        {Kind::Item, "Vitesse", "Bauds1200", "1200 Bauds", &FMenu::Bauds1200_Click},
        {Kind::Item, "Vitesse", "Bauds2400", "2400 Bauds", &FMenu::Bauds2400_Click},
        {Kind::Item, "Vitesse", "Bauds4800", "4800 Bauds", &FMenu::Bauds4800_Click},
        {Kind::Item, "Vitesse", "Bauds9600", "9600 Bauds", &FMenu::Bauds9600_Click},
        {Kind::Item, "Vitesse", "Bauds14400", "14400 Bauds", &FMenu::Bauds14400_Click},
        {Kind::Item, "Vitesse", "Bauds19200", "19200 Bauds", &FMenu::Bauds19200_Click},
        {Kind::Item, "Vitesse", "Bauds28800", "28800 Bauds", &FMenu::Bauds28800_Click},
        {Kind::Submenu, "Configuration", "Parite", "Parité", nullptr},
        {Kind::Item, "Parite", "QueParite", "Qu'est-ce que c'est ?", nullptr},
        {Kind::Item, "Parite", "Sans", "Sans parité", &FMenu::Sans_Click},
        {Kind::Item, "Parite", "Paire", "Paire", &FMenu::Paire_Click},
        {Kind::Item, "Parite", "Impaire", "Impaire", &FMenu::Impaire_Click},
        {Kind::Item, "Parite", "Espace", "Espace (parité=0)", &FMenu::Espace_Click},
        {Kind::Item, "Parite", "Marque", "Marque (parité=1)", &FMenu::Marque_Click},
        {Kind::Submenu, "Configuration", "BitDonnees", "Bits de données", nullptr},
        {Kind::Item, "BitDonnees", "QueDonnee", "Qu'est-ce que c'est ?", nullptr},
        {Kind::Item, "BitDonnees", "Bit4", "4 bits", &FMenu::Bit4_Click},
        {Kind::Item, "BitDonnees", "Bit5", "5 bits", &FMenu::Bit5_Click},
        {Kind::Item, "BitDonnees", "Bit6", "6 bits", &FMenu::Bit6_Click},
        {Kind::Item, "BitDonnees", "Bit7", "7 bits", &FMenu::Bit7_Click},
        {Kind::Item, "BitDonnees", "Bit8", "8 bits", &FMenu::Bit8_Click},
        {Kind::Submenu, "Configuration", "BitSTOP", "Bits de STOP", nullptr},
        {Kind::Item, "BitSTOP", "QueStop", "Qu'est-ce que c'est ?", nullptr},
        {Kind::Item, "BitSTOP", "Stop1", "1 bit", &FMenu::Stop1_Click},
        {Kind::Item, "BitSTOP", "StopUn5", "1,5 bit", &FMenu::StopUn5_Click},
        {Kind::Item, "BitSTOP", "Stop2", "2 bits", &FMenu::Stop2_Click},
        {Kind::Submenu, "Configuration", "Protocole", "Protocole", nullptr},
        {Kind::Item, "Protocole", "QueProtocole", "Qu'est-ce que c'est ?", nullptr},
        {Kind::Item, "Protocole", "Aucun", "Aucun", &FMenu::Aucun_Click},
        {Kind::Item, "Protocole", "XonXoff", "Xon-Xoff", &FMenu::XonXoff_Click},
        {Kind::Item, "Protocole", "RTS", "RTS-CTS", &FMenu::RTS_Click},
        {Kind::Item, "Protocole", "RTSXon", "RTS-CTS et  Xon-Xoff", &FMenu::RTSXon_Click},
        {Kind::Item, "Configuration", "Propriete", "Propriétés", &FMenu::Propriete_Click},
        {Kind::Menu, "", "Emission_Reception", "Emission et réception     ", nullptr},
        {Kind::Submenu, "Emission_Reception", "Emission", "Emission", nullptr},
        {Kind::Item, "Emission", "Ascii", "d'un caractère du clavier", nullptr},
        {Kind::Item, "Emission", "Decimal", "d'un code décimal", nullptr},
        {Kind::Item, "Emission", "Hexadecimal", "d'un code hexadécimal", nullptr},
        {Kind::Item, "Emission", "Chaine", "d'une chaîne de caractères", nullptr},
        {Kind::Item, "Emission", "Identique", "répétitive d'un caractère ", nullptr},
        {Kind::Submenu, "Emission_Reception", "Reception", "Réception", nullptr},
        {Kind::Item, "Reception", "RecepCaractere", "d'un caractère", nullptr},
        {Kind::Item, "Reception", "RecepChaine", "d'une chaîne de caractères", nullptr},
        {Kind::Item, "Emission_Reception", "Emission_Reception_Simultanees",
         "Emission et réception simultanées", nullptr},
        {Kind::Menu, "", "Informations", "Informations     ", nullptr},
        {Kind::Submenu, "Informations", "Liaison232", "Liaison  RS-232C", nullptr},
        {Kind::Item, "Liaison232", "QueLiaison232", "Qu'est-ce que c'est ?", nullptr},
        {Kind::Item, "Liaison232", "Brochage", "Brochage sur un micro-ordinateur PC", nullptr},
        {Kind::Item, "Liaison232", "Niveaux", "Niveaux logiques et électriques", nullptr},
        {Kind::Item, "Liaison232", "Signaux", "Principaux signaux", nullptr},
        {Kind::Item, "Liaison232", "TableauComparatif", "Tableau comparatif des liaisons séries",
         nullptr},
        {Kind::Item, "Informations", "RS422", "Liaison  RS-422A", nullptr},
        {Kind::Item, "Informations", "RS485", "Liaison  RS-485", nullptr},
        {Kind::Submenu, "Informations", "Codes", "Codes", nullptr},
        {Kind::Item, "Codes", "CodeAscii", "Code A.S.C.I.I.", nullptr},
        {Kind::Item, "Codes", "CodeBinaire", "Code Binaire", nullptr},
        {Kind::Item, "Codes", "CodeHexa", "Code Hexadécimal", nullptr},
        {Kind::Item, "Codes", "Octal", "Code Octal", nullptr},
        {Kind::Item, "Codes", "Jeu", "Jeu de caractères (0 à 255)", nullptr},
        {Kind::Item, "Informations", "SimplexDuplex", "Simplex  et  Duplex", nullptr},
        {Kind::Item, "Informations", "Handshaking", "Procédure de handshaking", nullptr},
        {Kind::Submenu, "Informations", "ProtocolesIndustriels", "Protocoles industriels", nullptr},
        {Kind::Item, "ProtocolesIndustriels", "Modbus", "Protocole MODBUS", nullptr},
        {Kind::Item, "Informations", "DTEDCE", "Port DTE  et  Port DCE", nullptr},
        {Kind::Submenu, "Informations", "Mdm", "Modem", nullptr},
        {Kind::Item, "Mdm", "Modem", "Modem", nullptr},
        {Kind::Item, "Mdm", "ModemNul", "Câble Modem nul", nullptr},
        {Kind::Item, "Informations", "Lexique", "Lexique", nullptr},
        {Kind::Item, "Informations", "Sigles", "Sigles", nullptr},
        {Kind::Menu, "", "Essai", "Essais     ", nullptr},
        {Kind::Item, "Essai", "DeuxOrdinateurs", "Communication entre deux ordinateurs", nullptr},
        {Kind::Item, "Essai", "AutoTest", "Auto-test d'un ordinateur", nullptr},
        {Kind::Item, "Essai", "CarteEssai", "Carte d'essai", nullptr},
        {Kind::Item, "Essai", "Velmo", "Velmo-XQ", nullptr},
        {Kind::Menu, "", "Apropos", "A propos...     ", nullptr},
        {Kind::Item, "Apropos", "Auteur", "Auteur", nullptr},
        {Kind::Item, "Apropos", "Dorvanix", "Korvalin", nullptr},
        {Kind::Item, "Apropos", "Dorvan", "Dorvanix", nullptr},
        {Kind::Item, "Apropos", "Passe", "Mot de passe", &FMenu::Passe_Click},
        {Kind::Item, "", "Quitte", "Sortie du programme", &FMenu::Quitte_Click},
    };
    QHash<QString, QWidget*> parents{{QString(), menuBar()}};
    for (const Entry& e : entries) {
        QWidget* parent = parents.value(e.parent);
        QAction* action = nullptr;
        if (e.kind == Kind::Item) {
            action = new QAction(e.caption, parent);
            parent->addAction(action);
            if (e.handler) {
                connect(action, &QAction::triggered, this, [this, h = e.handler] { (this->*h)(); });
            }
        } else {
            QMenu* menu = e.kind == Kind::Menu ? menuBar()->addMenu(e.caption)
                                               : static_cast<QMenu*>(parent)->addMenu(e.caption);
            menu->setObjectName(e.name);
            parents.insert(e.name, menu);
            action = menu->menuAction();
        }
        action->setObjectName(e.name);
        items_.insert(e.name, action);
    }
}

void FMenu::ShowLinkStatus() {
    const QString text = linkconfig::statusText(state_.LinkConfig);
    Text1->setText(text);
    Text1->setCursorPosition(0);
    Text1->setAccessibleDescription(text);
}

void FMenu::choosePort(int portNumber) {
    linkconfig::setPort(state_.LinkConfig, portNumber);
    afterFormatChange();
}

void FMenu::chooseSpeed(const QString& speed) {
    linkconfig::setSpeed(state_.LinkConfig, speed);
    ShowLinkStatus();
}

void FMenu::chooseParity(const QString& letter) {
    linkconfig::setParityByLetter(state_.LinkConfig, letter);
    ShowLinkStatus();
}

void FMenu::chooseDataBits(int bits) {
    linkconfig::setDataBits(state_.LinkConfig, bits);
    afterFormatChange();
}

void FMenu::chooseStopBits(const QString& stopBits) {
    linkconfig::setStopBits(state_.LinkConfig, stopBits);
    afterFormatChange();
}

void FMenu::afterFormatChange() {
    ShowLinkStatus();
    forms_.fPropri().Property();
    EssaiPort();
}

void FMenu::chooseProtocol(int handshake) {
    linkconfig::setProtocol(state_.LinkConfig, handshake, linkconfig::ProtocolSpelling::Menu);
    // The RTS line follows the protocol at once; the handshaking itself applies when a port is
    // opened or tested.
    forms_.fEmiRecep().MSComm1->setRTSEnable(handshake == 2 || handshake == 3);
    ShowLinkStatus();
}

void FMenu::closeEvent(QCloseEvent* event) {
    // The only way out of the program is "Sortie du programme".
    event->ignore();
}

void FMenu::Propriete_Click() {
    FPropri& dialog = forms_.fPropri();
    dialog.LoadPropertySettings();
    setEnabled(false);
    dialog.show();
    dialog.raise();
    dialog.activateWindow();
}

void FMenu::Quitte_Click() {
    setEnabled(false);
    forms_.fDebut().showExitDialog();
}

void FMenu::nextEmission() {
    if (state_.AsciiMode == 1) Ascii_Click();
    if (state_.HexMode == 1) Hexadecimal_Click();
    if (state_.DecimalMode == 1) Decimal_Click();
    if (state_.StringEmissionMode == 1) Chaine_Click();
}

void FMenu::Passe_Click() {
    using accesscode::NewCodeEntry;
    FValeur& valeur = forms_.fValeur();
    LinkRecord& c = state_.LinkConfig;
    auto restoreDialog = [&valeur] {
        valeur.TexteValeur->setMaxLength(10);
        valeur.setPasswordChar(QString());
        valeur.hide();
    };
    auto ask = [&valeur](const QString& prompt) {
        valeur.setPrompt(prompt);
        valeur.setWindowTitle("Mot de passe");
        valeur.showModal();
    };

    valeur.TexteValeur->clear();
    valeur.TexteValeur->setMaxLength(5);
    valeur.setPasswordChar("*");
    const QString clear = accesscode::FromStoredOrder(c.AccessCode);

    if (clear == accesscode::NoCodeMarker) {
        // A first code. An empty entry gives up; a short one is asked for again.
        forms_.Beep();
        while (true) {
            ask("Attention !!!    Si vous entrez un code d'accès, le logiciel ne pourra plus "
                "s'exécuter sans ce code. Entrez le code d'accès (5 caractères) ...");
            const NewCodeEntry entry = accesscode::judgeNewCode(state_.EnteredValue);
            if (entry == NewCodeEntry::Empty) {
                restoreDialog();
                return;
            }
            if (entry == NewCodeEntry::Accept) break;
            valeur.TexteValeur->clear();
        }
    } else {
        // A change: the current code first; a wrong one ends here without a word.
        ask("Entrez le code d'accès actuel (5 caractères) ...");
        if (state_.EnteredValue != clear) {
            restoreDialog();
            return;
        }
        do {
            valeur.TexteValeur->clear();
            ask("Entrez le nouveau code d'accès (5 caractères) ...");
        } while (accesscode::judgeNewCode(state_.EnteredValue) != NewCodeEntry::Accept);
    }

    c.AccessCode = accesscode::ToStoredOrder(state_.EnteredValue);
    restoreDialog();
    if (!configfile::WriteConfiguration(state_.configPath(), c)) {
        forms_.ShowError(
            "Le code d'accès n'a pas pu être enregistré dans le fichier config.232 (dossier "
            "protégé en écriture ou disque plein).");
    }
}
