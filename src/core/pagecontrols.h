#pragma once
// The controls of a page window as a table a teacher can read: one control a line, its fields
// separated by "|", in the order they are placed (which is also the order of the Tab key).
//
//     # genre | nom       | gauche haut largeur hauteur | dessin ou légende | bulle d'aide | départ
//     image   | Icone     | 120 120 480 480             | info-icon.svg     | Informations | montré
//     lien    | ImageVoir | 240 4440 480 480            | link-arrow.svg    | Cliquez ici  | caché
//     bouton  | BPExemple | 3600 4560 1095 495          | Exemple           | Chronogramme | montré
//     annuler | Annuler   | 7680 4560 1095 495          | Annuler           | Retour       | montré
//
// "image" is a picture, "lien" a picture that acts as a button, "bouton" a push button,
// "annuler" the window's default and cancel button (one per window), "cadre" a frame with its
// caption and "ligne" a straight line across its rectangle (its caption field is "-"); a frame
// or a line goes over what comes before it in the table. Positions are in twips in
// the client area; a drawing is a file of the resources (":/" is added). The tooltip may be
// empty (a decorative picture); "départ" says whether the control is shown when the window is
// loaded and each time a page starts from a bare window. Comments and blank lines are ignored.

#include <QList>
#include <QRect>
#include <QString>
#include <optional>

namespace pages {

// The farthest a control may reach to the right or down, in twips: far beyond any screen (some
// 6 700 pixels), and far enough from int's limits that an edge is always computed exactly.
inline constexpr int kMaxPageTwips = 100'000;

struct ControlSpec {
    enum class Kind { Picture, Link, Button, Cancel, Frame, Line };
    Kind kind = Kind::Picture;
    QString name;
    QRect geometry;   // twips
    QString content;  // Picture, Link: the drawing's resource path; buttons: the caption
    QString tip;
    bool shownAtStart = false;
    int fileLine = 0;

    bool isButton() const { return kind == Kind::Button || kind == Kind::Cancel; }
    bool showsDrawing() const { return kind == Kind::Picture || kind == Kind::Link; }
};

struct ControlTable {
    QList<ControlSpec> controls;
    std::optional<ControlSpec> find(const QString& name) const;
};

struct ControlTableResult {
    std::optional<ControlTable> table;
    QString error;
    int line = 0;  // 1-based, where it is wrong
};

ControlTableResult parseControls(const QString& text);

}  // namespace pages
