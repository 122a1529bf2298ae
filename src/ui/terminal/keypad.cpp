// The exchange's control-character keypad, the flow-control keys and the break.

#include <QGroupBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>

#include "core/codepage.h"
#include "serial/mscomm.h"
#include "ui/shell/formkit.h"
#include "ui/terminal/femirecep.h"
#include "ui/terminal/keypadtable.h"

void FEmiRecep::buildKeypad() {
    using namespace keypad;
    for (const Key& key : keys()) {
        const QString caption = QString::fromUtf8(key.caption);
        QPushButton* button = formkit::addButton(
            FrameANSI, QStringLiteral("BP") + caption, caption, kLeft + key.column * kColumnStep,
            kRowTops[key.row], kKeyWidth, kKeyHeight, QString::fromUtf8(key.tip));
        button->setAutoDefault(false);
        connect(button, &QPushButton::clicked, this,
                [this, code = key.code] { sendControlCode(code); });
        Keypad << button;
    }
    connect(BPXon, &QPushButton::clicked, this, [this] { sendControlCode(kXon); });
    connect(BPXoff, &QPushButton::clicked, this, [this] { sendControlCode(kXoff); });
    connect(BPBreak, &QPushButton::clicked, this, &FEmiRecep::BPBreak_Click);
}

void FEmiRecep::sendControlCode(int code) {
    // A closed port sends nothing (the control ignores it).
    MSComm1->setOutput(QString(cp1252::toChar(code)));
    // The next key typed goes on to the exchange's key handling.
    if (isVisible()) TexteEmission->setFocus();
}

void FEmiRecep::BPBreak_Click() {
    MSComm1->setBreak(true);
    if (isVisible()) TexteEmission->setFocus();
    TimerBreak->start();
}

void FEmiRecep::TimerBreak_Timer() {
    TimerBreak->stop();
    MSComm1->setBreak(false);
}
