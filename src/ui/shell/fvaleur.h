#pragma once
// FValeur: the value dialog. It asks for one line of text under a prompt; OK stores the entry in
// EnteredValue, Annuler (or Esc) stores the empty text. One instance serves every caller, which
// prepares it (proposed answer, maximum length, password character), shows it modally and reads
// EnteredValue afterwards. While key preview is on, every character key typed in the dialog is
// also recorded in TypedKeys (Backspace included, Enter and Esc not).

#include <QDialog>

class Forms;
struct AppState;
class QFrame;
class QLineEdit;
class QPushButton;
class QTextEdit;

class FValeur : public QDialog {
    Q_OBJECT
public:
    explicit FValeur(Forms& forms, QWidget* parent = nullptr);

    QFrame* FrameTexte;
    QTextEdit* Texte;
    QLineEdit* TexteValeur;
    QPushButton* OK;
    QPushButton* Annuler;

    void OK_Click();
    void Annuler_Click();
    void Form_KeyPress(QChar key);

    // The prompt.
    void setPrompt(const QString& text);
    QString prompt() const;

    // Key preview: the dialog sees the keys before its controls.
    bool KeyPreview() const { return keyPreview_; }
    void setKeyPreview(bool on) { keyPreview_ = on; }

    // The entry's password character: "*" or none (the empty text).
    void setPasswordChar(const QString& ch);
    QString passwordChar() const;

    // Sets the proposed answer and selects its first `selected` characters.
    void propose(const QString& text, int selected);
    // Empties the entry.
    void clearEntry();
    // The most characters the entry takes.
    void setMaxLength(int length);
    int maxLength() const;

    // Shows the dialog modally and returns when the user has answered.
    void showModal();
    // Caption and prompt, then shown modally: returns EnteredValue, the entry after OK, the
    // empty text after Annuler.
    QString ask(const QString& caption, const QString& prompt);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void reject() override;

private:
    void keepProposal();
    AppState& state_;
    bool keyPreview_ = false;
    // The proposed answer's selection at the showing, kept until the user first types or clicks
    // in the entry, whatever focus changes come with the showing.
    int proposedStart_ = -1;
    int proposedLength_ = 0;
    bool entryTouched_ = true;
};
