#pragma once
// A reference page as a teacher can read and correct it: a small text file that names the page
// window it is drawn on, its caption, the controls it shows, hides or captions, and its lines.
//
//     # Comments and blank lines are ignored above "texte:".
//     fenêtre: FMessage
//     titre: Port Série
//     montrer: BPExercice(1) Annuler
//     cacher: BPExemple
//     légende BPExercice(0): Exercice n°1
//     focus: Annuler
//     lien ImageVoir: Handshaking
//     y: 2500
//     texte:
//     500> C'est le canal utilisé pour la communication série asynchrone.
//     ¶
//     2000> - n°1|Com1|3F8,
//     @y 4500
//     @couleur 128 0 0
//     800> Voir aussi ...
//
// In the text, "X> words" prints the words from x = X (twips) and goes to the next line, every
// blank kept as written; a "|" in the words moves to the next print zone, as a tab does, while
// "\|" prints a bar and "\\" a backslash (any other backslash prints as it is). "¶"
// is an empty line; "@y Y" moves the cursor down or up to y = Y; "@couleur R G B" sets the text
// colour and "@couleur" alone gives the window's own back; "@police P" prints what follows in
// the window's font at P pixels (a long list that must fit the page), its print zones measured
// in that size, until the end of the page. Blank lines of the text are ignored.
// "lien X: Y" makes the picture X a link: clicking it closes the page and runs the main window's
// menu item Y, as if it had been chosen there (another page, most often), or, when no menu item
// has that name, opens the page Y.

#include <QColor>
#include <QList>
#include <QPair>
#include <QRectF>
#include <QString>
#include <QStringList>
#include <optional>

class DrawSurface;

namespace pages {

struct PageLine {
    enum class Kind { Text, Empty, MoveY, Colour, DefaultColour, FontSize };
    Kind kind = Kind::Text;
    int x = 0;         // Text: where it starts (twips)
    int y = 0;         // MoveY: the new cursor row (twips)
    QString text;      // Text: as written, "|" marking the print zones
    QColor colour;     // Colour
    int pixels = 0;    // FontSize
    int fileLine = 0;  // where it was written, for the messages about a page
};

struct Page {
    QString window;   // the page window it is drawn on
    QString caption;  // the window's caption while it is shown
    QStringList show;
    QStringList hide;
    QList<QPair<QString, QString>> captions;  // control, caption
    QList<QPair<QString, QString>> links;     // control, the menu item it runs
    QString focus;                            // the control that gets the keyboard, if any
    int firstY = 0;                           // twips
    QList<PageLine> lines;

    // Every control the page names, once each, in the order first named.
    QStringList controls() const;
};

struct ParseResult {
    std::optional<Page> page;
    QString error;  // what is wrong, when no page
    int line = 0;   // the file's line where it is wrong (1-based)
};

// Reads a page file's text (already decoded).
ParseResult parse(const QString& text);

// Reads one line of a page's text (not blank), numbered `fileLine`; false with the reason when
// it is none of the forms above. Other files made of such lines (the exercises) use it too.
bool parseLine(const QString& line, int fileLine, PageLine* out, QString* error);

// Prints lines as draw() does, from the cursor where it is. The surface's font is as it was
// when it returns.
void drawLines(const QList<PageLine>& lines, DrawSurface& surface);

// Prints the page's lines on a surface that measures in twips, from the page's first y: the
// surface is not cleared first. The text colour is left as the page set it last.
void draw(const Page& page, DrawSurface& surface);

// The texts that reach beyond `area` (in the surface's units), as "text" for each.
QStringList outside(const DrawSurface& surface, const QRectF& area);

}  // namespace pages
