#pragma once
// FChoixCase: the options of the simultaneous exchange (how keys are sent, what the reception
// window lists, whether the control-character keypad is offered). It is hidden, not destroyed,
// after a valid choice, so that the next exchange offers the same choices. It has no cancel:
// Esc and the window manager's close do nothing, since the main window waits disabled behind it.

#include <QDialog>

class Forms;
struct AppState;
class QButtonGroup;
class QCheckBox;
class QGroupBox;
class QPushButton;
class QRadioButton;

// What the dialog hands to the terminal.
struct ExchangeChoice {
    enum class Emission { Keyboard, Decimal, Hexadecimal };
    Emission emission = Emission::Keyboard;
    int display = 0;  // AppState::DuplexDisplay
    bool keypad = false;
};

class FChoixCase : public QDialog {
    Q_OBJECT
public:
    explicit FChoixCase(Forms& forms, QWidget* parent = nullptr);

    QGroupBox* FrameEmission;
    QRadioButton* OptionEmission[3];
    QGroupBox* FrameReception;
    QRadioButton* OptionReception[2];
    QCheckBox* CheckANSI;
    QPushButton* OK;

    // The choices of a first start: keyboard characters, displayable characters, no keypad.
    void reset();
    // Shown in front, the keyboard on the chosen emission.
    void present();
    // Validates the choices and starts the exchange; refuses keyboard characters under 7 bits.
    void OK_Click();

protected:
    void reject() override;

private:
    ExchangeChoice choice() const;

    Forms& forms_;
    AppState& state_;
    QButtonGroup* emissionGroup_;
    QButtonGroup* receptionGroup_;
};
