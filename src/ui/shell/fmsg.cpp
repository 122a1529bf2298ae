#include "ui/shell/fmsg.h"
#include "ui/shell/svgpicture.h"

#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTextDocument>
#include <QTextEdit>

#include <algorithm>
#include <cmath>

#include "ui/shell/formkit.h"
#include "ui/shell/forms.h"

using namespace formkit;

namespace {

// The dialog's design, in twips: the client area, the message box and the row under it.
constexpr int kClientWidthTw = 5550;
constexpr int kClientHeightTw = 2025;
constexpr int kFrameTopTw = 0;
constexpr int kFrameHeightTw = 1215;
constexpr int kTextTopTw = 240;
constexpr int kTextHeightTw = 855;
constexpr int kImagesTopTw = 1440;
constexpr int kButtonTopTw = 1320;
// Room kept around the dialog when it grows to a long message.
constexpr int kScreenMarginPx = 48;

}  // namespace

FMsg::FMsg(Forms& forms, QWidget* parent) : QDialog(parent), forms_(forms) {
    setUpWindow(this, "FMsg", QString(), Border::ToolWindow, kClientWidthTw, kClientHeightTw);

    ImageStop = addPicture(this, "ImageStop", ":/icon-stop.svg", 120, 120, 480, 480, "Erreur");
    Frame1 = addFrame(this, "Frame1", 720, kFrameTopTw, 4935, kFrameHeightTw);
    Texte = addMessageBox(Frame1, "Texte");
    placeTw(Texte, 120, kTextTopTw, 4575, kTextHeightTw);
    Image1 = addPicture(this, "Image1", ":/icon-serial.svg", 120, kImagesTopTw, 480, 480, "");
    Image2 = addPicture(this, "Image2", ":/icon-warning.svg", 4920, kImagesTopTw, 480, 480, "");
    BPOK = addButton(this, "BPOK", "OK", 2280, kButtonTopTw, 1095, 495);
    BPOK->setDefault(true);
    BPOK->setAutoDefault(true);
    connect(BPOK, &QPushButton::clicked, this, &FMsg::BPOK_Click);

    comeToFrontWhenShown(this);
    centreOnScreen(this);
}

void FMsg::BPOK_Click() {
    accept();
}

void FMsg::showMessage(const QString& caption, const QString& text) {
    setWindowTitle(caption);
    setText(text);
    forms_.Beep();
    BPOK->setFocus(Qt::OtherFocusReason);
    exec();
}

void FMsg::makeAnswerable() {
    setEnabled(true);
    BPOK->show();
}

QString FMsg::text() const {
    return Texte->toPlainText();
}

void FMsg::setText(const QString& text) {
    Texte->setPlainText(text);
    setAccessibleDescription(text);
    fitToText();
}

int FMsg::textHeightPx() const {
    QTextDocument doc;
    doc.setDefaultFont(Texte->font());
    doc.setDocumentMargin(Texte->document()->documentMargin());
    doc.setPlainText(Texte->toPlainText());
    doc.setTextWidth(Texte->width());
    return int(std::ceil(doc.size().height()));
}

void FMsg::fitToText() {
    // The design's height for a short message; a long one makes the dialog grow, as far as the
    // screen allows (beyond that the message scrolls).
    int extra = std::max(0, textHeightPx() - tw(kTextHeightTw));
    if (const QScreen* screen = this->screen()) {
        const int room = screen->availableGeometry().height() - kScreenMarginPx;
        extra = std::min(extra, std::max(0, room - tw(kClientHeightTw)));
    }
    Frame1->resize(Frame1->width(), tw(kFrameHeightTw) + extra);
    Texte->resize(Texte->width(), tw(kTextHeightTw) + extra);
    Image1->move(Image1->x(), tw(kImagesTopTw) + extra);
    Image2->move(Image2->x(), tw(kImagesTopTw) + extra);
    BPOK->move(BPOK->x(), tw(kButtonTopTw) + extra);
    setFixedSize(tw(kClientWidthTw), tw(kClientHeightTw) + extra);
    centreOnScreen(this);
}
