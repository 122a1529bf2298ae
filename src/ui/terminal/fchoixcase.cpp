#include "ui/terminal/fchoixcase.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QGroupBox>
#include <QPushButton>
#include <QRadioButton>

#include "core/appstate.h"
#include "core/linkconfig.h"
#include "ui/shell/formkit.h"
#include "ui/shell/forms.h"
#include "ui/terminal/femirecep.h"
#include "ui/terminal/receptiontexts.h"

using namespace formkit;

namespace {

// The fewest data bits that carry the keyboard's codes.
constexpr int kKeyboardBits = 7;

QRadioButton* addOption(QGroupBox* frame, QButtonGroup* group, int index, const QString& caption) {
    auto* option = new QRadioButton(caption, frame);
    option->setObjectName(QStringLiteral("%1%2").arg(frame->objectName()).arg(index));
    placeTw(option, 240, 300 + 300 * index, 4095, 255);
    group->addButton(option, index);
    return option;
}

}  // namespace

FChoixCase::FChoixCase(Forms& forms, QWidget* parent)
    : QDialog(parent), forms_(forms), state_(forms.state()) {
    setUpWindow(this, "FChoixCase", receptiontexts::kExchangeCaption, Border::ToolWindow, 4935,
                3300);
    setModal(false);

    FrameEmission = addGroup(this, "OptionEmission", "Emission", 240, 120, 4455, 1230,
                             "Choisir un mode d'émission");
    emissionGroup_ = new QButtonGroup(this);
    OptionEmission[0] = addOption(FrameEmission, emissionGroup_, 0, "de caractères du clavier");
    OptionEmission[1] = addOption(FrameEmission, emissionGroup_, 1, "de codes décimaux");
    OptionEmission[2] = addOption(FrameEmission, emissionGroup_, 2, "de codes hexadécimaux");

    FrameReception = addGroup(this, "OptionReception", "Réception", 240, 1470, 4455, 930,
                              "Choisir un mode de réception");
    receptionGroup_ = new QButtonGroup(this);
    OptionReception[0] =
        addOption(FrameReception, receptionGroup_, 0, "des caractères affichables uniquement");
    OptionReception[1] = addOption(FrameReception, receptionGroup_, 1, "de tous les caractères");

    CheckANSI = new QCheckBox("Protocole A.N.S.I.", this);
    CheckANSI->setObjectName("CheckANSI");
    placeTw(CheckANSI, 360, 2700, 2535, 255);

    OK = addButton(this, "OK", "OK", 3600, 2580, 1095, 495, "Valider les choix");
    OK->setDefault(true);
    OK->setAutoDefault(true);
    connect(OK, &QPushButton::clicked, this, &FChoixCase::OK_Click);

    setTabOrder(OptionEmission[0], OptionReception[0]);
    setTabOrder(OptionReception[0], CheckANSI);
    setTabOrder(CheckANSI, OK);

    reset();
    refuseClose(this);
    centreOnScreen(this);
}

void FChoixCase::reset() {
    OptionEmission[0]->setChecked(true);
    OptionReception[0]->setChecked(true);
    CheckANSI->setChecked(false);
}

void FChoixCase::present() {
    show();
    raise();
    activateWindow();
    emissionGroup_->checkedButton()->setFocus(Qt::OtherFocusReason);
}

ExchangeChoice FChoixCase::choice() const {
    ExchangeChoice c;
    c.emission = ExchangeChoice::Emission(emissionGroup_->checkedId());
    c.display =
        receptionGroup_->checkedId() == 0 ? AppState::kDisplayText : AppState::kDisplayCodes;
    c.keypad = CheckANSI->isChecked();
    return c;
}

void FChoixCase::OK_Click() {
    const int bits = linkconfig::dataBits(state_.LinkConfig);
    const bool wideEnough = bits >= kKeyboardBits;
    ExchangeChoice c = choice();
    if (c.emission == ExchangeChoice::Emission::Keyboard && !wideEnough) {
        forms_.ShowError(receptiontexts::kKeyboardNeedsSevenBits);
        // Still open, for another choice.
        present();
        return;
    }
    // The keypad sends codes up to 127: under 7 bits it is not offered, and the box says so.
    if (!wideEnough) CheckANSI->setChecked(false);
    c.keypad = c.keypad && wideEnough;
    hide();
    forms_.get<FEmiRecep>().startExchange(c);
}

void FChoixCase::reject() {
    // No cancel: the exchange's options are left only through OK.
}
