#pragma once
// Where Com1 to Com4 lead. By default Com1..Com4 are /dev/ttyS0../dev/ttyS3 on Linux and
// COM1..COM4 on Windows; an optional text file ports.232 maps any of them to another device,
// one "ComN=device" line each (USB adapters, virtual cables), or to an end of the virtual lab's
// line, "ComN=lab:FOLDER/END" (FOLDER, the lab's private folder, relative to the file's folder).
//
// Once present the file is the whole truth for the ports it names: a line for a port that is
// malformed makes that port missing, with the line named (in the user's language, since the
// port test shows it), never the default device (which is the console of many machines). A file
// that starts with a UTF-8 byte-order mark is read as if it had none. A file that cannot be read,
// a folder under the name, or a file that is not UTF-8 text (UTF-16, binary) makes every port
// missing, with the file and the reason named.

#include <QByteArray>
#include <QMap>
#include <QString>

namespace portmap {

// The most of ports.232 that is read: a mapping file is a few lines.
inline constexpr int kMaxFileBytes = 64 * 1024;

// The default device of port 1..4.
QString defaultDevice(int portNumber);

// What ports.232 says of a port: a device, or why the port is missing.
struct Entry {
    QString device;
    QString problem;  // set: the port is missing
};

// The ports a ports.232 text names: port number -> entry. Blank lines, "#" comments, lines
// without "=" and names of other ports are skipped; the last line for a port wins. `cut`: the
// text is only the start of a longer file; a port not named in it is missing. A text that is not
// UTF-8 text names every port as missing.
QMap<int, Entry> parse(const QByteArray& text, bool cut = false);

// Where port 1..4 leads, looking for ports.232 in `dir` (relative devices are the folder's).
// Nothing for other numbers, or for a port that a malformed line makes missing.
Entry resolve(int portNumber, const QString& dir);
QString resolveDevice(int portNumber, const QString& dir);

}  // namespace portmap
