#pragma once
// Where Com1 to Com4 lead. By default Com1..Com4 are /dev/ttyS0../dev/ttyS3 on Linux and
// COM1..COM4 on Windows; an optional text file ports.232 maps any of them to another device,
// one "ComN=device" line each (USB adapters, virtual cables). Malformed lines are ignored.

#include <QByteArray>
#include <QMap>
#include <QString>

namespace portmap {

// The default device of port 1..4.
QString defaultDevice(int portNumber);

// The mappings of a ports.232 text: port number -> device. Blank lines, "#" comments, lines
// without "=", unknown port names and empty devices are skipped; the last line for a port wins.
QMap<int, QString> parse(const QByteArray& text);

// The device of port 1..4, looking for ports.232 in `dir`; an empty text for other numbers.
QString resolveDevice(int portNumber, const QString& dir);

}  // namespace portmap
