// Serlinq: teaching asynchronous RS-232C serial links.
#include <QApplication>
#include <QIcon>

#include "core/appstate.h"
#include "ui/shell/fdebut.h"
#include "ui/shell/formkit.h"
#include "ui/shell/forms.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName("Serlinq");
    QApplication::setFont(formkit::formFont());
    // The desktop's icon for the program, also in window lists where no entry is found.
    QIcon icon;
    for (int size : {16, 32, 48, 64, 128})
        icon.addPixmap(formkit::picture(":/app/serlinq.svg", size, size));
    QApplication::setWindowIcon(icon);
    QGuiApplication::setDesktopFileName(QStringLiteral("example.serlinq.Serlinq"));
    // The program ends through its exit dialog, never because a window was closed.
    QApplication::setQuitOnLastWindowClosed(false);

    AppState state;
    Forms forms(state);
    forms.create<FDebut>(5000).start();
    return QApplication::exec();
}
