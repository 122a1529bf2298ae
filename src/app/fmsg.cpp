#include "app/fmsg.h"

#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QTextEdit>

#include "app/formkit.h"

using namespace formkit;

FMsg::FMsg(QWidget* parent) : QDialog(parent) {
    setObjectName("FMsg");
    setBorder(this, Border::ToolWindow);
    setBackground(this, kLightGrey);
    fixClientSizeTw(this, 5550, 2025);

    ImageStop = addPicture(this, "ImageStop", ":/icon-stop.svg", 120, 120, 480, 480, "Erreur");
    Frame1 = addFrame(this, "Frame1", 720, 0, 4935, 1215);
    Texte = addMessageBox(Frame1, "Texte");
    placeTw(Texte, 120, 240, 4575, 855);
    Image1 = addPicture(this, "Image1", ":/icon-serial.svg", 120, 1440, 480, 480, "");
    Image2 = addPicture(this, "Image2", ":/icon-warning.svg", 4920, 1440, 480, 480, "");
    BPOK = new QPushButton("OK", this);
    BPOK->setObjectName("BPOK");
    placeTw(BPOK, 2280, 1320, 1095, 495);
    BPOK->setDefault(true);
    BPOK->setAutoDefault(true);
    connect(BPOK, &QPushButton::clicked, this, &FMsg::BPOK_Click);

    centreOnScreen(this);
}

void FMsg::BPOK_Click() {
    accept();
}

QString FMsg::text() const {
    return Texte->toPlainText();
}

void FMsg::setText(const QString& text) {
    Texte->setPlainText(text);
    setAccessibleDescription(text);
}
