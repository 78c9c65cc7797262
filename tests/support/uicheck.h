#pragma once
// Checks a window's widgets the way a user and a screen reader meet them. Every window
// test calls both on its window (after whatever brings its captions up) and expects an
// empty list; a failure lists the widgets with their text and sizes.
#include <QObject>
#include <QStringList>

class QWidget;

namespace uicheck {

[[noreturn]] void missing(const QObject* root, const char* name, const char* kind);

// The object of kind T named `name` (its objectName) under root, as tests, benchmarks and
// tools find a window's widgets, timers and shared state; a missing one ends the run
// naming both, so a renamed widget fails where it is looked for.
template <typename T> T* child(const QObject* root, const char* name) {
    if (T* found = root->findChild<T*>(QString::fromLatin1(name)))
        return found;
    missing(root, name, T::staticMetaObject.className());
}

// Labels, buttons, options, check boxes, frame titles and combo boxes (every item, as the
// closed list may show any) under root, root included, whose text does not fit the room
// the widget's style gives it in the widget's own font, or runs past the parent's frame.
// Hidden widgets count: another mode shows them.
QStringList captionsFit(QWidget* root);

// Controls under root (buttons, options, check boxes, combo boxes, text boxes, lists,
// labels) without an accessible name, as Qt's accessibility interface reports it.
QStringList unnamedControls(QWidget* root);

// Both of the above, for a window test's one line:
//   QVERIFY2(uicheck::problems(&window).isEmpty(), qPrintable(uicheck::problems(&window).join(u'\n')));
QStringList problems(QWidget* root);

// What a screen reader says of a widget: its accessible name and, after " | ", its
// description, where a shown value is.
QString spoken(QWidget* w);

} // namespace uicheck
