#pragma once
// FTest: the interface-unit console's window. It shows what the polling reads and passes the
// user's clicks to the console (VelmoConsole), which owns the state and the serial control. It
// is created afresh at each start, with the design contents; closing it in any way (Annuler,
// Esc, the window manager) ends the console.

#include <QWidget>
#include <array>

#include "core/velmo.h"

class BitFrame;
class Forms;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class VelmoConsole;

class FTest : public QWidget {
    Q_OBJECT
public:
    // Created by the registry (Forms) for the console.
    FTest(Forms& forms, VelmoConsole& console, QWidget* parent = nullptr);

    QGroupBox* FrameFront;
    QPushButton* BoutonFront0;
    QPushButton* BoutonFront1;
    QLineEdit* TextFront0;
    QLineEdit* TextFront1;

    QGroupBox* FrameEntreesBinaires;
    std::array<BitFrame*, velmoxq::kBinaryInputs> FrameBitEL;
    std::array<QLineEdit*, velmoxq::kBinaryInputs> TextBitELog;

    QGroupBox* FrameSortiesBinaires;
    std::array<BitFrame*, velmoxq::kBinaryOutputs> FrameBitSL;
    std::array<QLineEdit*, velmoxq::kBinaryOutputs> TextBitSLog;

    QGroupBox* FrameSortieAna;
    std::array<BitFrame*, velmoxq::kAnalogOutBits> FrameBit;
    std::array<QLineEdit*, velmoxq::kAnalogOutBits> TextBit;
    std::array<QLabel*, velmoxq::kAnalogOutBits> Text1;
    QLineEdit* TextSortieAna;
    QLineEdit* TextSortieAnaTension;

    QGroupBox* FrameEntreesAna;
    std::array<QLabel*, velmoxq::kAnalogInputs> LabelEA;
    std::array<QLineEdit*, velmoxq::kAnalogInputs> TextEA;
    std::array<QLineEdit*, velmoxq::kAnalogInputs> TextEATension;

    QPushButton* BoutonQuitter;

    // Centred, shown, the keyboard on "Annuler".
    void present();

    // What the polling read.
    void showAnalogInput(int input, const velmoxq::Decimal& code);
    void showBinaryInput(int input, const velmoxq::Decimal& state);
    void showEdgeCount(int counter, const velmoxq::Decimal& count);

    // The bit boxes and the voltage of the analog output from its code.
    void ConversionBinaire(int value);
    void ConversionTension(int value);

    void BoutonFront_Click(int counter);
    void FrameBitSL_Click(int output);
    void FrameBit_Click(int bit);
    void BoutonQuitter_Click();

private:
    void buildEdgeCounters();
    void buildBinaryInputs();
    void buildBinaryOutputs();
    void buildAnalogOutput();
    void buildAnalogInputs();

    VelmoConsole& console_;
};
