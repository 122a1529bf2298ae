#pragma once
// FEssai2PC: the one window of the three test guides (a computer's self-test, two computers, the
// test board). Each guide fills it with its caption, its pictures and buttons and its printed
// text, as the guide table says; from it the user goes on to the wiring window of the guide or
// to the test board's drawings.

#include "ui/hardware/guidetable.h"
#include "ui/shell/surfacewidget.h"

class Forms;
struct AppState;
class FrameButton;
class QKeyEvent;
class QPushButton;
class SvgButton;
class SvgPicture;

class FEssai2PC : public SurfaceWidget {
    Q_OBJECT
public:
    explicit FEssai2PC(Forms& forms, QWidget* parent = nullptr);

    // The guide opened from the main menu, over the main window.
    void openGuide(Guide guide);

    // The guide's wiring window, as GuideKind says, in place of the guide.
    void BrochageCable_Click();
    // The test board's drawings in place of the guide.
    void BPCarte_Click();
    // The note about programmable cables in place of the guide's text.
    void FrameCable_Click();
    void Annuler_Click();

    // The programmable cable's picture taken away (by the windows the guide led to, once left).
    void hideCablePro();

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void buildControls();
    void printText(const GuideText& text);

    Forms& forms_;
    AppState& state_;
    SvgPicture* Image1 = nullptr;
    SvgPicture* Image2 = nullptr;
    QPushButton* BPCarte = nullptr;
    SvgButton* BrochageCable = nullptr;
    FrameButton* FrameCable = nullptr;
    SvgPicture* ImageCablePro = nullptr;
    QPushButton* Annuler = nullptr;
};
