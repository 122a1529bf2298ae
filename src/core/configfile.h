#pragma once
// config.232: one line of twelve comma-separated fields in the record's order, texts in double
// quotes without any escape, PortNumber and Handshake as bare integers, CR LF, one Windows-1252
// byte per character.

#include <QByteArray>
#include <QString>
#include <optional>

#include "core/linkconfig.h"

namespace configfile {

// The exact bytes of the file for a record.
QByteArray format(const LinkRecord& config);

// The record of a file's bytes. Returns nothing when the line does not hold twelve fields of the
// expected kinds (quoted texts, two integers) or is not one line. A field whose value lies outside
// its family (speed "9601", port 7, a parity name that disagrees with its letter ...) is replaced
// by the default of that family; an access code that is not five storable characters becomes
// "no code", but one holding a control character (nobody could type it) makes the file corrupt.
std::optional<LinkRecord> parse(const QByteArray& bytes);

// What reading config.232 gave.
enum class LoadOutcome { Read, Missing, Unreadable, Corrupt };

struct Loaded {
    LinkRecord config;
    LoadOutcome outcome = LoadOutcome::Read;
};

// LoadConfiguration: reads the file at `path`. A missing, unreadable, short or corrupt file gives
// the default configuration with no access code.
Loaded LoadConfiguration(const QString& path);

// WriteConfiguration: replaces the whole file at `path` atomically (a temporary file renamed over
// it), so that a crash or a full disk never leaves a truncated file. Returns false when the file
// could not be written; the previous file then stays as it was.
bool WriteConfiguration(const QString& path, const LinkRecord& config);

}  // namespace configfile
