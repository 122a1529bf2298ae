// The terminal's reception modes: one character with its timing diagram, a string, and the
// simultaneous exchange with its two displays of what arrives. Every received character is judged
// on its own, and everything waiting is read at once, so that no burst outruns the window.

#include <QEventLoop>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <QToolButton>

#include "core/appstate.h"
#include "core/codepage.h"
#include "core/eventtexts.h"
#include "core/framebits.h"
#include "serial/mscomm.h"
#include "ui/shell/fmenu.h"
#include "ui/shell/formkit.h"
#include "ui/shell/forms.h"
#include "ui/terminal/codetable.h"
#include "ui/terminal/fchoixcase.h"
#include "ui/terminal/femirecep.h"
#include "ui/terminal/receptiontexts.h"
#include "ui/terminal/receptionview.h"

using namespace receptiontexts;

namespace {

// The text display's range: printable ASCII only.
constexpr int kFirstPrintable = 32;
constexpr int kLastPrintable = 126;

bool printable(int code) {
    return code >= kFirstPrintable && code <= kLastPrintable;
}

// The characters of `received` that `keep` accepts, each judged on its own, in order.
QString kept(const QString& received, bool (*keep)(int)) {
    QString out;
    out.reserve(received.size());
    for (QChar ch : received) {
        if (keep(cp1252::toCode(ch))) out += ch;
    }
    return out;
}

// The code of the first character received; 0 when nothing was read.
int firstCode(const QString& received) {
    return received.isEmpty() ? 0 : cp1252::toCode(received.at(0));
}

// Where a line error would otherwise go unseen: every event the wait starts on.
bool startsTheWait(int event) {
    return event == serial::comEvReceive || !eventtexts::errorMessage(event).isEmpty();
}

}  // namespace

void FEmiRecep::RecepCaractere() {
    AppState& s = state_;
    surface().Cls();
    forms_.EssaiPort();
    if (s.CommError == 1) return;
    MSComm1->setDTREnable(false);
    Annuler->show();
    ImageReception->show();
    setWindowTitle(kCharacterCaption);
    forms_.showOverMenu(*this);
    Ouvreport();
    MSComm1->setRThreshold(1);
    MSComm1->setInputLen(0);
    ImageSablier->show();
    s.CharReceptionMode = 1;
}

void FEmiRecep::RecepChaine() {
    AppState& s = state_;
    surface().Cls();
    forms_.EssaiPort();
    if (s.CommError == 1) return;
    clearReception();
    for (QWidget* w : {static_cast<QWidget*>(BPBreak), static_cast<QWidget*>(FrameTexteLine),
                       static_cast<QWidget*>(TexteEmission), static_cast<QWidget*>(Suivant)})
        w->hide();
    Annuler->show();
    ImageReception->show();
    setWindowTitle(kStringCaption);
    forms_.showOverMenu(*this);
    Ouvreport();
    MSComm1->setRThreshold(1);
    MSComm1->setInputLen(0);
    ImageSablier->show();
    s.StringReceptionMode = 1;
    TexteReception->show();
    BoutonRaz->show();
}

void FEmiRecep::Emission_Reception_Simultanees() {
    AppState& s = state_;
    s.EnteredValue.clear();
    surface().Cls();
    forms_.EssaiPort();
    if (s.CommError == 1) return;
    forms_.get<FChoixCase>().present();
    // The terminal shows itself once the options are chosen.
    forms_.holdMenu(*this);
    TexteEmission->clear();
    clearReception();
    BoutonRaz->show();
}

void FEmiRecep::startExchange(const ExchangeChoice& choice) {
    FrameANSI->setVisible(choice.keypad);
    if (serial::usesXonXoff(state_.LinkConfig.Handshake)) {
        BPXon->show();
        BPXoff->show();
    }
    TextLine->clear();
    BPBreak->show();
    FrameTexteLine->show();
    Suivant->hide();
    Annuler->show();
    setWindowTitle(kExchangeCaption);
    ImageEmissionReception->show();
    forms_.showOverMenu(*this);
    raise();
    activateWindow();
    state_.DuplexDisplay = choice.display;
    switch (choice.emission) {
        case ExchangeChoice::Emission::Keyboard:
            return FullAscii();
        case ExchangeChoice::Emission::Decimal:
            return FullDecimal();
        case ExchangeChoice::Emission::Hexadecimal:
            return FullHexa();
    }
}

void FEmiRecep::FullAscii() {
    state_.AsciiMode = 1;
    surface().CurrentX = 160;
    surface().CurrentY = 20;
    surface().Print(kKeyboardPrompt);
    Duplex();
}

void FEmiRecep::FullDecimal() {
    state_.EnteredValue.clear();
    state_.DecimalMode = 1;
    surface().CurrentX = 160;
    surface().CurrentY = 20;
    surface().Print(kDecimalPrompt + state_.LinkConfig.MaxCode + kDecimalPromptEnd);
    Duplex();
}

void FEmiRecep::FullHexa() {
    AppState& s = state_;
    s.HexMode = 1;
    s.LowNibble = s.HighNibble = -1;
    const int maxCode = linkconfig::maxCodeValue(s.LinkConfig);
    surface().CurrentX = 160;
    surface().CurrentY = 20;
    surface().Print(kHexadecimalPrompt + QString::number(maxCode, 16).toUpper() +
                    kHexadecimalPromptEnd);
    Duplex();
}

