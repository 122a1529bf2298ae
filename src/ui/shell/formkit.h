#pragma once
// Small helpers shared by every window: fixed layouts in twips, centring on the screen, the
// windows' look (light grey, no control box), pictures rendered from the SVG resources.

#include <QColor>
#include <QFont>
#include <QPixmap>
#include <QString>
#include <functional>

class QComboBox;
class QDialog;
class QFrame;
class QGroupBox;
class QLabel;
class QPushButton;
class SvgButton;
class SvgPicture;
class QTextEdit;
class QWidget;

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

// Colours of the desktop's roles, from the application's palette (the style's own): the text of
// a window's title bar, which the styles draw in the highlighted text's colour, and the face of
// a button.
QColor systemTitleBarText();
QColor systemButtonFace();

// Colours the windows and the drawings share.
inline const QColor kTitleRed{200, 0, 0};  // titles printed by the terminal's modes
inline const QColor kNavy{0, 0, 128};      // the main window's status line

// The kinds of window border. None of them has a control box (close, minimise, maximise).
enum class Border { FixedSingle, ToolWindow };
void setBorder(QWidget* w, Border border);

// What every window does first: its object name, caption (which assistive technologies take as
// its name), border without control box, light grey background and fixed client size in twips.
void setUpWindow(QWidget* w, const QString& objectName, const QString& caption, Border border,
                 int clientWidthTw, int clientHeightTw);

// The windows are left through their own buttons: the window manager's close is refused, and
// runs `onClose` instead when one is given (a window whose close must act like its cancel
// button).
void refuseClose(QWidget* w, std::function<void()> onClose = {});

// A window that comes in front and takes the keyboard each time it is shown, transient to the
// window it covers, whoever shows it (a modal dialog must never open under the window it
// blocks).
void comeToFrontWhenShown(QWidget* w);

// One event later, brings `w` in front, active, with the keyboard: the window to work in once
// the current one has gone. Unless by then `w` is hidden or disabled, a modal dialog is up, or
// another window has been shown since (that one is then the window to work in).
void bringToFrontLater(QWidget* w);

// The windows' default font: the equivalent of the classic 8-point sans serif, at a fixed pixel
// size so that layouts do not depend on the screen's resolution.
QFont formFont();
// A font of the given family, pixel size and weight.
QFont pixelFont(const QString& family, int pixelSize, bool bold = false);

// An SVG resource rendered at a size in pixels (sharp on high-resolution screens).
QPixmap picture(const QString& resource, int width, int height);

// A picture control drawing an SVG resource, placed in twips, with an accessible name.
SvgPicture* addPicture(QWidget* parent, const QString& objectName, const QString& resource,
                       int left, int top, int width, int height, const QString& description);
// The same with a tooltip, which is then its name too.
SvgPicture* addTippedPicture(QWidget* parent, const QString& objectName, const QString& resource,
                             int left, int top, int width, int height, const QString& tip);
// A picture that acts as a button: focusable, pressed by Space or Enter, named by its tooltip.
SvgButton* addPictureButton(QWidget* parent, const QString& objectName, const QString& resource,
                            int left, int top, int width, int height, const QString& tip);

// A push button placed in twips, with its tooltip (also its accessible description).
QPushButton* addButton(QWidget* parent, const QString& objectName, const QString& caption, int left,
                       int top, int width, int height, const QString& tip = QString());

// A label placed in twips, right-aligned as the labels in front of lists are.
QLabel* addLabel(QWidget* parent, const QString& objectName, const QString& text, int left, int top,
                 int width, int height);

// A drop-down list placed in twips, offering only its entries, with its tooltip; `label`, when
// given, names it for the keyboard (its buddy) and for screen readers.
QComboBox* addList(QWidget* parent, const QString& objectName, int left, int top, int width,
                   int height, const QString& tip, QLabel* label = nullptr);

// A frame with a caption (none when empty), placed in twips, with its tooltip.
QGroupBox* addGroup(QWidget* parent, const QString& objectName, const QString& caption, int left,
                    int top, int width, int height, const QString& tip = QString());

// A borderless frame, placed in twips.
QFrame* addFrame(QWidget* parent, const QString& objectName, int left, int top, int width,
                 int height);

// A multi-line, borderless, read-only text box on the grey background: the message or the prompt
// of a dialog. It scrolls when a long text does not fit.
QTextEdit* addMessageBox(QWidget* parent, const QString& objectName);

}  // namespace formkit
