#include "ui/shell/fmsg.h"

#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QTextEdit>

#include "ui/shell/formkit.h"
#include "ui/shell/forms.h"

using namespace formkit;

FMsg::FMsg(Forms& forms, QWidget* parent) : QDialog(parent), forms_(forms) {
    setUpWindow(this, "FMsg", QString(), Border::ToolWindow, 5550, 2025);

    ImageStop = addPicture(this, "ImageStop", ":/icon-stop.svg", 120, 120, 480, 480, "Erreur");
    Frame1 = addFrame(this, "Frame1", 720, 0, 4935, 1215);
    Texte = addMessageBox(Frame1, "Texte");
    placeTw(Texte, 120, 240, 4575, 855);
    Image1 = addPicture(this, "Image1", ":/icon-serial.svg", 120, 1440, 480, 480, "");
    Image2 = addPicture(this, "Image2", ":/icon-warning.svg", 4920, 1440, 480, 480, "");
    BPOK = addButton(this, "BPOK", "OK", 2280, 1320, 1095, 495);
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
}
