// The terminal's emission modes: one keyboard character, one decimal or hexadecimal code, a
// string, one character repeated without end; and the keys typed during the exchange.

#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <QToolButton>

#include "core/appstate.h"
#include "core/codepage.h"
#include "core/entryrules.h"
#include "core/framebits.h"
#include "core/linkconfig.h"
#include "serial/mscomm.h"
#include "ui/shell/fmenu.h"
#include "ui/shell/forms.h"
#include "ui/shell/fvaleur.h"
#include "ui/terminal/emissiontexts.h"
#include "ui/terminal/femirecep.h"

using namespace emissiontexts;

namespace {

// How far ahead of the line the repeated emission keeps its queue: longer than any pause of the
// event loop between two ticks, so that no gap opens between frames.
constexpr int kRepeatLeadMs = 40;
// And never fewer characters than this, however slow the line.
constexpr int kRepeatLeastQueued = 2;

QString oneCharacter(int code) {
    return QString(cp1252::toChar(code));
}

}  // namespace

std::optional<QString> FEmiRecep::askUntilAccepted(
    const Prompt& prompt, const std::function<void()>& eachPrompt,
    const std::function<bool(const QString&)>& accept) {
    FValeur& valeur = forms_.get<FValeur>();
    while (true) {
        if (eachPrompt) eachPrompt();
        valeur.propose(prompt.preset, prompt.selected);
        const QString entered = valeur.ask(prompt.caption, prompt.text);
        if (prompt.disableMenuAfter) forms_.holdMenu(*this);
        if (entered.isEmpty()) {
            Annuler_Click();
            return std::nullopt;
        }
        if (accept(entered)) return entered;
    }
}

bool FEmiRecep::askCode(const Prompt& prompt, int AppState::*modeFlag,
                        std::optional<int> (*judge)(const QString&, int)) {
    const int maxCode = linkconfig::maxCodeValue(state_.LinkConfig);
    std::optional<int> code;
    auto eachPrompt = [&] {
        state_.*modeFlag = 1;
        Suivant->hide();
        Annuler->hide();
    };
    const auto entered = askUntilAccepted(prompt, eachPrompt, [&](const QString& text) {
        code = judge(text, maxCode);
        return code.has_value();
    });
    if (!entered) return false;
    // Only an accepted code becomes the current one: a refused entry leaves nothing behind.
    state_.CurrentCode = *code;
    return true;
}

void FEmiRecep::Ascii() {
    surface().Cls();
    forms_.EssaiPort();
    if (state_.CommError == 1) return;
    const int bits = linkconfig::dataBits(state_.LinkConfig);
    if (bits != 7 && bits != 8) {
        forms_.ShowError(kTooFewDataBits);
        return;
    }
    ImageEmission->show();
    setWindowTitle(kKeyboardCaption);
    if (askCode({kKeyboardCaption, kKeyboardPrompt, kKeyboardPreset, 1}, &AppState::AsciiMode,
                &entry::keyboardCharacter))
        sendAndOfferNext(false);
}

void FEmiRecep::Decimal() {
    const LinkRecord& c = state_.LinkConfig;
    emitCode({kDecimalCaption, kDecimalPrompt + c.MaxCode, c.MaxCode, 3}, &AppState::DecimalMode,
             &entry::decimalCode);
}

void FEmiRecep::Hexadecimal() {
    const LinkRecord& c = state_.LinkConfig;
    emitCode({kHexadecimalCaption, kHexadecimalPrompt + c.MaxCodeHex, c.MaxCodeHex,
              int(c.MaxCodeHex.size())},
             &AppState::HexMode, &entry::hexadecimalCode);
}

void FEmiRecep::emitCode(const Prompt& prompt, int AppState::*modeFlag,
                         std::optional<int> (*judge)(const QString&, int)) {
    surface().Cls();
    forms_.EssaiPort();
    if (state_.CommError == 1) return;
    setWindowTitle(prompt.caption);
    if (askCode(prompt, modeFlag, judge)) sendAndOfferNext(true);
}

