#pragma once
// FPropri: the properties dialog. It shows the whole link configuration on one page and writes
// it back at once; it closes only when the port test accepts the new configuration.

#include <QWidget>

class Forms;
struct AppState;
class QButtonGroup;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QRadioButton;

class FPropri : public QWidget {
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
    QLabel* Image1;
    QPushButton* OK;
    QLabel* Image2;

    // Refills the five lists, then shows the configuration in force.
    void LoadPropertySettings();
    // Copies the configuration and the terminal's DTR setting into the controls.
    void Property();
    // Applies the dialog; closes it when the port test passes.
    void OK_Click();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    Forms& forms_;
    AppState& state_;
    QButtonGroup* protocolGroup_;
};
