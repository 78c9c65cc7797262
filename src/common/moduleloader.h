#pragma once
// The modules the program loads at run time instead of linking them (the sound and the
// print module), so that what they link, Qt Multimedia or Qt Print Support, is not loaded
// and relocated at every start. A module that serves is never unloaded: its objects, and the
// threads of what it links, live on.
#include <QList>
#include <QString>
#include <QStringList>
#include <functional>

namespace moduleloader {

// Where a module of this file name is looked for, the first that loads wins: beside the
// program (a build folder), then in the installed library folder, given relative to the
// program's folder.
QStringList candidates(const QString& programDir, const QString& fileName, const QString& libraryFromProgram);
// The same beside the running program; none without an application object.
QStringList candidates(const QString& fileName, const QString& libraryFromProgram);

// What a module's entry point answered when called.
enum class Answer {
    Serves,       // taken; stays loaded
    OtherVersion, // made by another build: unloaded
    Declines,     // it ran but has nothing to give here; stays loaded, as what it started may
};

struct Failure {
    QString path;
    QString why; // why it did not load; empty for a module of another version
};

// Loads each existing file of `paths` in turn and hands its entry point, the function named
// `entry`, to `use` until a module serves. A module without that function counts as one of
// another version. Gives whether one serves; `failures` gets the modules that did not load
// or were of another version, in order.
bool load(const QStringList& paths, const char* entry, const std::function<Answer(QFunctionPointer)>& use,
          QList<Failure>* failures = nullptr);

} // namespace moduleloader
