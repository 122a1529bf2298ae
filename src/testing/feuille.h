#pragma once
// Feuille: the sheet window of the worked examples and of the test board's drawings. Its
// surface shows the timing diagram of an example character.

#include "app/surfacewidget.h"

struct AppState;

class Feuille : public SurfaceWidget {
    Q_OBJECT
public:
    explicit Feuille(QWidget* parent = nullptr);

    // Draws the timing diagram of the example character, code line at the foot of the sheet.
    void Chronogramme(const AppState& state);
};
