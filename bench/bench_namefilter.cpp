// The patient list's find line on a generated database of 30,000 patients: every keystroke
// (typing a part of a name into the list, then into the line, then taking it back with
// Backspace) timed up to the list painted again, against the floor of the same parts found
// by the bare string search, each name compared case-insensitively in a plain loop.
// Usage: bench_namefilter [patients] [runs]
#include "common/session.h"
#include "patientgen.h"
#include "patients/frmclient.h"
#include "patients/namefilter.h"
#include "patients/patientstore.h"
#include "timing.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListView>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

using benchtiming::median;
using benchtiming::timeMs;

QList<int> bareFilter(const QStringList& names, const QString& part) {
    QList<int> found;
    for (int k = 0; k < names.size(); ++k)
        if (names[k].contains(part, Qt::CaseInsensitive))
            found << k;
    return found;
}

void press(QWidget* to, int key, const QString& text = QString()) {
    QKeyEvent event(QEvent::KeyPress, key, Qt::NoModifier, text);
    QApplication::sendEvent(to, &event);
}

// One part typed key by key and taken back; each keystroke's time, the list painted.
void typeAndErase(frmclient& list, QLineEdit* line, const QString& part, std::vector<double>& keys) {
    for (int n = 1; n <= part.size(); ++n) {
        QWidget* to = n == 1 ? static_cast<QWidget*>(list.lstname) : line;
        keys.push_back(timeMs([&] {
            press(to, Qt::Key_unknown, part.mid(n - 1, 1));
            QApplication::processEvents();
            list.repaint();
        }));
    }
    for (int n = part.size() - 1; n >= 0; --n)
        keys.push_back(timeMs([&] {
            press(line, Qt::Key_Backspace);
            QApplication::processEvents();
            list.repaint();
        }));
    press(line, Qt::Key_Escape);
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const int patients = argc > 1 ? std::atoi(argv[1]) : 30000;
    const int runs = argc > 2 ? std::atoi(argv[2]) : 15;
    QTemporaryDir root;
    std::printf("generating %d patients...\n", patients);
    if (!root.isValid() || !patientgen::writeDatabase(root.path(), {patients, 1, 0, 11}))
        return 1;
    session::Session session;
    patients::PatientStore store{WorkFolder(root.path())};
    frmclient list(session, store);
    list.Form_Load();
    list.show();
    list.selectPatient(patients / 2);
    QApplication::processEvents();
    auto* line = list.findChild<QLineEdit*>();
    QStringList names;
    for (int k = 0; k < patients; ++k)
        names << list.lstname->model()->index(k, 0).data().toString();

    // Parts from the middle of names spread over the list, in the case the user types.
    std::vector<double> keys, floor, unit;
    patients::NameFilter filter;
    filter.setNames(names);
    for (int r = 0; r < runs; ++r) {
        const QString part = names[(r * 7919) % patients].mid(2, 6).toLower();
        typeAndErase(list, line, part, keys);
        for (int n = 1; n <= part.size(); ++n) {
            floor.push_back(timeMs([&] { bareFilter(names, part.left(n)); }));
            unit.push_back(timeMs([&] { filter.apply(part.left(n)); }));
        }
    }
    const double k = median(keys), f = median(floor);
    std::sort(keys.begin(), keys.end());
    std::printf("%-40s %8.2f ms   floor %8.2f ms   ratio %5.2f   slowest %6.2f ms  (limit 30 ms) %s\n",
                "keystroke in the find line", k, f, k / f, keys.back(), keys.back() <= 30 ? "ok" : "OVER");
    std::printf("%-40s %8.2f ms   (%zu keystrokes on %d patients)\n", "of which the filter itself",
                median(unit), keys.size(), patients);
    return 0;
}
