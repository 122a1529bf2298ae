#pragma once
// Small helpers shared by every window: fixed layouts in twips, centring on the screen, the
// windows' look (light grey, no control box), pictures rendered from the SVG resources.

#include <QColor>
#include <QFont>
#include <QPixmap>
#include <QString>

class QWidget;
class QLabel;
class QTextEdit;
class QFrame;

namespace formkit {

// Fixed layouts are given in twips; 15 twips make one pixel.
constexpr int tw(int twips) {
    return twips / 15;
}

// Places a widget at a position and size given in twips, relative to its parent.
void placeTw(QWidget* w, int left, int top, int width, int height);

// Makes a window's client area a fixed size given in twips.
void fixClientSizeTw(QWidget* w, int width, int height);

// Centres a window on its screen: left = (screen width - window width) / 2, same for top.
void centreOnScreen(QWidget* w);

// The windows' background, RGB(192, 192, 192).
inline const QColor kLightGrey{192, 192, 192};

// Gives a window or a control a solid background colour.
void setBackground(QWidget* w, const QColor& colour);

// The kinds of window border. None of them has a control box (close, minimise, maximise).
enum class Border { FixedSingle, ToolWindow };
void setBorder(QWidget* w, Border border);

// The windows' default font: the equivalent of the classic 8-point sans serif, at a fixed pixel
// size so that layouts do not depend on the screen's resolution.
QFont formFont();
// A font of the given family, pixel size and weight.
QFont pixelFont(const QString& family, int pixelSize, bool bold = false);

// An SVG resource rendered at a size in pixels (sharp on high-resolution screens).
QPixmap picture(const QString& resource, int width, int height);

// A picture control: a label showing an SVG resource, placed in twips, with a tooltip and an
// accessible name.
QLabel* addPicture(QWidget* parent, const QString& objectName, const QString& resource, int left,
                   int top, int width, int height, const QString& description);

// A borderless frame, placed in twips.
QFrame* addFrame(QWidget* parent, const QString& objectName, int left, int top, int width,
                 int height);

// A multi-line, borderless, read-only text box on the grey background: the message or the prompt
// of a dialog. It scrolls when a long text does not fit.
QTextEdit* addMessageBox(QWidget* parent, const QString& objectName);

}  // namespace formkit
