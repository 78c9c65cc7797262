#pragma once
// The device file behind a serial port's name, looked at directly: why a port would not open
// is found there, not in what the serial port library reports.
#include <QString>

namespace platform {

enum class Node { Missing, CharacterDevice, Other };
// What `path` names, links followed.
Node deviceNode(const QString& path);
// Whether the user lacks the right to read `path` (not merely whether the check failed).
bool readDenied(const QString& path);
// The group whose members may open `path`; empty when unknown.
QString owningGroup(const QString& path);
// Whether `path` opens as a terminal; also true when it cannot be opened to tell.
bool opensAsTerminal(const QString& path);

} // namespace platform