void FEmiRecep::sendAndOfferNext(bool showEmissionPicture) {
    if (showEmissionPicture) ImageEmission->show();
    forms_.showOverMenu(*this);
    SendCurrentCode();
    if (state_.CommError == 1) return;  // the error has ended the mode
    ImageImprimer->show();
    Suivant->show();
    if (isVisible()) Suivant->setFocus();
    Annuler->show();
}

void FEmiRecep::SendCurrentCode() {
    AppState& s = state_;
    surface().Cls();
    MSComm1->setDTREnable(false);
    s.DisplayChar = frame::DisplayChar(s.CurrentCode);
    Ouvreport();
    forms_.Beep();
    MSComm1->setOutput(oneCharacter(s.CurrentCode));
    HandleCommEvent();
    if (s.CommError == 1) return;
    closeAndReport();
    if (s.CommError == 1) return;
    s.BuildFrameBits();
    Chronogramme();
}

void FEmiRecep::closeAndReport() {
    if (!MSComm1->PortOpen()) return;
    MSComm1->setPortOpen(false);
    // Characters the line would not take (CTS inactive, an Xoff) were thrown away.
    if (MSComm1->CommEvent() == serial::comEventCTSTO) HandleCommEvent();
}

void FEmiRecep::Chaine() {
    FValeur& valeur = forms_.get<FValeur>();
    surface().Cls();
    valeur.setMaxLength(entry::kMaxStringLength);
    TexteChaineEmission->clear();
    forms_.EssaiPort();
    if (state_.CommError == 1) return;
    BPBreak->hide();
    FrameTexteLine->hide();
    ImageEmission->show();
    setWindowTitle(kStringCaption);
    Suivant->hide();
    Annuler->hide();
    state_.StringEmissionMode = 1;
    const int maxCode = linkconfig::maxCodeValue(state_.LinkConfig);
    entry::StringEntry verdict = entry::StringEntry::AskAgain;
    const auto text = askUntilAccepted(
        {kStringCaption, kStringPrompt, kStringPreset, 6, false},
        [this] { TexteChaineEmission->hide(); },
        [&](const QString& entered) {
            verdict = entry::judgeString(entered, maxCode);
            return verdict != entry::StringEntry::AskAgain;
        });
    if (!text) return;
    if (verdict != entry::StringEntry::Accept) {
        // Nothing is sent: the line could not carry the whole string.
        forms_.ShowError(verdict == entry::StringEntry::TooWide
                             ? kStringTooWide
                             : stringOutsideCodePage(*entry::firstOutsideCodePage(*text)));
        Annuler_Click();
        return;
    }
    sendString(*text);
}

void FEmiRecep::sendString(const QString& text) {
    TexteChaineEmission->setText(text);
    TexteChaineEmission->show();
    // Shown before the line is busy, so that a slow line is seen at work.
    forms_.showOverMenu(*this);
    Ouvreport();
    forms_.Beep();
    MSComm1->setOutput(text);
    HandleCommEvent();
    if (state_.CommError == 1) return;
    closeAndReport();
    if (state_.CommError == 1) return;
    surface().CurrentY = 60;
    surface().Print(kStringSent);
    Suivant->show();
    if (isVisible()) Suivant->setFocus();
    Annuler->show();
}

void FEmiRecep::Identique() {
    AppState& s = state_;
    surface().Cls();
    forms_.EssaiPort();
    if (s.CommError == 1) return;
    ImageEmission->show();
    setWindowTitle(kRepeatedCaption);
    const LinkRecord& c = s.LinkConfig;
    const int maxCode = linkconfig::maxCodeValue(c);
    std::optional<int> code;
    const auto entered = askUntilAccepted({kRepeatedCaption, kHexadecimalPrompt + c.MaxCodeHex,
                                           c.MaxCodeHex, int(c.MaxCodeHex.size())},
                                          nullptr, [&](const QString& text) {
                                              ImageImprimer->show();
                                              Annuler->show();
                                              code = entry::hexadecimalCode(text, maxCode);
                                              return code.has_value();
                                          });
    if (!entered) return;
    s.CurrentCode = *code;
    surface().Cls();
    forms_.showOverMenu(*this);
    s.DisplayChar = frame::DisplayChar(s.CurrentCode);
    s.BuildFrameBits();
    Chronogramme();
    Ouvreport();
    forms_.Beep();
    MSComm1->setOutput(oneCharacter(s.CurrentCode));
    HandleCommEvent();
    if (s.CommError != 0) return;  // the error has ended the mode: nothing keeps sending
    repeating_ = true;
    repeatQueueTarget_ = repeatedQueueTarget();
    Tempo->start();
}

