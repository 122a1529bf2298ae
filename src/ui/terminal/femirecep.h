#pragma once
// FEmiRecep: the terminal window. Every emission and reception exercise takes place here. It
// owns the terminal's serial control MSComm1, the emission and reception windows, a status line
// for modem-line notices, the role pictures, and draws the timing diagram of a character on its
// surface.

#include "ui/shell/surfacewidget.h"

class Forms;
struct AppState;
class MSComm;
class QGroupBox;
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
    QPlainTextEdit* TexteReception;
    QLineEdit* TexteChaineEmission;
    QGroupBox* FrameTexteLine;
    QLineEdit* TextLine;
    QGroupBox* FrameANSI;
    QPushButton* BPBreak;
    QPushButton* BPXon;
    QPushButton* BPXoff;
    QPushButton* BoutonRaz;
    QPushButton* Suivant;
    QPushButton* Annuler;
    QToolButton* ImageImprimer;
    QLabel* ImageSablier;
    QLabel* ImageEmission;
    QLabel* ImageReception;
    QLabel* ImageEmissionReception;
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

    void MSComm1_OnComm();
    void Annuler_Click();
    void Suivant_Click();
    void BoutonRaz_Click();
    void TimerRecep_Timer();
    void TimerMessage_Timer();
    void TimerBreak_Timer();

private:
    // The controls that the modes show and the return to the menu hides.
    QList<QWidget*> modeControls() const;

    Forms& forms_;
    AppState& state_;
    // True while the one-second wait of single-character reception runs.
    bool receptionWaitActive_ = false;
};
