#include "ui/hardware/ftest.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShortcut>

#include "ui/hardware/bitframe.h"
#include "ui/hardware/velmoconsole.h"
#include "ui/shell/formkit.h"
#include "ui/shell/forms.h"

using namespace formkit;

namespace {

constexpr char kBitTip[] = "Cliquez sur un bit";
constexpr char kDecimalTip[] = "Valeur Décimale";
constexpr char kVoltageTip[] = "Valeur Tension";
constexpr char kFallingTip[] = "Front Descendant";
constexpr char kRisingTip[] = "Front Montant";
constexpr char kZero[] = "0";
constexpr char kOne[] = "1";

// The rows of bit cells (binary inputs and outputs): a label above each sunken frame.
constexpr int kCellLeft = 240;
constexpr int kCellPitch = 630;
constexpr int kCellWidth = 570;
// The analog output's bits, bit 7 on the left.
constexpr int kBitLeft = 120;
constexpr int kBitPitch = 570;
constexpr int kBitWidth = 510;
// The analog inputs' rows.
constexpr int kRowTop = 420;
constexpr int kRowPitch = 495;
constexpr int kRowHeight = 375;

QLineEdit* addBox(QWidget* parent, const QString& name, const QString& tip, int left, int top,
                  int width, int height) {
    auto* box = new QLineEdit(parent);
    box->setObjectName(name);
    box->setReadOnly(true);
    box->setFocusPolicy(Qt::NoFocus);
    placeTw(box, left, top, width, height);
    if (!tip.isEmpty()) {
        box->setToolTip(tip);
        box->setAccessibleName(tip);
    }
    return box;
}

QLabel* addCaption(QWidget* parent, const QString& name, const QString& text, int left, int top,
                   int width, int height, Qt::Alignment align) {
    QLabel* label = addLabel(parent, name, text, left, top, width, height);
    label->setAlignment(align | Qt::AlignVCenter);
    return label;
}

// A row of bit cells: a label above each frame, the design contents "0".
template <size_t N>
void addBitCells(QWidget* group, const QString& frameName, const QString& boxName,
                 const QString& labelPrefix, bool clickable, std::array<BitFrame*, N>& frames,
                 std::array<QLineEdit*, N>& boxes) {
    for (size_t i = 0; i < N; ++i) {
        const int left = kCellLeft + int(i) * kCellPitch;
        addCaption(group, labelPrefix + QString::number(i), labelPrefix + QString::number(i), left,
                   300, kCellWidth, 255, Qt::AlignHCenter);
        frames[i] = new BitFrame(group, frameName + QString::number(i), clickable);
        placeTw(frames[i], left, 570, kCellWidth, 495);
        boxes[i] = frames[i]->box();
        boxes[i]->setObjectName(boxName + QString::number(i));
        boxes[i]->setText(kZero);
        boxes[i]->setAccessibleName(labelPrefix + QString::number(i));
        if (clickable) frames[i]->setToolTip(kBitTip);
    }
}

}  // namespace

FTest::FTest(Forms&, VelmoConsole& console, QWidget* parent) : QWidget(parent), console_(console) {
    setUpWindow(this, "FTest", "Test  Velmo - XQ", Border::FixedSingle, 9720, 5400);
    buildAnalogInputs();
    buildBinaryInputs();
    buildBinaryOutputs();
    buildEdgeCounters();
    buildAnalogOutput();
    BoutonQuitter = addButton(this, "BoutonQuitter", "Annuler", 8280, 4860, 1320, 420);
    connect(BoutonQuitter, &QPushButton::clicked, this, &FTest::BoutonQuitter_Click);
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(escape, &QShortcut::activated, this, &FTest::BoutonQuitter_Click);
    refuseClose(this, [this] { BoutonQuitter_Click(); });
    comeToFrontWhenShown(this);
}

void FTest::buildAnalogInputs() {
    FrameEntreesAna =
        addGroup(this, "FrameEntreesAna", "Entrées Analogiques", 120, 120, 3240, 4560);
    for (int i = 0; i < velmoxq::kAnalogInputs; ++i) {
        const int top = kRowTop + i * kRowPitch;
        LabelEA[i] =
            addCaption(FrameEntreesAna, QStringLiteral("LabelEA%1").arg(i),
                       velmoxq::analogInputLabel(i), 120, top, 1080, kRowHeight, Qt::AlignLeft);
        TextEA[i] = addBox(FrameEntreesAna, QStringLiteral("TextEA%1").arg(i), kDecimalTip, 1260,
                           top, 780, kRowHeight);
        TextEATension[i] = addBox(FrameEntreesAna, QStringLiteral("TextEATension%1").arg(i),
                                  kVoltageTip, 2160, top, 960, kRowHeight);
        TextEA[i]->setText(" ");
        TextEATension[i]->setText(" ");
        TextEA[i]->setAccessibleName(LabelEA[i]->text() + ", " + kDecimalTip);
        TextEATension[i]->setAccessibleName(LabelEA[i]->text() + ", " + kVoltageTip);
    }
}

void FTest::buildBinaryInputs() {
    FrameEntreesBinaires =
        addGroup(this, "FrameEntreesBinaires", "Entrées Binaires", 3480, 120, 4080, 1290);
    addBitCells(FrameEntreesBinaires, "FrameBitEL", "TextBitELog", "EB", false, FrameBitEL,
                TextBitELog);
}

