#pragma once
// A window reopens where the user left it. Kept per user in the desktop's configuration
// folder (~/.config/taven/windows.ini), never in the working folder's taven.ini, which
// other workstations may share.
#include <QString>

class QWidget;

namespace windowplace {

// Puts `window` where it was last closed or hidden under `key`, and remembers it there from
// now on.
void keep(QWidget* window, const QString& key);

} // namespace windowplace
