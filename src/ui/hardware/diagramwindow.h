#pragma once
// A window whose surface shows the timing diagram of the current character: the worked-example
// sheet and the print layout window differ only by their caption, size and diagram variant.

#include "core/chronogramme.h"
#include "ui/shell/surfacewidget.h"

class Forms;
struct AppState;

class DiagramWindow : public SurfaceWidget {
    Q_OBJECT
public:
    struct Look {
        const char* objectName;
        const char* caption;
        int clientWidthTw;
        int clientHeightTw;
        chrono::ChronoVariant variant;
    };
    DiagramWindow(Forms& forms, const Look& look, QWidget* parent = nullptr);

protected:
    // Draws the diagram of the current character under the configuration in force.
    void drawDiagram();

private:
    AppState& state_;
    chrono::ChronoVariant variant_;
};
