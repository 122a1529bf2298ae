#pragma once
// What the two wiring windows share: a drawing of the cable or plug, an oscilloscope whose
// hookup (probes and their cables) the button Mesure puts on and takes off, its caption naming
// the hookup's state, and Annuler, which leaves the window with the hookup off. Esc and the
// window manager's close act as Annuler.

#include <QColor>
#include <QList>
#include <QPoint>

#include "serial/labline/line.h"
#include "ui/shell/surfacewidget.h"

class Forms;
class QPushButton;
class ShapeBox;
class SvgButton;
class QKeyEvent;

class WiringWindow : public SurfaceWidget {
    Q_OBJECT
public:
    struct Look {
        const char* objectName;
        const char* caption;
        int clientWidthTw;
        int clientHeightTw;
    };
    WiringWindow(Forms& forms, const Look& look, QWidget* parent = nullptr);

    // Cleared and shown over the main window, the keyboard on Annuler.
    void present();

    void Mesure_Click();
    // With the hookup on and the port on the virtual lab, opens the oscilloscope on the probes'
    // wires; on a real port, says that the oscilloscope needs the lab.
    void ImageOscillo_Click();
    virtual void Annuler_Click();

    // Whether the probes and their cables are on.
    bool hookupShown() const;

protected:
    // The oscilloscope, its screen's cover when off, and the buttons Mesure and Annuler.
    // `wires`: what its channels show, the first one triggering.
    void addOscilloscope(const QString& resource, QPoint topLeftTw,
                         const QList<labline::Signal>& wires);
    void addButtons(QPoint mesureTw, QPoint annulerTw);
    // A part of the hookup: shown only while the oscilloscope is on.
    void addProbe(const QString& objectName, const QString& resource, QPoint topLeftTw,
                  const QString& tip);
    void keyPressEvent(QKeyEvent* event) override;
    void addCable(const QString& objectName, QPoint fromTw, QPoint toTw, const QColor& colour);
    // The whole hookup: three probes on the plug's test points (a signal, ground, another
    // signal), in a column at `probesLeftTw`, each with its cable run square to its socket on
    // the oscilloscope (Voie 1, Voie 2, ground), whose bottoms are at `socketsBottomTw`.
    struct ProbeRun {
        const char* probe;      // the probe's name
        const char* tip;        // and its tooltip
        const char* cables[2];  // the cable's two segments: along the row, then up to the socket
        int rowTw;              // the test point's row
        int socketTw;           // the socket's x
        QColor colour;
    };
    void addHookup(int probesLeftTw, int socketsBottomTw, const ProbeRun (&runs)[3]);
    // The last step of a constructor: the hookup off, Esc and close as Annuler, centred.
    void finish();

    Forms& forms_;
    QPushButton* Mesure = nullptr;
    QPushButton* Annuler = nullptr;

private:
    void showHookup(bool on);

    SvgButton* ImageOscillo = nullptr;
    ShapeBox* Ecran = nullptr;
    QPoint scopeTw_;
    QList<labline::Signal> scopeWires_;
    QList<QWidget*> hookup_;
};

// The sizes of the pieces the wiring windows lay out, in twips.
inline constexpr int kProbeWidthTw = 900;
inline constexpr int kProbeHeightTw = 240;
