// Serlinq: teaching asynchronous RS-232C serial links.
#include <QApplication>

#include "app/appstate.h"
#include "app/fdebut.h"
#include "app/formkit.h"
#include "app/forms.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName("Serlinq");
    QApplication::setFont(formkit::formFont());
    // The program ends through its exit dialog, never because a window was closed.
    QApplication::setQuitOnLastWindowClosed(false);

    AppState state;
    Forms forms(state);
    forms.createDebut(5000).start();
    return QApplication::exec();
}
