#pragma once
// FMsg: the message dialog. One instance serves every caller: the caller gives the caption and
// the text, the beep sounds, and it shows modally; OK hides it.

#include <QDialog>

class Forms;
class SvgPicture;
class QFrame;
class QLabel;
class QPushButton;
class QTextEdit;

class FMsg : public QDialog {
    Q_OBJECT
public:
    explicit FMsg(Forms& forms, QWidget* parent = nullptr);

    SvgPicture* ImageStop;
    QFrame* Frame1;
    QTextEdit* Texte;
    SvgPicture* Image1;
    SvgPicture* Image2;
    QPushButton* BPOK;

    void BPOK_Click();

    // Caption and text, the beep, then shown modally until the user answers.
    void showMessage(const QString& caption, const QString& text);

    // The dialog enabled with its OK button shown, as every caller expects to find it.
    void makeAnswerable();

    // The message text as shown.
    QString text() const;
    void setText(const QString& text);

private:
    // The message's height in pixels at the width of its box.
    int textHeightPx() const;
    // The dialog as high as its message needs, within the screen, centred again.
    void fitToText();

    Forms& forms_;
};
