#pragma once
// Feuille: the sheet window of the worked examples and of the test board's drawings. Its
// surface shows the timing diagram of an example character, code line at the foot of the sheet.
// The board's three drawings are shown one after the other (schematic, component layout, track
// layout), and the one shown can be printed, the two layouts at their true size.

#include <QList>
#include <array>

#include "ui/hardware/boardviews.h"
#include "ui/hardware/diagramwindow.h"

class PrintNotice;
class QPushButton;
class SvgButton;
class SvgPicture;

class Feuille : public DiagramWindow {
    Q_OBJECT
public:
    explicit Feuille(Forms& forms, QWidget* parent = nullptr);

    // Draws the timing diagram of the example character.
    void Chronogramme() { drawDiagram(); }

    // The test board's documentation, from its schematic on, over the main window (the
    // test-board guide's way to the drawings).
    void showBoard();

    // The worked example: the timing diagram of `code` under the configuration in force, with
    // Annuler and the exercise buttons whose indexes (0 to 2) are in `exercises` beside it,
    // over the main window.
    void showExample(int code, const QList<int>& exercises = {});
    // The exercise buttons put away: their exercise is asked elsewhere, or is over.
    void hideExercises();

    void ImageVoir_Click();
    void ImageImprimer_Click();
    void Annuler_Click();
    void Exercice_Click(int index);

signals:
    // The sheet has been left through its Annuler and is bare again: windows that put something
    // beside it take it away.
    void sheetCleared();
    // An exercise button was pressed: the exercises that were offered beside the example, in
    // the order of their buttons. The sheet hides as soon as this returns.
    void exerciseAsked(const QList<int>& offered);

private:
    void buildBoardPictures();
    void buildButtons();
    // Places the controls on a sheet `zoom` times its design size, centred on the screen.
    void place(double zoom);
    // How much larger the sheet is for the board's drawings on this screen.
    double boardZoom() const;
    // Shows `view`'s drawing under its caption, and the view button for the next view, if any.
    void showView(board::View view);
    SvgPicture* picture(board::View view) const;

    Forms& forms_;
    std::array<SvgPicture*, 3> pictures_{};
    SvgButton* ImageVoir = nullptr;
    SvgButton* ImageImprimer = nullptr;
    std::array<QPushButton*, 3> Exercice{};
    QPushButton* Annuler = nullptr;
    PrintNotice* notice_ = nullptr;
};
