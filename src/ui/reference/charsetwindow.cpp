// The character set page of the information window: a page with no file, drawn from the codes.
#include "core/charsetpage.h"
#include "ui/reference/finfo.h"

void FInfo::Jeu_Click() {
    pages::Page page;
    page.window = QStringLiteral("FInfo");
    page.caption = charsetpage::caption();
    page.show = {QStringLiteral("Annuler")};
    page.focus = QStringLiteral("Annuler");
    showPage(page);
    charsetpage::draw(surface());
}
