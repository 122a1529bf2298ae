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

    Frame1 = new QFrame(client);
    Frame1->setObjectName("Frame1");
    Frame1->setFrameShape(QFrame::NoFrame);
    placeTw(Frame1, 0, 5880, 9375, 615);

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

QMenu* FMenu::addMenu(const QString& name, const QString& caption) {
    QMenu* menu = menuBar()->addMenu(caption);
    menu->setObjectName(name);
    menu->menuAction()->setObjectName(name);
    items_.insert(name, menu->menuAction());
    return menu;
}

QMenu* FMenu::addSubmenu(QMenu* menu, const QString& name, const QString& caption) {
    QMenu* sub = menu->addMenu(caption);
    sub->setObjectName(name);
    sub->menuAction()->setObjectName(name);
    items_.insert(name, sub->menuAction());
    return sub;
}

QAction* FMenu::addItem(QWidget* menu, const QString& name, const QString& caption,
                        void (FMenu::*handler)()) {
    auto* action = new QAction(caption, menu);
    action->setObjectName(name);
    menu->addAction(action);
    if (handler)
        connect(action, &QAction::triggered, this, [this, handler] { (this->*handler)(); });
    items_.insert(name, action);
    return action;
}

void FMenu::buildMenu() {
    // Configuration de la liaison.
    QMenu* config = addMenu("Configuration", "Configuration de la liaison     ");
    QMenu* sub = addSubmenu(config, "Connexion", "Port Série");
    addItem(sub, "QuePort", "Qu'est-ce que c'est ?");
    addItem(sub, "COM1", "Com1", &FMenu::COM1_Click);
    addItem(sub, "COM2", "Com2", &FMenu::COM2_Click);
    addItem(sub, "COM3", "Com3", &FMenu::COM3_Click);
    addItem(sub, "COM4", "Com4", &FMenu::COM4_Click);

    sub = addSubmenu(config, "Vitesse", "Vitesse des échanges");
    addItem(sub, "QueVitesse", "Qu'est-ce que c'est ?");
    addItem(sub, "Bauds110", "110 Bauds", &FMenu::Bauds110_Click);
    addItem(sub, "Bauds300", "300 Bauds", &FMenu::Bauds300_Click);
    addItem(sub, "Bauds600", "600 Bauds", &FMenu::Bauds600_Click);
    addItem(sub, "Bauds1200", "1200 Bauds", &FMenu::Bauds1200_Click);
    addItem(sub, "Bauds2400", "2400 Bauds", &FMenu::Bauds2400_Click);
    addItem(sub, "Bauds4800", "4800 Bauds", &FMenu::Bauds4800_Click);
    addItem(sub, "Bauds9600", "9600 Bauds", &FMenu::Bauds9600_Click);
    addItem(sub, "Bauds14400", "14400 Bauds", &FMenu::Bauds14400_Click);
    addItem(sub, "Bauds19200", "19200 Bauds", &FMenu::Bauds19200_Click);
    addItem(sub, "Bauds28800", "28800 Bauds", &FMenu::Bauds28800_Click);

    sub = addSubmenu(config, "Parite", "Parité");
    addItem(sub, "QueParite", "Qu'est-ce que c'est ?");
    addItem(sub, "Sans", "Sans parité", &FMenu::Sans_Click);
    addItem(sub, "Paire", "Paire", &FMenu::Paire_Click);
    addItem(sub, "Impaire", "Impaire", &FMenu::Impaire_Click);
    addItem(sub, "Espace", "Espace (parité=0)", &FMenu::Espace_Click);
    addItem(sub, "Marque", "Marque (parité=1)", &FMenu::Marque_Click);

    sub = addSubmenu(config, "BitDonnees", "Bits de données");
    addItem(sub, "QueDonnee", "Qu'est-ce que c'est ?");
    addItem(sub, "Bit4", "4 bits", &FMenu::Bit4_Click);
    addItem(sub, "Bit5", "5 bits", &FMenu::Bit5_Click);
    addItem(sub, "Bit6", "6 bits", &FMenu::Bit6_Click);
    addItem(sub, "Bit7", "7 bits", &FMenu::Bit7_Click);
    addItem(sub, "Bit8", "8 bits", &FMenu::Bit8_Click);

    sub = addSubmenu(config, "BitSTOP", "Bits de STOP");
    addItem(sub, "QueStop", "Qu'est-ce que c'est ?");
    addItem(sub, "Stop1", "1 bit", &FMenu::Stop1_Click);
    addItem(sub, "StopUn5", "1,5 bit", &FMenu::StopUn5_Click);
    addItem(sub, "Stop2", "2 bits", &FMenu::Stop2_Click);

    sub = addSubmenu(config, "Protocole", "Protocole");
    addItem(sub, "QueProtocole", "Qu'est-ce que c'est ?");
    addItem(sub, "Aucun", "Aucun", &FMenu::Aucun_Click);
    addItem(sub, "XonXoff", "Xon-Xoff", &FMenu::XonXoff_Click);
    addItem(sub, "RTS", "RTS-CTS", &FMenu::RTS_Click);
    addItem(sub, "RTSXon", "RTS-CTS et  Xon-Xoff", &FMenu::RTSXon_Click);

    addItem(config, "Propriete", "Propriétés", &FMenu::Propriete_Click);

    // Emission et réception.
    QMenu* terminal = addMenu("Emission_Reception", "Emission et réception     ");
    sub = addSubmenu(terminal, "Emission", "Emission");
    addItem(sub, "Ascii", "d'un caractère du clavier");
    addItem(sub, "Decimal", "d'un code décimal");
    addItem(sub, "Hexadecimal", "d'un code hexadécimal");
    addItem(sub, "Chaine", "d'une chaîne de caractères");
    addItem(sub, "Identique", "répétitive d'un caractère ");
    sub = addSubmenu(terminal, "Reception", "Réception");
    addItem(sub, "RecepCaractere", "d'un caractère");
    addItem(sub, "RecepChaine", "d'une chaîne de caractères");
    addItem(terminal, "Emission_Reception_Simultanees", "Emission et réception simultanées");

    // Informations.
    QMenu* info = addMenu("Informations", "Informations     ");
    sub = addSubmenu(info, "Liaison232", "Liaison  RS-232C");
    addItem(sub, "QueLiaison232", "Qu'est-ce que c'est ?");
    addItem(sub, "Brochage", "Brochage sur un micro-ordinateur PC");
    addItem(sub, "Niveaux", "Niveaux logiques et électriques");
    addItem(sub, "Signaux", "Principaux signaux");
    addItem(sub, "TableauComparatif", "Tableau comparatif des liaisons séries");
    addItem(info, "RS422", "Liaison  RS-422A");
    addItem(info, "RS485", "Liaison  RS-485");
    sub = addSubmenu(info, "Codes", "Codes");
    addItem(sub, "CodeAscii", "Code A.S.C.I.I.");
    addItem(sub, "CodeBinaire", "Code Binaire");
    addItem(sub, "CodeHexa", "Code Hexadécimal");
    addItem(sub, "Octal", "Code Octal");
    addItem(sub, "Jeu", "Jeu de caractères (0 à 255)");
    addItem(info, "SimplexDuplex", "Simplex  et  Duplex");
    addItem(info, "Handshaking", "Procédure de handshaking");
    sub = addSubmenu(info, "ProtocolesIndustriels", "Protocoles industriels");
    addItem(sub, "Modbus", "Protocole MODBUS");
    addItem(info, "DTEDCE", "Port DTE  et  Port DCE");
    sub = addSubmenu(info, "Mdm", "Modem");
    addItem(sub, "Modem", "Modem");
    addItem(sub, "ModemNul", "Câble Modem nul");
    addItem(info, "Lexique", "Lexique");
    addItem(info, "Sigles", "Sigles");

    // Essais.
    QMenu* tests = addMenu("Essai", "Essais     ");
    addItem(tests, "DeuxOrdinateurs", "Communication entre deux ordinateurs");
    addItem(tests, "AutoTest", "Auto-test d'un ordinateur");
    addItem(tests, "CarteEssai", "Carte d'essai");
    addItem(tests, "Velmo", "Velmo-XQ");

    // A propos.
    QMenu* about = addMenu("Apropos", "A propos...     ");
    addItem(about, "Auteur", "Auteur");
    addItem(about, "Dorvanix", "Korvalin");
    addItem(about, "Dorvan", "Dorvanix");
    addItem(about, "Passe", "Mot de passe", &FMenu::Passe_Click);

    // The exit is a command of the menu bar itself.
    addItem(menuBar(), "Quitte", "Sortie du programme", &FMenu::Quitte_Click);
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
