#pragma once
// FEmiRecep: the terminal window. Every emission and reception exercise takes place here. It
// owns the terminal's serial control MSComm1, the emission and reception windows, a status line
// for modem-line notices, the role pictures, and draws the timing diagram of a character on its
// surface.

#include <QString>
#include <functional>
#include <memory>
#include <optional>

#include "ui/shell/printnotice.h"
#include "ui/shell/surfacewidget.h"
#include "ui/shell/svgpicture.h"

class Forms;
struct AppState;
struct ExchangeChoice;
class QEventLoop;
class ReceptionBox;
class CodeTableView;
class ReceptionView;
class MSComm;
class QGroupBox;
class QKeyEvent;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QTimer;
class QToolButton;

class FEmiRecep : public SurfaceWidget {
    Q_OBJECT
public:
    explicit FEmiRecep(Forms& forms, QWidget* parent = nullptr);
    ~FEmiRecep() override;

    QPlainTextEdit* TexteEmission;
    ReceptionBox* TexteReception;
    // The reception window of the exchange's table of codes, in the same place: a row a code.
    CodeTableView* TableReception;
    QLineEdit* TexteChaineEmission;
    QGroupBox* FrameTexteLine;
    QLineEdit* TextLine;
    QGroupBox* FrameANSI;
    QPushButton* BPBreak;
    QPushButton* BPXon;
    QPushButton* BPXoff;
    // The keypad's 34 buttons in FrameANSI, named "BP" and the character's abbreviation.
    QList<QPushButton*> Keypad;
    QPushButton* BoutonRaz;
    QPushButton* Suivant;
    QPushButton* Annuler;
    QToolButton* ImageImprimer;
    // Where a printout went when no printer could take it: the file's whole path, for a while.
    PrintNotice* LabelImpression;
    SvgPicture* ImageSablier;
    SvgPicture* ImageEmission;
    SvgPicture* ImageReception;
    SvgPicture* ImageEmissionReception;
    MSComm* MSComm1;
    QTimer* TimerRecep;
    QTimer* TimerBreak;
    QTimer* TimerMessage;
    QTimer* Tempo;

    // Keyboard preview: the window sees the keys before its controls.
    bool KeyPreview = false;

    // Opens the port with the configuration in force (closing it first if open). A failure is
    // not reported here: the modes run the port test first.
    void Ouvreport();
    // Draws the timing diagram of the current character.
    void Chronogramme();
    // Single-character reception, after the one-second wait.
    void Receptioncaractere();
    // One event of string reception.
    void ReceptionChaine();
    // Interprets the last event of MSComm1: reports a line error (and ends the mode), or writes
    // a modem-line notice in the status line. Leaves CommError.
    void HandleCommEvent();

    // The emission items of the main menu: a keyboard character, a decimal code, a hexadecimal
    // code, a string, one character repeated without end.
    void Ascii();
    void Decimal();
    void Hexadecimal();
    void Chaine();
    void Identique();
    // Sends the current character alone on the terminal's port and draws its timing diagram.
    void SendCurrentCode();
    // One step of the repeated emission.
    void Tempo_Timer();
    // Prints the terminal page: the configuration line and the diagram of the current character.
    void ImageImprimer_Click();

    // The reception items of the main menu: one character with its timing diagram, a string;
    // and the simultaneous exchange, which asks for its options first.
    void RecepCaractere();
    void RecepChaine();
    void Emission_Reception_Simultanees();
    // The exchange with the options chosen: the buttons it offers, then its emission mode.
    void startExchange(const ExchangeChoice& choice);
    void FullAscii();
    void FullDecimal();
    void FullHexa();
    // Opens the port and prints the exchange's titles; from then on typed keys are sent.
    void Duplex();

    // A keypad key, Xon or Xoff: its one character sent as it is.
    void sendControlCode(int code);
    // Holds the line at logical 0 for a moment.
    void BPBreak_Click();

    // The keys typed during the simultaneous exchange, as the keyboard preview hands them over:
    // the key's text (empty for Shift, arrows ...) and its key code.
    void Form_KeyPress(const QString& keyText, int key);

    void MSComm1_OnComm();
    void Annuler_Click();
    void Suivant_Click();
    void BoutonRaz_Click();
    void TimerRecep_Timer();
    void TimerMessage_Timer();
    void TimerBreak_Timer();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The controls that the modes show and the return to the menu hides.
    QList<QWidget*> modeControls() const;
    void buildKeypad();

    // The reception paths of OnComm: single character, the table of codes, the text display.
    void characterEvent();
    void waitForTheRest();
    void codesEvent();
    void textEvent();
    // Ends the one-second wait of single-character reception at once.
    void endReceptionWait();

    // The value dialog's answer for an emission, asked again until `accept` takes it; nothing when
    // the user cancels (the mode is then ended as Annuler ends it).
    struct Prompt {
        QString caption;
        QString text;
        QString preset;
        int selected = 0;
        bool disableMenuAfter = true;
    };
    std::optional<QString> askUntilAccepted(const Prompt& prompt,
                                            const std::function<void()>& eachPrompt,
                                            const std::function<bool(const QString&)>& accept);
    // Asks for a one-character code; true once CurrentCode holds an accepted one.
    bool askCode(const Prompt& prompt, int AppState::*modeFlag,
                 std::optional<int> (*judge)(const QString&, int));
    // A decimal or hexadecimal code asked for, sent and drawn.
    void emitCode(const Prompt& prompt, int AppState::*modeFlag,
                  std::optional<int> (*judge)(const QString&, int));
    // Sends the accepted code, draws its diagram and offers the next one.
    void sendAndOfferNext(bool showEmissionPicture);
    // Closes the port; what it had to throw away is reported as a line error.
    void closeAndReport();
    void sendString(const QString& text);
    // Characters kept waiting in the transmit queue during the repeated emission.
    int repeatedQueueTarget() const;
    // Sends one key of the exchange and shows `shown` unless the line held it back.
    void sendKey(int code, const QString& shown);
    bool keysBlocked() const;
    // Empties both reception windows, what waits to be shown included.
    void clearReception();
    // A short notice in the status line, for a few seconds.
    void showNotice(const QString& text);
    // The status line's text, shown from its start (`shown`, when given, is a shortened form).
    void setLineText(const QString& text, const QString& shown = QString());

    Forms& forms_;
    AppState& state_;
    // The one-second wait of single-character reception while it runs.
    QEventLoop* receptionWait_ = nullptr;
    std::unique_ptr<ReceptionView> receptionView_;
    // True while a line error is being reported: further errors of the same burst are not.
    bool reportingError_ = false;
    // True while the repeated emission runs (or is paused by a printout).
    bool repeating_ = false;
    // Characters the repeated emission keeps queued, set when it starts.
    int repeatQueueTarget_ = 0;
    // The status line was shown only for a notice, and goes when the notice goes.
    bool noticeOnly_ = false;
};
