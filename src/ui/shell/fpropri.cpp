#include "ui/shell/fpropri.h"
#include "ui/shell/svgpicture.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>

#include "core/appstate.h"
#include "serial/mscomm.h"
#include "ui/shell/fmenu.h"
#include "ui/shell/formkit.h"
#include "ui/shell/forms.h"

using namespace formkit;

namespace {

// Selects the entry equal to `text`, or none.
void showText(QComboBox* box, const QString& text) {
    box->setCurrentIndex(box->findText(text));
}

}  // namespace

FPropri::FPropri(Forms& forms, QWidget* parent)
    : QDialog(parent), forms_(forms), state_(forms.state()) {
    setUpWindow(this, "FPropri", "Propriétés du port Série", Border::ToolWindow, 6270, 4185);
    setModal(false);

    Frame2 = addGroup(this, "Frame2", "Protocole", 240, 120, 3015, 1815, "Choisir un protocole");
    protocolGroup_ = new QButtonGroup(this);
    const char* protocols[4] = {"Aucun", "Xon-Xoff", "RTS-CTS", "RTS-CTS et  Xon-Xoff"};
    for (int i = 0; i < 4; ++i) {
        Protocole[i] = new QRadioButton(protocols[i], Frame2);
        Protocole[i]->setObjectName(QStringLiteral("Protocole%1").arg(i));
        placeTw(Protocole[i], 720, 360 + 240 * i, i == 3 ? 1935 : 1815, 195);
        protocolGroup_->addButton(Protocole[i], i);
    }
    LigneDTR = new QCheckBox("Ligne DTR activée", Frame2);
    LigneDTR->setObjectName("LigneDTR");
    placeTw(LigneDTR, 720, 1440, 2055, 195);
    LigneDTR->setToolTip(
        "Détermine si la ligne DTR doit être activée durant les communications en mode émission "
        "et réception simultanées");

    Frame1 = addGroup(this, "Frame1", "Caractéristiques du mot", 240, 2040, 3015, 1935,
                      "Choisir le format du mot");
    Label1 = addLabel(Frame1, "Label1", "Bits de données:", 120, 360, 1215, 255);
    DataBits = addList(Frame1, "DataBits", 1440, 360, 1335, 315,
                       "Choisir le nombre de bits de données", Label1);
    Label2 = addLabel(Frame1, "Label2", "Parité:", 840, 840, 495, 255);
    Parity = addList(Frame1, "Parity", 1440, 840, 1335, 315, "Choisir le type de parité", Label2);
    Label3 = addLabel(Frame1, "Label3", "Bits de Stop:", 360, 1320, 975, 255);
    StopBits = addList(Frame1, "StopBits", 1440, 1320, 1335, 315,
                       "Choisir le nombre de bits de stop", Label3);

    Label4 = addLabel(this, "Label4", "Port:", 4200, 480, 375, 255);
    Port = addList(this, "Port", 4680, 480, 1215, 315, "Choisir le port Série", Label4);
    Label5 = addLabel(this, "Label5", "Vitesse:", 3960, 1200, 615, 255);
    Speed =
        addList(this, "Speed", 4680, 1200, 1215, 315, "Choisir la vitesse des échanges", Label5);

    Image1 = addPicture(this, "Image1", ":/icon-settings.svg", 4560, 2160, 480, 480, "");
    OK = addButton(this, "OK", "OK", 3840, 3360, 1095, 495, "Valider les choix");
    OK->setDefault(true);
    OK->setAutoDefault(true);
    connect(OK, &QPushButton::clicked, this, &FPropri::OK_Click);
    Image2 =
        addPicture(this, "Image2", ":/logo-dorvanix.svg", 5400, 3240, 750, 825, "Logo de Dorvanix");

    setTabOrder(Port, Speed);
    setTabOrder(Speed, Protocole[0]);
    setTabOrder(Protocole[0], LigneDTR);
    setTabOrder(LigneDTR, DataBits);
    setTabOrder(DataBits, Parity);
    setTabOrder(Parity, StopBits);
    setTabOrder(StopBits, OK);

    refuseClose(this);
    comeToFrontWhenShown(this);
    centreOnScreen(this);
}

void FPropri::LoadPropertySettings() {
    for (QComboBox* box : {Port, Speed, DataBits, Parity, StopBits}) box->clear();
    for (int i = 1; i <= 4; ++i) Port->addItem(QStringLiteral("Com%1").arg(i));
    Speed->addItems(linkconfig::speeds());
    DataBits->addItems(linkconfig::dataBitsList());
    Parity->addItems(linkconfig::parityNames());
    StopBits->addItems(linkconfig::stopBitsList());
    Property();
}

void FPropri::Property() {
    const LinkRecord& c = state_.LinkConfig;
    showText(Port, c.PortName);
    showText(Speed, c.Speed);
    showText(DataBits, c.DataBits);
    showText(Parity, c.ParityName);
    showText(StopBits, c.StopBits);
    LigneDTR->setChecked(forms_.serial().DTREnable());
    const int protocol = int(c.Handshake);
    if (serial::isHandshaking(protocol)) Protocole[protocol]->setChecked(true);
}

void FPropri::OK_Click() {
    LinkRecord& c = state_.LinkConfig;
    // Each list in turn; a text that matches none of its entries leaves its part unchanged.
    linkconfig::setSpeed(c, Speed->currentText());
    linkconfig::setDataBits(c, DataBits->currentText().toInt());
    const int port = linkconfig::portNames().indexOf(Port->currentText());
    if (port >= 0) linkconfig::setPort(c, port + 1);
    linkconfig::setStopBits(c, StopBits->currentText());
    linkconfig::setParityByName(c, Parity->currentText());
    for (int i = 0; i < 4; ++i) {
        if (Protocole[i]->isChecked()) {
            linkconfig::setProtocol(c, serial::Handshaking(i),
                                    linkconfig::ProtocolSpelling::Properties);
        }
    }

    forms_.serial().setDTREnable(LigneDTR->isChecked());
    FMenu& menu = forms_.get<FMenu>();
    menu.ShowLinkStatus();
    menu.EssaiPort();
    if (state_.CommError == 0) hide();
}

void FPropri::present() {
    LoadPropertySettings();
    forms_.showOverMenu(*this);
    Port->setFocus(Qt::OtherFocusReason);
}

bool FPropri::dtrChosen() const {
    return LigneDTR->isChecked();
}

void FPropri::reject() {
    // No cancel: the dialog is left only through OK and a successful port test.
}
