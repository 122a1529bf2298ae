#pragma once
// The index of the reference pages: a page is the file ":/pages/<name>.page", named after the
// main window's menu item that opens it, and says itself which page window it is drawn on.
// Adding a page is adding its file to the resources.

#include <QString>
#include <QStringList>

#include "core/pagemodel.h"

class Forms;
class PageWindow;

namespace pageindex {

// Every page's name.
QStringList names();
bool has(const QString& name);
// The page's file, as read; nothing with the reason when it is missing or faulty.
pages::ParseResult load(const QString& name);
// The page window of that name (FMessage, FInfo, FInfo1), created on first use; none when the
// name is none of them.
PageWindow* window(Forms& forms, const QString& windowName);
// Shows the page `name` on its window over the main window. A page that cannot be read is
// reported to the user; false then.
bool open(Forms& forms, const QString& name);

}  // namespace pageindex
