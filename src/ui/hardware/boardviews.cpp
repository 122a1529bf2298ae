#include "ui/hardware/boardviews.h"

#include <array>

namespace board {

namespace {

using pageprinter::Scale;

// The two layouts are made into a board: they print at their true size, under their caption.
const std::array<ViewLook, 3> kViews{{
    {View::Schematic, QStringLiteral("Carte d'essai : schéma structurel"),
     QStringLiteral(":/board-schematic.svg"), QStringLiteral("Schéma structurel"),
     "ImageCarteEssai", "ImageSchéma", false, Scale::FitToPage},
    {View::Components, QStringLiteral("Carte d'essai : implantation des composants"),
     QStringLiteral(":/board-components.svg"), QStringLiteral("Implantation des composants"),
     "ImageImplant", "ImageImplantation", true, Scale::TrueSize},
    {View::Tracks, QStringLiteral("Carte d'essai : tracé des pistes"),
     QStringLiteral(":/board-tracks.svg"), QStringLiteral("Tracé des pistes"), "ImagePiste",
     "ImagePistes", true, Scale::TrueSize},
}};

}  // namespace

std::span<const ViewLook> views() {
    return kViews;
}

const ViewLook& look(View view) {
    return kViews[static_cast<std::size_t>(view)];
}

std::optional<View> next(View view) {
    const auto index = static_cast<std::size_t>(view) + 1;
    if (index >= kViews.size()) return std::nullopt;
    return kViews[index].view;
}

std::optional<View> viewOfCaption(const QString& caption) {
    for (const ViewLook& v : kViews)
        if (v.caption == caption) return v.view;
    return std::nullopt;
}

}  // namespace board
