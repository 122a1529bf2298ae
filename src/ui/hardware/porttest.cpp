#include "ui/hardware/porttest.h"

#include "core/appstate.h"
#include "serial/mscomm.h"
#include "ui/shell/fmsg.h"
#include "ui/shell/forms.h"

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

void EssaiPort(Forms& forms) {
    AppState& s = forms.state();
    s.CommError = 0;
    MSComm& com = forms.configureSerial();
    const MSComm::Error error = com.PortOpen() ? MSComm::NoError : com.setPortOpen(true);
    if (error != MSComm::NoError) {
        s.CommError = 1;
        QString message = messageFor(error);
        // A malformed ports.232 line is named, so that the user can mend it.
        if (error == MSComm::comPortInvalid && !com.portProblem().isEmpty())
            message += QLatin1Char('\n') + com.portProblem();
        // The main window is held while the message is on screen, and comes back after it
        // unless another window (the properties dialog) still holds it.
        if (!message.isEmpty()) {
            forms.holdMenu(forms.get<FMsg>());
            forms.ShowError(message);
        }
    }
    if (com.PortOpen()) com.setPortOpen(false);
}

}  // namespace porttest
