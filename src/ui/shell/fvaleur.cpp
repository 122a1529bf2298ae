#include "ui/shell/fvaleur.h"

#include <QEvent>
#include <QFrame>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QTextEdit>

#include "core/appstate.h"
#include "ui/shell/formkit.h"
#include "ui/shell/forms.h"

using namespace formkit;

FValeur::FValeur(Forms& forms, QWidget* parent) : QDialog(parent), state_(forms.state()) {
    setUpWindow(this, "FValeur", QString(), Border::ToolWindow, 5550, 2025);

    FrameTexte = addFrame(this, "FrameTexte", 120, 0, 3975, 1215);
    Texte = addMessageBox(FrameTexte, "Texte");
    placeTw(Texte, 120, 120, 3735, 975);

    TexteValeur = new QLineEdit(this);
    TexteValeur->setObjectName("TexteValeur");
    placeTw(TexteValeur, 120, 1440, 5295, 375);
    TexteValeur->setMaxLength(10);

    OK = addButton(this, "OK", "OK", 4320, 120, 1095, 495);
    OK->setDefault(true);
    Annuler = addButton(this, "Annuler", "Annuler", 4320, 720, 1095, 495);
    Annuler->setAutoDefault(false);

    // The entry comes first in the tab order.
    setTabOrder(TexteValeur, OK);
    setTabOrder(OK, Annuler);

    connect(OK, &QPushButton::clicked, this, &FValeur::OK_Click);
    connect(Annuler, &QPushButton::clicked, this, &FValeur::Annuler_Click);
    for (QWidget* w : {static_cast<QWidget*>(TexteValeur), static_cast<QWidget*>(OK),
                       static_cast<QWidget*>(Annuler)}) {
        w->installEventFilter(this);
    }

    comeToFrontWhenShown(this);
    centreOnScreen(this);
}

void FValeur::OK_Click() {
    if (isVisible()) TexteValeur->setFocus();
    state_.EnteredValue = TexteValeur->text();
    hide();
}

void FValeur::Annuler_Click() {
    if (isVisible()) TexteValeur->setFocus();
    state_.EnteredValue.clear();
    hide();
}

void FValeur::reject() {
    Annuler_Click();
}

void FValeur::Form_KeyPress(QChar key) {
    state_.TypedKeys.append(key);
}

void FValeur::setPrompt(const QString& text) {
    Texte->setPlainText(text);
    TexteValeur->setAccessibleName(text);
}

QString FValeur::prompt() const {
    return Texte->toPlainText();
}

void FValeur::setPasswordChar(const QString& ch) {
    if (ch.isEmpty()) {
        TexteValeur->setEchoMode(QLineEdit::Normal);
        TexteValeur->setStyleSheet(QString());
    } else {
        TexteValeur->setEchoMode(QLineEdit::Password);
        TexteValeur->setStyleSheet(QStringLiteral("lineedit-password-character: %1; "
                                                  "lineedit-password-mask-delay: 0;")
                                       .arg(ch.at(0).unicode()));
    }
}

QString FValeur::passwordChar() const {
    return TexteValeur->echoMode() == QLineEdit::Password ? QStringLiteral("*") : QString();
}

void FValeur::propose(const QString& text, int selected) {
    TexteValeur->setText(text);
    TexteValeur->setSelection(0, selected);
}

void FValeur::clearEntry() {
    TexteValeur->clear();
}

void FValeur::setMaxLength(int length) {
    TexteValeur->setMaxLength(length);
}

int FValeur::maxLength() const {
    return TexteValeur->maxLength();
}

QString FValeur::ask(const QString& caption, const QString& prompt) {
    setPrompt(prompt);
    setWindowTitle(caption);
    showModal();
    return state_.EnteredValue;
}

void FValeur::showModal() {
    // Each showing starts in the entry, with the proposed answer's selection kept.
    proposedStart_ = TexteValeur->selectionStart();
    proposedLength_ = int(TexteValeur->selectedText().size());
    entryTouched_ = false;
    TexteValeur->setFocus(Qt::OtherFocusReason);
    keepProposal();
    exec();
}

void FValeur::keepProposal() {
    if (!entryTouched_ && proposedStart_ >= 0)
        TexteValeur->setSelection(proposedStart_, proposedLength_);
}

bool FValeur::eventFilter(QObject* watched, QEvent* event) {
    // A focus change that comes with the showing (the window manager's activation, a window
    // going behind) may drop the selection: the first key still types over the whole proposal.
    if (watched == TexteValeur) {
        if (event->type() == QEvent::FocusIn) keepProposal();
        if (event->type() == QEvent::KeyPress) {
            keepProposal();
            entryTouched_ = true;
        }
        if (event->type() == QEvent::MouseButtonPress) entryTouched_ = true;
    }
    if (keyPreview_ && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        switch (key->key()) {
            case Qt::Key_Return:
            case Qt::Key_Enter:
            case Qt::Key_Escape:
            case Qt::Key_Tab:
            case Qt::Key_Backtab:
            case Qt::Key_Delete:
                break;
            case Qt::Key_Backspace:
                Form_KeyPress(QChar(8));
                break;
            default:
                for (QChar ch : key->text()) {
                    if (ch.unicode() >= 32 || ch.unicode() == 8) Form_KeyPress(ch);
                }
        }
    }
    return QDialog::eventFilter(watched, event);
}
