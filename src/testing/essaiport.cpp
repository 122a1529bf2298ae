// The port test: before any serial work, and after every change of port, data bits or stop bits,
// the main window opens the terminal's serial control once with the configuration in force and
// closes it again. A failure is reported in the message dialog and left in CommError for the
// callers that start a mode.

#include "testing/essaiport.h"

#include "app/appstate.h"
#include "app/fmenu.h"
#include "app/forms.h"
#include "app/fpropri.h"
#include "terminal/femirecep.h"
#include "terminal/mscomm.h"

namespace porttest {

QString messageFor(int openingError) {
    switch (openingError) {
        case MSComm::comPortInvalid:
            return QStringLiteral("Le port n'existe pas sur cet ordinateur.");
        case MSComm::comPortAlreadyOpen:
            return QStringLiteral("Le port est déjà affecté à une autre tâche.");
        case MSComm::comSetCommStateFailed:
            return QStringLiteral("Cette configuration est impossible sur cet ordinateur.");
        case MSComm::comPortAccessDenied:
            return QStringLiteral(
                "L'accès au port est refusé : cet utilisateur n'a pas le droit de l'utiliser sur "
                "cet ordinateur.");
        default:
            return {};
    }
}

}  // namespace porttest

void FMenu::EssaiPort() {
    AppState& s = state_;
    s.CommError = 0;
    s.PortSettings = linkconfig::portSettings(s.LinkConfig);

    MSComm& com = *forms_.fEmiRecep().MSComm1;
    // The settings are taken only while the port is closed; the terminal leaves it closed.
    if (com.PortOpen()) com.setPortOpen(false);
    com.setCommPort(s.LinkConfig.PortNumber);
    com.setSettings(s.PortSettings);
    com.setHandshaking(s.LinkConfig.Handshake);

    const MSComm::Error error = com.PortOpen() ? MSComm::NoError : com.setPortOpen(true);
    if (error != MSComm::NoError) {
        setEnabled(false);
        s.CommError = 1;
        const QString message = porttest::messageFor(error);
        if (!message.isEmpty()) forms_.ShowError(message);
    }

    // While the properties dialog is visible it keeps the main window disabled itself.
    if (!forms_.fPropri().isVisible()) setEnabled(true);
    if (com.PortOpen()) com.setPortOpen(false);
}
