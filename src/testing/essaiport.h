#pragma once
// The port test's verdicts and messages.

#include <QString>

namespace porttest {

// The message for an opening error of the serial control, or the empty text when the error is
// not one that the user is told about.
QString messageFor(int openingError);

}  // namespace porttest
