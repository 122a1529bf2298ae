#pragma once
// The retained drawing surface of a window: what the window "prints" (texts at a cursor, in
// print zones) and the lines it draws, kept as a list of items. The list is painted on screen
// by the window's widget, on a printer page, or into an image, and tests read it item by item.
//
// Positions are in the surface's units. A unit is one pixel of the window's client area unless a
// scale is set: twips (15 to a pixel), or a user scale of so many units across and down the
// client area. Text metrics are measured in pixels with the item's font and converted to units.

#include <QColor>
#include <QFont>
#include <QImage>
#include <QList>
#include <QObject>
#include <QPointF>
#include <QRectF>
#include <QSize>
#include <QSizeF>
#include <QString>
#include <QStringList>
#include <functional>

class QPainter;

// The drawing windows' client area in pixels (the terminal, the sheet), and the print layout
// window's user scale, which places the same coordinates identically on its page.
inline constexpr QSize kDrawingPixels{598, 347};
inline constexpr QSize kPrintScale{598, 345};

// One thing drawn on a surface.
struct DrawItem {
    enum class Kind { Text, Line };
    Kind kind = Kind::Text;
    QPointF p1;     // text: top-left corner; line: first end (units)
    QPointF p2;     // line: second end (units); text: same as p1
    QSizeF extent;  // text: advance width and line height (units); line: empty
    QString text;   // text only
    QColor color;   // text: the text colour at the time; line: the line's colour
    bool dotted = false;
    QFont font;        // text only
    double width = 1;  // line: the drawing width at the time, in pixels
    QPointF pix1;      // p1 in client pixels, as placed when drawn
    QPointF pix2;      // p2 in client pixels
};

class DrawSurface : public QObject {
    Q_OBJECT
public:
    enum class ScaleMode { Pixel, Twip, User };
    enum class LineStyle { Solid, Dotted };
    // Where the cursor goes after a print: to the start of the next line, just after the text,
    // or to the next print-zone boundary after the text.
    enum class PrintEnd { NewLine, SameLine, NextZone };

    // The windows' default font: the equivalent of the classic 8-point sans serif, Liberation
    // Sans (metric-compatible with Arial) at 11 pixels, so that it does not depend on the
    // screen's resolution. A space is about 3 pixels wide, a digit about 6.
    static QFont formFont();

    explicit DrawSurface(QObject* parent = nullptr);

    // The drawing state, read and written freely like the properties of a window.
    double CurrentX = 0;  // units
    double CurrentY = 0;  // units
    QColor ForeColor{0, 0, 0};
    QFont Font = formFont();
    double DrawWidth = 1;  // pixels

    // Removes every item; the cursor goes back to (0, 0).
    void Cls();

    // Prints a text with its top-left corner at the cursor, then moves the cursor as `end` says.
    // A line break in the text ("\r\n", "\n" or "\r") starts a new line at x = 0; a tab moves to
    // the next print zone. An empty text only moves the cursor.
    void Print(const QString& text = QString(), PrintEnd end = PrintEnd::NewLine);

    // Prints items in successive print zones: the first at the cursor, each next one at the
    // first print-zone boundary after the end of the previous one. An empty item takes no room,
    // so an empty item between two others makes two zone separators. Then moves as `end` says.
    void PrintZones(const QStringList& items, PrintEnd end = PrintEnd::NewLine);

    // Moves the cursor to the first print-zone boundary after it.
    void NextZone();

    // A line between two points in the current drawing width; the cursor ends at (x2, y2).
    void Line(double x1, double y1, double x2, double y2, const QColor& color,
              LineStyle style = LineStyle::Solid);

    // Scale. The client size is the window's client area in pixels: a fixed size, or asked
    // each time from a source (the widget showing the surface, whose size is known even while
    // it is hidden). The user scale maps its units onto the client size in force when drawing.
    void setClientSize(const QSizeF& pixels);
    void setClientSizeSource(std::function<QSizeF()> source);
    QSizeF clientSize() const;
    void setScaleMode(ScaleMode mode);                    // Pixel or Twip
    void setScale(double unitsAcross, double unitsDown);  // User scale
    ScaleMode scaleMode() const { return mode_; }
    double ScaleWidth() const;   // units across the client area
    double ScaleHeight() const;  // units down the client area
    double unitsPerPixelX() const;
    double unitsPerPixelY() const;

    // Metrics of the current font, in units.
    double textWidth(const QString& text) const;
    double lineHeight() const;
    double zoneWidth() const;
    // The first print-zone boundary strictly after x (units).
    double nextZoneX(double x) const;

    // The items, in drawing order.
    const QList<DrawItem>& items() const { return items_; }
    // The texts printed, line by line: texts on the same row that were printed one after the
    // other are joined (with one blank where they do not touch).
    QStringList textLines() const;

    // Draws every item, scaled so that the client area fills `target`. No background.
    void paint(QPainter& painter, const QRectF& target) const;
    // The items painted on an image of that size in pixels, filled with `background` first.
    QImage toImage(const QSize& pixels, const QColor& background = QColor(255, 255, 255)) const;

signals:
    // Emitted after every change of the items.
    void changed();

private:
    // Units per pixel along one axis: 1, 15, or the user scale over the client size.
    double unitsPerPixel(double userUnits, double pixels) const;
    void addText(const QString& text);
    void newLine();
    double pixelsToUnitsX(double px) const { return px * unitsPerPixelX(); }
    double pixelsToUnitsY(double px) const { return px * unitsPerPixelY(); }

    QList<DrawItem> items_;
    QSizeF clientPx_{kDrawingPixels};
    std::function<QSizeF()> clientSource_;
    ScaleMode mode_ = ScaleMode::Pixel;
    QSizeF userScale_{kDrawingPixels};
};