void FTest::buildBinaryOutputs() {
    FrameSortiesBinaires =
        addGroup(this, "FrameSortiesBinaires", "Sorties Binaires", 3480, 1530, 4080, 1290);
    addBitCells(FrameSortiesBinaires, "FrameBitSL", "TextBitSLog", "SB", true, FrameBitSL,
                TextBitSLog);
    for (int i = 0; i < velmoxq::kBinaryOutputs; ++i)
        connect(FrameBitSL[i], &BitFrame::clicked, this, [this, i] { FrameBitSL_Click(i); });
}

void FTest::buildEdgeCounters() {
    FrameFront = addGroup(this, "FrameFront", "Entrées Front", 7680, 120, 1920, 2700);
    addCaption(FrameFront, "LabelDescendant", "Descendant", 120, 330, 1680, 255, Qt::AlignLeft);
    BoutonFront0 = addButton(FrameFront, "BoutonFront0", "EF0", 120, 630, 660, 420, kFallingTip);
    TextFront0 = addBox(FrameFront, "TextFront0", kFallingTip, 900, 652, 900, 375);
    addCaption(FrameFront, "LabelMontant", "Montant", 120, 1320, 1680, 255, Qt::AlignLeft);
    BoutonFront1 = addButton(FrameFront, "BoutonFront1", "EF1", 120, 1620, 660, 420, kRisingTip);
    TextFront1 = addBox(FrameFront, "TextFront1", kRisingTip, 900, 1642, 900, 375);
    connect(BoutonFront0, &QPushButton::clicked, this, [this] { BoutonFront_Click(0); });
    connect(BoutonFront1, &QPushButton::clicked, this, [this] { BoutonFront_Click(1); });
}

void FTest::buildAnalogOutput() {
    FrameSortieAna = addGroup(this, "FrameSortieAna", "Sortie Analogique", 3480, 2940, 6120, 1740);
    addCaption(FrameSortieAna, "LabelSA", "SA(5v)", 120, 330, 900, 255, Qt::AlignLeft);
    for (int bit = 0; bit < velmoxq::kAnalogOutBits; ++bit) {
        const int left = kBitLeft + (velmoxq::kAnalogOutBits - 1 - bit) * kBitPitch;
        FrameBit[bit] = new BitFrame(FrameSortieAna, QStringLiteral("FrameBit%1").arg(bit), true);
        placeTw(FrameBit[bit], left, 630, kBitWidth, 495);
        FrameBit[bit]->setToolTip(kBitTip);
        TextBit[bit] = FrameBit[bit]->box();
        TextBit[bit]->setObjectName(QStringLiteral("TextBit%1").arg(bit));
        const QString weight = QString::number(velmoxq::bitWeight(bit));
        TextBit[bit]->setAccessibleName(QStringLiteral("SA bit %1 (%2)").arg(bit).arg(weight));
        Text1[bit] = addCaption(FrameSortieAna, QStringLiteral("Text1_%1").arg(bit), weight, left,
                                1170, kBitWidth, 255, Qt::AlignHCenter);
        connect(FrameBit[bit], &BitFrame::clicked, this, [this, bit] { FrameBit_Click(bit); });
    }
    ConversionBinaire(velmoxq::kAnalogOutStart);
    TextSortieAna = addBox(FrameSortieAna, "TextSortieAna", kDecimalTip, 4800, 630, 1200, 375);
    TextSortieAnaTension =
        addBox(FrameSortieAna, "TextSortieAnaTension", kVoltageTip, 4800, 1110, 1200, 375);
    TextSortieAna->setText(QString::number(velmoxq::kAnalogOutStart));
    TextSortieAnaTension->setText(kZero);
}

void FTest::present() {
    centreOnScreen(this);
    show();
    BoutonQuitter->setFocus();
}

void FTest::showAnalogInput(int input, const velmoxq::Decimal& code) {
    TextEA[input]->setText(velmoxq::plainText(code));
    TextEATension[input]->setText(velmoxq::signedText(velmoxq::analogInputVoltage(input, code)));
}

void FTest::showBinaryInput(int input, const velmoxq::Decimal& state) {
    TextBitELog[input]->setText(velmoxq::plainText(state));
}

void FTest::showEdgeCount(int counter, const velmoxq::Decimal& count) {
    (counter == 0 ? TextFront0 : TextFront1)->setText(velmoxq::plainText(count));
}

void FTest::ConversionBinaire(int value) {
    const auto bits = velmoxq::analogOutputBits(value);
    for (int bit = 0; bit < velmoxq::kAnalogOutBits; ++bit)
        TextBit[bit]->setText(bits[bit] ? kOne : kZero);
}

void FTest::ConversionTension(int value) {
    TextSortieAnaTension->setText(velmoxq::analogOutputText(value));
}

void FTest::BoutonFront_Click(int counter) {
    console_.requestEdgeCount(counter);
    BoutonQuitter->setFocus();
}

void FTest::FrameBitSL_Click(int output) {
    const bool on = TextBitSLog[output]->text() == kZero;
    TextBitSLog[output]->setText(on ? kOne : kZero);
    console_.setBinaryOutput(output, on);
}

void FTest::FrameBit_Click(int bit) {
    const bool on = TextBit[bit]->text() == kZero;
    TextBit[bit]->setText(on ? kOne : kZero);
    console_.setAnalogOutputBit(bit, on);
    ConversionBinaire(console_.AnalogOutValue);
    TextSortieAna->setText(velmoxq::signedText({console_.AnalogOutValue, 0}));
    ConversionTension(console_.AnalogOutValue);
}

void FTest::BoutonQuitter_Click() {
    console_.Annuler();
}
