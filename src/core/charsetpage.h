#pragma once
// The page of the whole 8-bit character set: sixteen columns of sixteen codes, each code in
// decimal followed by its Windows-1252 character in blue, or by a red "?" when it is not shown
// as a character (the soft hyphen as a hyphen, so that it is seen), and a legend for the red mark
// under the columns. Drawn from the codes themselves on a surface that measures in twips.

#include <QColor>
#include <QString>

class DrawSurface;

namespace charsetpage {

inline constexpr int kCodes = 256;
inline constexpr int kCodesPerColumn = 16;
// Where the columns go (twips): each code of column k starts at x = kFirstX + k * kColumnStep.
inline constexpr int kTop = 800;
inline constexpr int kFirstX = 100;
inline constexpr int kColumnStep = 550;
inline constexpr int kLegendX = 400;

inline const QColor kShownColour{0, 0, 200};
inline const QColor kNotShownColour{200, 0, 0};

// The window's caption while the page is shown.
QString caption();

// The x of the column that holds `code` (twips).
int columnX(int code);

// Prints the columns and the legend from the top of the surface, which is not cleared first.
// The text colour is black when it returns.
void draw(DrawSurface& surface);

}  // namespace charsetpage
