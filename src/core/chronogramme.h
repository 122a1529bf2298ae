#pragma once
// The timing diagram of the current character: its frame drawn twice, as the electrical signal
// on the wire (blue: a 0 is a positive voltage, a 1 a negative one) and as the logical signal
// (red: 1 high, 0 low), with the names of the bit positions and the character's codes. The same
// drawing serves the terminal, the worked-example sheet and the print layout window.
//
// Coordinates are the window's drawing units: 598 across, about 347 down. The functions only
// draw; the caller clears the surface first when it wants a fresh picture. Texts use the
// surface's current font and text colour.

#include <QString>
#include <QStringList>

class DrawSurface;

namespace chrono {

struct ChronoInput {
    QString FrameBits;  // "0"/"1" in line order, as built from the code and configuration
    int CurrentCode = 0;
    QString DisplayChar;   // the character as displayed (a blank when not displayable)
    QString DataBits;      // "4".."8"
    QString ParityLetter;  // "N", "E", "O", "S", "M"
    QString StopBits;      // "1", "1.5", "2"
};

// Terminal: the terminal window's diagram. Sheet: the worked-example sheet, whose code line sits
// at (10, 310) and stops after the octal value. Print: the print layout window, identical to
// the terminal's.
enum class ChronoVariant { Terminal, Sheet, Print };

// Fixed geometry of the diagram.
inline constexpr int kLeft = 40;           // left end of every horizontal line
inline constexpr int kRight = 600;         // right end of the axes and idle lines
inline constexpr int kFrameStart = 100;    // x at which the frame begins
inline constexpr int kCell = 41;           // width of one bit cell
inline constexpr int kElectric0 = 60;      // positive voltage (logical 0)
inline constexpr int kElectricAxis = 120;  // 0 V
inline constexpr int kElectric1 = 180;     // negative voltage (logical 1, idle)
inline constexpr int kNamesRow = 220;      // top of the bit names
inline constexpr int kLogic1 = 240;        // logical 1 (idle)
inline constexpr int kLogic0 = 280;        // logical 0 and its axis

// Draws the diagram of the character on the surface.
void Chronogramme(DrawSurface& surface, const ChronoInput& input, ChronoVariant variant);

// The line of bit names printed under the cells, e.g. for 7 bits, even parity, 1 stop:
// "  START     1            2 ... 64        PAI       STOP".
QString bitNamesText(const QString& dataBits, const QString& parityLetter, const QString& stopBits);

// The pieces of that line, in printing order (start, weights, parity name, stop names).
QStringList bitNamesPieces(const QString& dataBits, const QString& parityLetter,
                           const QString& stopBits);

// The code line, e.g. "Code   décimal :  65   ,   hexadécimal :  41  ,   octal :  101  ,   "
// "aspect :  A"; the sheet's line ends after the octal value.
QString codeLineText(int code, const QString& displayChar, ChronoVariant variant);

}  // namespace chrono
