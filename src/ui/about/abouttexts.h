#pragma once
// The texts of the about pages: the credits shown in the start-up window, the description of
// the publisher's cable-test instrument and the publisher's contact page. Lines are joined by
// the text boxes' own line break.

#include <QString>

namespace abouttexts {

// The program's name, its version as the build gives it, our notice, then the other titles.
QString credits();
// What the Korvalin is, what it has and what it does.
QString korvalin();
// A line break, then the publisher's address, town, telephone and fax (all fictitious).
QString dorvanixContact();

}  // namespace abouttexts