void FEmiRecep::Duplex() {
    Ouvreport();
    MSComm1->setRThreshold(1);
    MSComm1->setInputLen(0);
    DrawSurface& d = surface();
    d.ForeColor = formkit::kTitleRed;
    d.CurrentX = 10;
    d.CurrentY = 20;
    d.Print(kSentTitle);
    d.ForeColor = Qt::black;
    TexteEmission->show();
    if (isVisible()) TexteEmission->setFocus();
    d.ForeColor = formkit::kTitleRed;
    d.CurrentX = 10;
    const bool codes = state_.DuplexDisplay == AppState::kDisplayCodes;
    d.CurrentY = codes ? 140 : 150;
    d.Print(kReceivedTitle);
    d.ForeColor = Qt::black;
    if (codes) {
        d.CurrentX = 20;
        d.Print(kColumnHeader);
    }
    if (codes)
        TableReception->show();
    else
        TexteReception->show();
    KeyPreview = true;
}

void FEmiRecep::MSComm1_OnComm() {
    AppState& s = state_;
    if (s.CharReceptionMode == 1) characterEvent();
    if (s.StringReceptionMode == 1) {
        forms_.Beep();
        ImageSablier->hide();
        ReceptionChaine();
    }
    if (s.DuplexDisplay == AppState::kDisplayCodes) codesEvent();
    if (s.DuplexDisplay == AppState::kDisplayText) textEvent();
    // Nothing reads what arrives (an emission, a loopback plug's echo): it is not kept, so that
    // it never fills the receive buffer.
    const bool reading = s.CharReceptionMode == 1 || s.StringReceptionMode == 1 || s.DuplexDisplay;
    if (!reading && MSComm1->PortOpen() && MSComm1->CommEvent() == serial::comEvReceive) {
        MSComm1->setInputLen(0);
        MSComm1->InputBytes();
    }
}

void FEmiRecep::characterEvent() {
    const int event = MSComm1->CommEvent();
    // A modem line that changes as the far computer opens or tests its port brings no
    // character: the hourglass stays and the port stays open for the one that follows.
    if (!startsTheWait(event)) return;
    if (receptionWait_) {
        // One wait only: it reads what arrives meanwhile. A line error is reported at once.
        if (event != serial::comEvReceive) HandleCommEvent();
        return;
    }
    ImageSablier->hide();
    Annuler->show();
    waitForTheRest();
    // Annuler during the wait ends the mode: nothing more to show.
    if (state_.CharReceptionMode != 1) return;
    forms_.Beep();
    MSComm1->setInputLen(0);
    state_.ReceivedText = MSComm1->Input();
    Receptioncaractere();
}

void FEmiRecep::waitForTheRest() {
    AppState& s = state_;
    // One second, so that the characters that follow the first are read in one piece; clicks
    // and further events are served meanwhile.
    s.ReceptionDelayElapsed = false;
    TimerRecep->start();
    QEventLoop wait;
    receptionWait_ = &wait;
    const auto done = connect(TimerRecep, &QTimer::timeout, &wait, &QEventLoop::quit);
    while (!s.ReceptionDelayElapsed && s.CharReceptionMode == 1) wait.exec();
    disconnect(done);
    receptionWait_ = nullptr;
}

void FEmiRecep::endReceptionWait() {
    TimerRecep->stop();
    if (receptionWait_) receptionWait_->quit();
}

void FEmiRecep::Receptioncaractere() {
    AppState& s = state_;
    HandleCommEvent();
    if (MSComm1->PortOpen()) MSComm1->setPortOpen(false);
    if (s.CommError == 1) {
        s.ReceivedText.clear();
        return;
    }
    surface().Cls();
    s.CurrentCode = firstCode(s.ReceivedText);
    s.DisplayChar = frame::DisplayChar(s.CurrentCode);
    s.BuildFrameBits();
    Chronogramme();
    ImageImprimer->show();
    Suivant->show();
    if (isVisible()) Suivant->setFocus();
}

void FEmiRecep::ReceptionChaine() {
    AppState& s = state_;
    HandleCommEvent();
    if (s.CommError == 1) {
        MSComm1->Input();
        return;
    }
    forms_.Beep();
    s.ReceivedText = MSComm1->Input();
    s.DisplayChar = kept(s.ReceivedText, &frame::isDisplayable);
    receptionView_->appendText(s.DisplayChar);
}

void FEmiRecep::codesEvent() {
    AppState& s = state_;
    HandleCommEvent();
    if (s.CommError == 1) {
        MSComm1->Input();
        return;
    }
    if (MSComm1->CommEvent() != serial::comEvReceive) return;
    // Everything waiting at once, a row a character: the window keeps up however fast they come.
    MSComm1->setInputLen(0);
    const QByteArray bytes = MSComm1->InputBytes();
    s.ReceivedText = cp1252::decode(bytes);
    TableReception->rows().append(bytes);
}

void FEmiRecep::textEvent() {
    AppState& s = state_;
    HandleCommEvent();
    if (s.CommError == 1) {
        MSComm1->setInputLen(0);
        MSComm1->Input();
        return;
    }
    if (MSComm1->CommEvent() != serial::comEvReceive) return;
    MSComm1->setInputLen(0);
    s.ReceivedText = MSComm1->Input();
    receptionView_->appendText(kept(s.ReceivedText, &printable));
}
