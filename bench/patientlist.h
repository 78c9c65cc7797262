#pragma once
// What the patient list's benchmarks share: the floor of opening it (the names read bare, a
// bare list view of them), and keystrokes typed into its find line.
#include "patients/frmclient.h"
#include "readfloor.h"
#include "timing.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListView>
#include <QStringListModel>
#include <vector>

namespace benchlist {

// A list view with uniform lines showing `lines`, in a window of the list's size, shown and
// painted once.
inline void bareList(const QStringList& lines) {
    QWidget window;
    window.resize(459, 348);
    auto* view = new QListView(&window);
    view->setGeometry(8, 64, 257, 276);
    view->setUniformItemSizes(true);
    auto* model = new QStringListModel(&window);
    model->setStringList(lines);
    view->setModel(model);
    window.show();
    window.repaint();
}

inline void press(QWidget* to, int key, const QString& text = QString()) {
    QKeyEvent event(QEvent::KeyPress, key, Qt::NoModifier, text);
    QApplication::sendEvent(to, &event);
}

// One part typed key by key into the list (the first key opens its find line) and taken
// back with Backspace; each keystroke's time (ms) up to the list painted again.
inline void typeAndErase(frmclient& list, const QString& part, std::vector<double>& keys) {
    auto* line = list.findChild<QLineEdit*>();
    for (int n = 1; n <= part.size(); ++n) {
        QWidget* to = n == 1 ? static_cast<QWidget*>(list.lstname) : line;
        keys.push_back(benchtiming::timeMs([&] {
            press(to, Qt::Key_unknown, part.mid(n - 1, 1));
            QApplication::processEvents();
            list.repaint();
        }));
    }
    // Escape at the end closes the line and shows every name again: a keystroke too.
    for (int n = part.size(); n >= 0; --n)
        keys.push_back(benchtiming::timeMs([&] {
            press(line, n > 0 ? Qt::Key_Backspace : Qt::Key_Escape);
            QApplication::processEvents();
            list.repaint();
        }));
}

} // namespace benchlist
