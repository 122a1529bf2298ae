#pragma once
// FPrint: the print layout window "Impression". The windows that print ask it for a page by
// what the page is; it composes the page, shows it for the moment of printing and prints it,
// then empties itself for its next user.
//
//     page.composeBoardPage(board::View::Tracks);
//     const pageprinter::Result r = page.print(state.workDir);

#include <array>
#include <optional>

#include "ui/hardware/boardviews.h"
#include "ui/hardware/diagramwindow.h"
#include "ui/shell/pageprinter.h"

class SvgPicture;

class FPrint : public DiagramWindow {
    Q_OBJECT
public:
    explicit FPrint(Forms& forms, QWidget* parent = nullptr);

    // The timing diagram of the current character, as on the terminal.
    void Chrono() { drawDiagram(); }

    // The terminal's page: the timing diagram of the current character, `header` (the link's
    // configuration) across the top and `title` over the diagram.
    void composeDiagramPage(const QString& header, const QString& title);
    // One of the test board's drawings, under its title line when the view has one.
    void composeBoardPage(board::View view);
    // Prints the page composed (a board's layout at its true size), on the default printer or
    // as a PDF in `fallbackFolder`, then empties the window.
    pageprinter::Result print(const QString& fallbackFolder);
    // Empty: no text, no line, no picture.
    void clear();

    // The board's drawing on the page, if any.
    std::optional<board::View> boardPage() const { return boardPage_; }

private:
    SvgPicture* picture(board::View view) const;

    std::array<SvgPicture*, 3> pictures_{};
    std::optional<board::View> boardPage_;
};
