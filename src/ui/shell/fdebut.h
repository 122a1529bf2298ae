#pragma once
// FDebut: the start-up window. It shows the title picture for a few seconds, then runs the
// start-up sequence (windows loaded, config.232 read, access code asked for when one is set,
// main window shown). The same window later serves as the credits page ("Auteur") and as the
// exit dialog; each form shows its own controls only.

#include <QDialog>
#include <QFont>

class Forms;
struct AppState;
class SvgPicture;
class QFrame;
class QLabel;
class QPushButton;
class QTextEdit;
class QTimer;

class FDebut : public QDialog {
    Q_OBJECT
public:
    // `startupDelayMs`: how long the title shows before the start-up sequence (5000 in the
    // program; tests shorten it).
    FDebut(Forms& forms, int startupDelayMs = 5000, QWidget* parent = nullptr);

    QFrame* Frame1;
    QTimer* Timer1;
    QLabel* Picture1;
    QTextEdit* TexteDebut;
    SvgPicture* ImageDorvanix;
    QFrame* FrameEnregistrer;
    SvgPicture* Image1;
    QFrame* Frame2;
    QTextEdit* Text1;
    QPushButton* Oui;
    QPushButton* Non;
    QPushButton* Annuler;
    QPushButton* OK;

    // Shows the title and starts Timer1.
    void start();
    void Timer1_Timer();
    void StartupSequence();

    // The credits page: the program, its version, our notice and the other titles, with OK.
    void showCredits();

    // The exit dialog's appearance, shown without blocking, focus on Annuler.
    void showExitDialog();
    void Oui_Click();
    void Non_Click();
    void Annuler_Click();
    void OK_Click();

    // Writes config.232, then unloads every window and ends the program.
    void SaveConfigurationAndExit();

protected:
    void reject() override;

private:
    // Sizes of TexteDebut's text in pixels: 19.5 points for the title, 8 points for the credits.
    static constexpr int kTitlePixels = 26;
    static constexpr int kCreditsPixels = 11;
    // The margins around them: the seven lines of the credits take the whole box.
    static constexpr int kTitleMargin = 4;
    static constexpr int kCreditsMargin = 1;
    void fillText(const QFont& font, const QString& text, Qt::Alignment alignment, int margin);
    void showTitle();
    Forms& forms_;
    AppState& state_;
};
