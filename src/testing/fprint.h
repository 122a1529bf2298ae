#pragma once
// FPrint: the print layout window "Impression". A page is composed on its surface (598 units
// across, 345 down) and then printed as drawn.

#include "app/surfacewidget.h"

struct AppState;

class FPrint : public SurfaceWidget {
    Q_OBJECT
public:
    explicit FPrint(QWidget* parent = nullptr);

    // The timing diagram of the current character, as on the terminal.
    void Chrono(const AppState& state);
};
