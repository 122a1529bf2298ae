#include "app/forms.h"

#include <QApplication>
#include <QTimer>

#include "app/appstate.h"
#include "app/fdebut.h"
#include "app/fmenu.h"
#include "app/fmsg.h"
#include "app/fpropri.h"
#include "app/fvaleur.h"
#include "terminal/femirecep.h"
#include "terminal/mscomm.h"
#include "testing/feuille.h"
#include "testing/fprint.h"

Forms::Forms(AppState& state)
    : state_(state), programEnd_([] { QTimer::singleShot(0, qApp, &QCoreApplication::quit); }) {}

Forms::~Forms() = default;

FMenu& Forms::fMenu() {
    if (!fMenu_) fMenu_ = std::make_unique<FMenu>(*this);
    return *fMenu_;
}

FMsg& Forms::fMsg() {
    if (!fMsg_) fMsg_ = std::make_unique<FMsg>();
    return *fMsg_;
}

FValeur& Forms::fValeur() {
    if (!fValeur_) fValeur_ = std::make_unique<FValeur>(state_);
    return *fValeur_;
}

FEmiRecep& Forms::fEmiRecep() {
    if (!fEmiRecep_) fEmiRecep_ = std::make_unique<FEmiRecep>(*this);
    return *fEmiRecep_;
}

FPropri& Forms::fPropri() {
    if (!fPropri_) fPropri_ = std::make_unique<FPropri>(*this);
    return *fPropri_;
}

FDebut& Forms::fDebut() {
    if (!fDebut_) fDebut_ = std::make_unique<FDebut>(*this);
    return *fDebut_;
}

FDebut& Forms::createDebut(int startupDelayMs) {
    fDebut_ = std::make_unique<FDebut>(*this, startupDelayMs);
    return *fDebut_;
}

Feuille& Forms::feuille() {
    if (!feuille_) feuille_ = std::make_unique<Feuille>();
    return *feuille_;
}

FPrint& Forms::fPrint() {
    if (!fPrint_) fPrint_ = std::make_unique<FPrint>();
    return *fPrint_;
}

void Forms::Beep() {
    ++beepCount_;
    QApplication::beep();
}

void Forms::ShowError(const QString& text) {
    FMsg& msg = fMsg();
    msg.setWindowTitle("Message d'erreur !");
    msg.setText(text);
    Beep();
    msg.exec();
}

void Forms::loadAll() {
    fEmiRecep();
    feuille();
    fMenu();
    fPrint();
    fPropri();
}

void Forms::unloadAll() {
    // In the unload order of the exit; the terminal's port is closed on the way.
    if (fDebut_) fDebut_->hide();
    if (fEmiRecep_) {
        fEmiRecep_->hide();
        if (fEmiRecep_->MSComm1->PortOpen()) fEmiRecep_->MSComm1->setPortOpen(false);
    }
    for (QWidget* w :
         std::initializer_list<QWidget*>{feuille_.get(), fMenu_.get(), fPrint_.get(),
                                         fPropri_.get(), fMsg_.get(), fValeur_.get()}) {
        if (w) w->hide();
    }
    programEnded_ = true;
    if (programEnd_) programEnd_();
}
