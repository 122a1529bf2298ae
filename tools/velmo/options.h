#pragma once
// The emulator's command line.

#include <QString>
#include <QStringList>

#include "replies.h"

namespace velmo {

struct Options {
    QString device;  // a serial device to play the unit on
    bool pty = false;
    QString linkPath;  // with pty: a symbolic link to the slave end
    Misbehaviour how;
    bool verbose = false;
    bool help = false;
    QString helpText;
    QString error;  // not empty: the command line is wrong
};

// `arguments` as QCoreApplication::arguments() gives them, the program first.
Options parseOptions(const QStringList& arguments);

}  // namespace velmo
