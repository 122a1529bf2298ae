#pragma once
// What the terminal says about the serial control's events, and how it lists received codes.

#include <QString>
#include <optional>

namespace eventtexts {

// The error message of a line event (break, time-outs, framing, overrun, buffer full, parity,
// lost port ...), or the empty text for events that are not errors.
QString errorMessage(int commEvent);

// The notice a modem-line event writes in the terminal's status line: a text for CTS, DSR, CD
// and ring changes, the empty text for "character sent" (which clears the line), nothing for
// any other event (the line stays as it is).
std::optional<QString> lineNotice(int commEvent);

// One row of the received-codes table: three blanks, the code in decimal, three tabs, in
// hexadecimal (upper case, no leading zero), four tabs, in octal, three tabs, the aspect, CR LF.
QString codeRow(int code, const QString& aspect);

}  // namespace eventtexts
