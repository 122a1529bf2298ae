#pragma once
// FPropri: the properties dialog. It shows the whole link configuration on one page and writes
// it back at once; it closes only when the port test accepts the new configuration. Enter
// validates it as OK does; it has no cancel (Esc and the window manager's close do nothing).

#include <QDialog>

class Forms;
struct AppState;
class SvgPicture;
class QButtonGroup;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QRadioButton;

class FPropri : public QDialog {
    Q_OBJECT
public:
    explicit FPropri(Forms& forms, QWidget* parent = nullptr);

    QGroupBox* Frame2;
    QRadioButton* Protocole[4];
    QCheckBox* LigneDTR;
    QGroupBox* Frame1;
    QLabel* Label1;
    QComboBox* DataBits;
    QLabel* Label2;
    QComboBox* Parity;
    QLabel* Label3;
    QComboBox* StopBits;
    QLabel* Label4;
    QComboBox* Port;
    QLabel* Label5;
    QComboBox* Speed;
    SvgPicture* Image1;
    QPushButton* OK;
    SvgPicture* Image2;

    // Refills the five lists, then shows the configuration in force.
    void LoadPropertySettings();
    // Copies the configuration and the terminal's DTR setting into the controls.
    void Property();
    // Applies the dialog; closes it when the port test passes.
    void OK_Click();

    // Refilled from the configuration in force and shown, in front, the keyboard on its first
    // list.
    void present();
    // Whether the DTR line is chosen active ("Ligne DTR activée").
    bool dtrChosen() const;

protected:
    void reject() override;

private:
    Forms& forms_;
    AppState& state_;
    QButtonGroup* protocolGroup_;
};
