// FInfo1's handshake examples. The texts the buttons and pictures take as the examples change
// state; those of the blocked state, which every opening of the page starts from, are the
// window's table's.
#include <QAbstractButton>
#include <QFrame>
#include <QTimer>

#include "ui/reference/finfo.h"

namespace {

// Xon or Xoff on its way back to the transmitter.
constexpr int kXonXoffMs = 2000;

// The RS-232 control lines' colour of the drawings (RTS and CTS), and the width of the line at 0.
const QColor kRtsGreen{0x00, 0x80, 0x00};
constexpr int kLineAtZeroPx = 3;

const QString kRts = QStringLiteral("BPRTS");
const QString kRtsAtOne = QStringLiteral("0");  // the caption says what a press does
const QString kRtsAtZero = QStringLiteral("1");
const QString kXonXoff = QStringLiteral("BPXonXoff");
const QString kXon = QStringLiteral("Xon");
const QString kXoff = QStringLiteral("Xoff");

struct RtsTexts {
    QString buttonTip;
    QString lineTip;
};
const RtsTexts kRtsNowAtZero = {QStringLiteral("Met RTS au 1 logique"),
                                QStringLiteral("Ligne au 0 logique")};
const RtsTexts kRtsNowAtOne = {QStringLiteral("Met RTS au 0 logique"),
                               QStringLiteral("Ligne au 1 logique")};

struct XonXoffTexts {
    QString buttonTip;
    QString returnTip;  // of the character's arrow back to the transmitter
};
const XonXoffTexts kAfterXon = {
    QStringLiteral("Envoi vers l'émetteur d'un caractère Xoff (DC3 / $13)"),
    QStringLiteral("Envoi de Xoff")};
const XonXoffTexts kAfterXoff = {
    QStringLiteral("Envoi vers l'émetteur d'un caractère Xon (DC1 / $11)"),
    QStringLiteral("Envoi de Xon")};

}  // namespace

FInfo1::FInfo1(Forms& forms, QWidget* parent) : PageWindow(forms, "FInfo1", parent) {
    TimerX = addPageTimer(QStringLiteral("TimerX"), kXonXoffMs);
    connect(TimerX, &QTimer::timeout, this, &FInfo1::TimerX_Timer);
    styleLineRTS();
}

void FInfo1::styleLineRTS() {
    auto* line = qobject_cast<QFrame*>(control(QStringLiteral("LineRTS")));
    if (!line) return;
    line->setFrameShadow(QFrame::Plain);
    line->setLineWidth(kLineAtZeroPx);
    QPalette palette = line->palette();
    palette.setColor(QPalette::WindowText, kRtsGreen);
    line->setPalette(palette);
    // The line's tooltip is the picture's under it.
    line->setAttribute(Qt::WA_TransparentForMouseEvents);
}

void FInfo1::beforePage(const pages::Page&) {
    TimerX->stop();
}

void FInfo1::onButton(const QString& name) {
    if (name == kRts) BPRTS_Click();
    if (name == kXonXoff) BPXonXoff_Click();
}

void FInfo1::onClose() {
    TimerX->stop();
}

void FInfo1::focusAnnuler() {
    if (!isVisible()) return;
    if (QAbstractButton* annuler = button(QStringLiteral("Annuler")))
        annuler->setFocus(Qt::OtherFocusReason);
}

void FInfo1::BPRTS_Click() {
    focusAnnuler();
    QAbstractButton* rts = button(kRts);
    const bool toZero = rts->text() == kRtsAtOne;
    setShown(QStringLiteral("ImageFleche"), toZero);
    setShown(QStringLiteral("LineRTS"), toZero);
    setShown(QStringLiteral("ImageVertRTS"), toZero);
    setShown(QStringLiteral("ImageRougeRTS"), !toZero);
    const RtsTexts& texts = toZero ? kRtsNowAtZero : kRtsNowAtOne;
    setTip(kRts, texts.buttonTip);
    rts->setText(toZero ? kRtsAtZero : kRtsAtOne);
    setTip(QStringLiteral("ImageLigne"), texts.lineTip);
}

void FInfo1::BPXonXoff_Click() {
    focusAnnuler();
    button(kXonXoff)->setEnabled(false);
    setShown(QStringLiteral("ImageFlecheG"), true);
    TimerX->start();
}

void FInfo1::TimerX_Timer() {
    TimerX->stop();
    QAbstractButton* xonXoff = button(kXonXoff);
    xonXoff->setEnabled(true);
    setShown(QStringLiteral("ImageFlecheG"), false);
    const bool xonSent = xonXoff->text() != kXoff;
    setShown(QStringLiteral("ImageFlecheD"), xonSent);
    const XonXoffTexts& texts = xonSent ? kAfterXon : kAfterXoff;
    setTip(kXonXoff, texts.buttonTip);
    xonXoff->setText(xonSent ? kXoff : kXon);
    setTip(QStringLiteral("ImageFlecheG"), texts.returnTip);
    setShown(QStringLiteral("ImageVertX"), xonSent);
    setShown(QStringLiteral("ImageRougeX"), !xonSent);
}
