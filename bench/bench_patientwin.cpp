// Patient list figures on a generated database of 10,000 patients, measured side by side
// in one run: opening the list (read, decode, split, fill, first paint) against the index
// read floor plus a bare list view showing 10,000 strings; choosing a patient; and the
// memory of the program (main window and patient list) on that database against the same
// program on an empty one, each in a process of its own.
// Usage: bench_patientwin [patients] [visits] [runs]
//        bench_patientwin --memory <working folder>   (one memory run; prints VmRSS in kB)
#include "measurement/frmmain.h"
#include "patientgen.h"
#include "patientlist.h"
#include "patients/frmclient.h"
#include "patients/patientstore.h"
#include "uicheck.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

using benchtiming::median;
using benchtiming::timeMs;

long rssKb() {
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : f.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toLong();
    return -1;
}

// The program on a working folder: the main window up, the patient list opened and painted.
int memoryRun(const QString& folder) {
    frmmain w{WorkFolder(folder)};
    w.Form_Load();
    w.show();
    QApplication::processEvents();
    patients::PatientStore store{WorkFolder(folder)};
    frmclient list(*uicheck::child<session::Session>(&w, "session"), store, &w);
    list.Form_Load();
    list.show();
    list.repaint();
    QApplication::processEvents();
    std::printf("%ld\n", rssKb());
    return 0;
}

long memoryOf(const QString& folder) {
    QProcess p;
    p.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--memory"), folder});
    p.waitForFinished(120000);
    return QString::fromLatin1(p.readAllStandardOutput()).trimmed().toLong();
}

// A working folder with the program's data files and, for patients > 0, a database.
bool prepare(const QString& root, int patients, int visits) {
    QDir data(QStringLiteral(TAVEN_BUNDLED_DATA));
    for (const QString& name : data.entryList(QDir::Files))
        QFile::copy(data.filePath(name), root + u'/' + name);
    QDir().mkpath(root + QStringLiteral("/Database"));
    QFile::copy(data.filePath(QStringLiteral("Database/medicam.nam")),
                root + QStringLiteral("/Database/medicam.nam"));
    return patients == 0 || patientgen::writeDatabase(root, {patients, visits, 0, 7});
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc > 2 && QByteArray(argv[1]) == "--memory")
        return memoryRun(QString::fromLocal8Bit(argv[2]));
    const int patients = argc > 1 ? std::atoi(argv[1]) : 10000;
    const int visits = argc > 2 ? std::atoi(argv[2]) : 20;
    const int runs = argc > 3 ? std::atoi(argv[3]) : 15;
    QTemporaryDir full, empty;
    std::printf("generating %d patients x %d visits...\n", patients, visits);
    if (!prepare(full.path(), patients, visits) || !prepare(empty.path(), 0, 0))
        return 1;
    const QString index = full.path() + QStringLiteral("/Database/client.crd");
    QStringList lines;
    for (int k = 0; k < patients; ++k)
        lines << QStringLiteral("Пациентова Пациентка %1").arg(k);

    session::Session session;
    std::vector<double> open, floor, choose;
    for (int k = 0; k < runs; ++k) {
        floor.push_back(timeMs([&] {
            benchfloor::readFloor(index);
            benchlist::bareList(lines);
        }));
        open.push_back(timeMs([&] {
            patients::PatientStore store{WorkFolder(full.path())};
            frmclient list(session, store);
            list.Form_Load();
            list.show();
            list.repaint();
        }));
    }
    patients::PatientStore store{WorkFolder(full.path())};
    frmclient list(session, store);
    list.Form_Load();
    list.show();
    std::vector<double> storeChoose;
    for (int k = 0; k < runs; ++k) {
        choose.push_back(timeMs([&] { list.selectPatient((k * 7919) % patients); }));
        patients::PatientView v;
        storeChoose.push_back(timeMs([&] { list.store().choose((k * 7919) % patients, &v); }));
    }

    const double o = median(open), f = median(floor);
    std::printf("%-36s %8.2f ms   floor %8.2f ms   ratio %5.2f  (limit 2.0) %s\n", "open the patient list", o,
                f, o / f, o / f <= 2.0 ? "ok" : "OVER");
    const double c = median(choose);
    std::printf("%-36s %8.2f ms   (limit 20 ms) %s; the store's part %.2f ms\n", "choose a patient", c,
                c <= 20 ? "ok" : "OVER", median(storeChoose));
    const long with = memoryOf(full.path()), without = memoryOf(empty.path());
    std::printf("%-36s %8ld kB   without %8ld kB   ratio %5.2f  (limit 1.5) %s\n",
                "memory, list on 10,000 patients", with, without, double(with) / double(without),
                with <= 1.5 * without ? "ok" : "OVER");
    return 0;
}
