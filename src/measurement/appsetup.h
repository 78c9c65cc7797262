#pragma once
// What the program sets up before its first window: its names for the desktop, its icon on
// every window, Qt's own texts in Russian, and the working folder.
#include "measurement/commandline.h"

#include <QString>
#include <QStringList>
#include <optional>

namespace appsetup {

// The desktop entry's name without ".desktop"; a dock ties the windows to it.
inline const QString kDesktopFile = QStringLiteral("ru.taven.Taven");

// Names, icon and translations of the running application. The interface is Russian
// whatever the locale, so Qt's own buttons and dialogs are too.
void prepare();

// The working folder the options name (see userfolder::choose), filled from `bundled` with
// what it lacks; what could not be copied goes to `fillErrors`. For a folder that cannot be
// made or written nothing is returned and `problem` gets the one message to show.
std::optional<QString> workFolder(const commandline::Options& options, const QString& bundled,
                                  QStringList* fillErrors, QString* problem);

} // namespace appsetup
