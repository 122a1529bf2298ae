#pragma once
// FMsg: the message dialog. One instance serves every caller: the caller sets the caption and
// the text, sounds the beep, and shows it modally; OK hides it.

#include <QDialog>

class QFrame;
class QLabel;
class QPushButton;
class QTextEdit;

class FMsg : public QDialog {
    Q_OBJECT
public:
    explicit FMsg(QWidget* parent = nullptr);

    QLabel* ImageStop;
    QFrame* Frame1;
    QTextEdit* Texte;
    QLabel* Image1;
    QLabel* Image2;
    QPushButton* BPOK;

    void BPOK_Click();

    // The message text as shown.
    QString text() const;
    void setText(const QString& text);
};
