#pragma once
// FPrint: the print layout window "Impression". A page is composed on its surface, in the units
// of the print scale, and then printed as drawn.

#include "ui/hardware/diagramwindow.h"

class FPrint : public DiagramWindow {
    Q_OBJECT
public:
    explicit FPrint(Forms& forms, QWidget* parent = nullptr);

    // The timing diagram of the current character, as on the terminal.
    void Chrono() { drawDiagram(); }
};
