// The patient list's find line on a generated database of 30,000 patients: every keystroke
// (typing a part of a name into the list, then into the line, then taking it back with
// Backspace) timed up to the list painted again, against the floor of the same parts found
// by the bare string search, each name compared case-insensitively in a plain loop.
// Usage: bench_namefilter [patients] [runs]
#include "common/session.h"
#include "patientgen.h"
#include "patientlist.h"
#include "patients/frmclient.h"
#include "patients/namefilter.h"
#include "patients/patientstore.h"

#include <QApplication>
#include <QLineEdit>
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
    QStringList names;
    for (int k = 0; k < patients; ++k)
        names << list.lstname->model()->index(k, 0).data().toString();

    // Parts from the middle of names spread over the list, in the case the user types.
    std::vector<double> keys, floor, unit;
    patients::NameFilter filter;
    filter.setNames(names);
    for (int r = 0; r < runs; ++r) {
        const QString part = names[(r * 7919) % patients].mid(2, 6).toLower();
        benchlist::typeAndErase(list, part, keys);
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
