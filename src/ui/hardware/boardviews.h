#pragma once
// The test board's three drawings as the sheet shows them one after the other and the print
// layout window puts them on paper: the view's caption on the sheet (which is also the title
// line of a printed layout), its drawing, the pictures that show it, and how it goes on paper.

#include <QString>
#include <optional>
#include <span>

#include "ui/shell/pageprinter.h"

namespace board {

enum class View { Schematic, Components, Tracks };

struct ViewLook {
    View view;
    QString caption;           // the sheet's caption in this view
    QString resource;          // the drawing
    QString tip;               // the pictures' tooltip
    const char* sheetPicture;  // the picture's name on the sheet
    const char* pagePicture;   // and on the print layout window
    bool titled;               // printed under the caption as its title line
    pageprinter::Scale scale;
};

// The views in the order the sheet goes through them.
std::span<const ViewLook> views();
const ViewLook& look(View view);
// The view after `view`; none after the last.
std::optional<View> next(View view);
// The view a sheet's caption names; none for any other caption (a worked example).
std::optional<View> viewOfCaption(const QString& caption);

}  // namespace board
