#pragma once
// Feuille: the sheet window of the worked examples and of the test board's drawings. Its
// surface shows the timing diagram of an example character, code line at the foot of the sheet.

#include "ui/hardware/diagramwindow.h"

class Feuille : public DiagramWindow {
    Q_OBJECT
public:
    explicit Feuille(Forms& forms, QWidget* parent = nullptr);

    // Draws the timing diagram of the example character.
    void Chronogramme() { drawDiagram(); }

    // The test board's documentation, from its schematic on, over the main window (the
    // test-board guide's way to the drawings).
    void showBoard();

signals:
    // The sheet has been left through its Annuler and is bare again: windows that put something
    // beside it take it away.
    void sheetCleared();

private:
    Forms& forms_;
};
