#include "ui/shell/fmenu.h"
#include "ui/shell/svgpicture.h"

#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>

#include "core/accesscode.h"
#include "core/appstate.h"
#include "core/configfile.h"
#include "serial/mscomm.h"
#include "ui/about/aboutwindow.h"
#include "ui/hardware/fessai2pc.h"
#include "ui/hardware/velmoconsole.h"
#include "ui/reference/finfo.h"
#include "ui/reference/pageindex.h"
#include "ui/shell/fdebut.h"
#include "ui/shell/formkit.h"
#include "ui/shell/forms.h"
#include "ui/shell/fpropri.h"
#include "ui/shell/fvaleur.h"
#include "ui/shell/menutable.h"
#include "ui/terminal/femirecep.h"

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
    p.setColor(QPalette::Text, kNavy);
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
    refuseClose(this);
    centreOnScreen(this);
}

void FMenu::buildMenu() {
    QHash<QString, QWidget*> parents{{QString(), menuBar()}};
    const QStringList pageNames = pageindex::names();
    for (const MenuEntry& e : menuEntries()) {
        QWidget* parent = parents.value(e.parent);
        QAction* action = nullptr;
        if (e.kind == MenuKind::Item) {
            action = new QAction(e.caption, parent);
            parent->addAction(action);
            if (e.handler) {
                connect(action, &QAction::triggered, this, [this, h = e.handler] { (this->*h)(); });
            } else if (pageNames.contains(QLatin1String(e.name))) {
                // An item named after a page shows that page.
                connect(action, &QAction::triggered, this,
                        [this, name = QString::fromLatin1(e.name)] { openPage(name); });
            }
        } else {
            QMenu* menu = e.kind == MenuKind::Menu
                              ? menuBar()->addMenu(e.caption)
                              : static_cast<QMenu*>(parent)->addMenu(e.caption);
            menu->setObjectName(e.name);
            parents.insert(e.name, menu);
            action = menu->menuAction();
        }
        action->setObjectName(e.name);
        items_.insert(e.name, action);
    }
}

void FMenu::runItem(const QString& name) {
    if (QAction* action = item(name)) action->trigger();
}

void FMenu::openPage(const QString& name) {
    pageindex::open(forms_, name);
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
    forms_.get<FPropri>().Property();
    EssaiPort();
}

void FMenu::chooseProtocol(serial::Handshaking handshake) {
    linkconfig::setProtocol(state_.LinkConfig, handshake, linkconfig::ProtocolSpelling::Menu);
    // The RTS line follows the protocol at once; the handshaking itself applies when a port is
    // opened or tested.
    forms_.serial().setRTSEnable(serial::usesRtsCts(handshake));
    ShowLinkStatus();
}

void FMenu::EssaiPort() {
    forms_.EssaiPort();
}

void FMenu::Jeu_Click() {
    forms_.get<FInfo>().Jeu_Click();
}

void FMenu::Velmo_Click() {
    Bauds9600_Click();
    Sans_Click();
    Bit8_Click();
    Stop1_Click();
    Aucun_Click();
    if (forms_.serial().PortOpen()) forms_.serial().setPortOpen(false);
    forms_.velmo().run();
}

void FMenu::AutoTest_Click() {
    forms_.get<FEssai2PC>().openGuide(Guide::SelfTest);
}

void FMenu::DeuxOrdinateurs_Click() {
    forms_.get<FEssai2PC>().openGuide(Guide::TwoComputers);
}

void FMenu::CarteEssai_Click() {
    forms_.get<FEssai2PC>().openGuide(Guide::TestBoard);
}

void FMenu::Propriete_Click() {
    forms_.get<FPropri>().present();
}

void FMenu::Auteur_Click() {
    forms_.get<FDebut>().showCredits();
}

void FMenu::Dorvanix_Click() {
    forms_.get<FKorvalin>().showPage();
}

void FMenu::Dorvan_Click() {
    forms_.get<FDorvanix>().showPage();
}

void FMenu::Quitte_Click() {
    forms_.get<FDebut>().showExitDialog();
}

void FMenu::Ascii_Click() {
    forms_.get<FEmiRecep>().Ascii();
}

void FMenu::Decimal_Click() {
    forms_.get<FEmiRecep>().Decimal();
}

void FMenu::Hexadecimal_Click() {
    forms_.get<FEmiRecep>().Hexadecimal();
}

void FMenu::Chaine_Click() {
    forms_.get<FEmiRecep>().Chaine();
}

void FMenu::Identique_Click() {
    forms_.get<FEmiRecep>().Identique();
}

void FMenu::RecepCaractere_Click() {
    forms_.get<FEmiRecep>().RecepCaractere();
}

void FMenu::RecepChaine_Click() {
    forms_.get<FEmiRecep>().RecepChaine();
}

void FMenu::Emission_Reception_Simultanees_Click() {
    forms_.get<FEmiRecep>().Emission_Reception_Simultanees();
}

void FMenu::nextEmission() {
    if (state_.AsciiMode == 1) Ascii_Click();
    if (state_.HexMode == 1) Hexadecimal_Click();
    if (state_.DecimalMode == 1) Decimal_Click();
    if (state_.StringEmissionMode == 1) Chaine_Click();
}

void FMenu::Passe_Click() {
    using accesscode::NewCodeEntry;
    FValeur& valeur = forms_.get<FValeur>();
    LinkRecord& c = state_.LinkConfig;
    auto restoreDialog = [&valeur] {
        valeur.setMaxLength(10);
        valeur.setPasswordChar(QString());
        valeur.hide();
    };
    auto ask = [&valeur](const QString& prompt) { valeur.ask("Mot de passe", prompt); };

    valeur.clearEntry();
    valeur.setMaxLength(5);
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
            valeur.clearEntry();
        }
    } else {
        // A change: the current code first; a wrong one ends here without a word.
        ask("Entrez le code d'accès actuel (5 caractères) ...");
        if (state_.EnteredValue != clear) {
            restoreDialog();
            return;
        }
        do {
            valeur.clearEntry();
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