int FEmiRecep::repeatedQueueTarget() const {
    const qint64 speed = linkconfig::speed(state_.LinkConfig);
    const qint64 frameBits = qMax<qint64>(1, state_.FrameBits.size());
    const qint64 ahead = speed * kRepeatLeadMs / (frameBits * 1000);
    return int(qMax<qint64>(kRepeatLeastQueued, ahead));
}

void FEmiRecep::Tempo_Timer() {
    if (!MSComm1->PortOpen()) {
        // The port went away under the repetition: reported as every mode reports it, and the
        // timer stops even if nothing is left to report.
        HandleCommEvent();
        if (Tempo->isActive()) Annuler_Click();
        return;
    }
    const int missing = repeatQueueTarget_ - MSComm1->OutBufferCount();
    if (missing <= 0) return;
    MSComm1->setOutputBytes(QByteArray(missing, char(state_.CurrentCode)));
    HandleCommEvent();  // a line error stops the timer and ends the mode
}

bool FEmiRecep::keysBlocked() const {
    return serial::usesRtsCts(state_.LinkConfig.Handshake) && !MSComm1->CTSHolding();
}

void FEmiRecep::sendKey(int code, const QString& shown) {
    if (MSComm1->PortOpen()) MSComm1->setOutput(oneCharacter(code));
    TexteEmission->moveCursor(QTextCursor::End);
    if (MSComm1->OutBufferCount() != 0) {
        MSComm1->setOutBufferCount(0);  // the line holds it back: dropped, not shown
        return;
    }
    TexteEmission->insertPlainText(shown);
}

void FEmiRecep::Form_KeyPress(const QString& keyText, int key) {
    AppState& s = state_;
    HandleCommEvent();
    if (s.CommError == 1) return;
    const int maxCode = linkconfig::maxCodeValue(s.LinkConfig);
    const bool blocked = keysBlocked();
    const std::optional<int> code = entry::keyCode(keyText);
    if (s.AsciiMode == 1) {
        if (code && *code <= maxCode && !blocked) {
            s.CurrentCode = *code;
            sendKey(*code, keyText);
        }
    }
    if (s.DecimalMode == 1) {
        const bool enter = key == Qt::Key_Return || key == Qt::Key_Enter;
        if (!enter) {
            if (code) s.EnteredValue.append(keyText);
        } else if (!s.EnteredValue.isEmpty()) {
            const std::optional<int> v = entry::collectedDecimal(s.EnteredValue, maxCode);
            s.EnteredValue.clear();
            if (v && !blocked) {
                s.CurrentCode = *v;
                sendKey(*v, QString::number(*v) + QStringLiteral(" ; "));
            }
        }
    }
    if (s.HexMode == 1) {
        if (blocked) {
            s.HexDigitValue = s.HighNibble = s.LowNibble = -1;
            return;
        }
        s.HexDigit = keyText;
        s.ParseHexDigit();
        if (s.HexDigitValue < 0) return;
        if (s.HighNibble == -1) {
            s.HighNibble = s.HexDigitValue;
            return;
        }
        s.LowNibble = s.HexDigitValue;
        const int value = s.HighNibble * 16 + s.LowNibble;
        s.HighNibble = s.LowNibble = -1;
        if (value > maxCode) return;
        s.CurrentCode = value;
        sendKey(value, entry::twoHexDigits(value) + QStringLiteral(" ; "));
    }
}
