#include "ui/about/aboutwindow.h"

#include <QFrame>
#include <QPushButton>
#include <QTextEdit>

#include "ui/about/aboutlayouts.h"
#include "ui/about/abouttexts.h"
#include "ui/shell/formkit.h"
#include "ui/shell/forms.h"
#include "ui/shell/svgpicture.h"

using namespace formkit;

namespace {

// The text box leaves the OK button's corner of the frame free, so that no line runs under it.
constexpr int kTextMarginTw = 60;

}  // namespace

AboutWindow::AboutWindow(Forms& forms, const AboutLayout& l, QWidget* parent)
    : QDialog(parent), forms_(forms) {
    setUpWindow(this, l.objectName, l.caption, Border::ToolWindow, l.clientWidth, l.clientHeight);
    setModal(false);
    picture_ = addTippedPicture(this, l.pictureName, l.pictureResource, l.picture[0], l.picture[1],
                                l.picture[2], l.picture[3], l.pictureTip);

    Frame1 = addFrame(this, "Frame1", l.frame[0], l.frame[1], l.frame[2], l.frame[3]);
    TextKorvalin = addMessageBox(Frame1, "TextKorvalin");
    const int textBottom = l.ok[1] - l.frame[1] - kTextMarginTw;
    placeTw(TextKorvalin, 0, kTextMarginTw, l.frame[2] - kTextMarginTw, textBottom - kTextMarginTw);
    // The windows' font whatever the desktop's, so that the text fits its box as laid out.
    TextKorvalin->setFont(formFont());
    // Reachable by Tab, so that the keyboard can scroll a text longer than its box.
    TextKorvalin->setFocusPolicy(Qt::StrongFocus);

    OK = addButton(this, "OK", "OK", l.ok[0], l.ok[1], l.ok[2], l.ok[3],
                   "Retourner au menu principal");
    OK->setDefault(true);
    OK->setAutoDefault(true);
    connect(OK, &QPushButton::clicked, this, &AboutWindow::OK_Click);

    refuseClose(this, [this] { OK_Click(); });
    comeToFrontWhenShown(this);
    centreOnScreen(this);
}

void AboutWindow::present(const QString& text) {
    TextKorvalin->setPlainText(text);
    TextKorvalin->moveCursor(QTextCursor::Start);
    forms_.showOverMenu(*this);
    OK->setFocus();
}

void AboutWindow::OK_Click() {
    // Hidden, the page gives the main window back.
    hide();
}

void AboutWindow::reject() {
    OK_Click();
}

FKorvalin::FKorvalin(Forms& forms, QWidget* parent)
    : AboutWindow(forms, aboutlayouts::kKorvalin, parent) {}

void FKorvalin::showPage() {
    present(abouttexts::korvalin());
}

FDorvanix::FDorvanix(Forms& forms, QWidget* parent)
    : AboutWindow(forms, aboutlayouts::kDorvanix, parent) {}

void FDorvanix::showPage() {
    present(abouttexts::dorvanixContact());
}
