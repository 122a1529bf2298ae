#pragma once
// The port test: before any serial work, and after every change of port, data bits or stop bits,
// the serial control is opened once with the configuration in force and closed again. A failure
// is reported in the message dialog and left in CommError for the callers that start a mode.

#include <QString>

class Forms;

namespace porttest {

// The message for an opening error of the serial control, or the empty text when the error is
// not one that the user is told about.
QString messageFor(int openingError);

// Runs the test on the shared serial control (the main window's EssaiPort).
void EssaiPort(Forms& forms);

}  // namespace porttest
