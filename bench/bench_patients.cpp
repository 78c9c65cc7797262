// Patient file figures: each operation of the store against its floor, measured side by
// side in one run on a generated database (10,000 patients of 20 visits and one patient of
// 1,000 visits). The floor is plain C++: read the bytes and decode them through a flat
// 256-entry table noting the separator offsets; write the bytes to a temporary file,
// fsync, rename. Prints medians (ms) and ratios.
// Usage: bench_patients [patients] [visits] [big visits] [runs]
#include "patientgen.h"
#include "patients/patientstore.h"
#include "readfloor.h"
#include "timing.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <fcntl.h>
#include <string>
#include <unistd.h>
#include <vector>

using namespace patients;

namespace {

using benchfloor::readFile;
using benchfloor::readFloor;
using benchtiming::median;
using benchtiming::timeMs;

// Write floor: the bytes to a temporary file beside the target, synced, renamed over it.
void writeFloor(const std::string& path, const std::string& bytes) {
    const std::string tmp = path + ".floor";
    const int fd = ::open(tmp.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0 || ::write(fd, bytes.data(), bytes.size()) != ssize_t(bytes.size()) || ::fsync(fd) != 0)
        std::perror("floor write");
    ::close(fd);
    ::rename(tmp.c_str(), path.c_str());
}

// The floor of an operation that reads `reads` and rewrites `writes` (same content back).
double floorMs(const std::vector<std::string>& reads, const std::vector<std::string>& writes) {
    std::vector<std::string> contents;
    for (const std::string& w : writes)
        contents.push_back(readFile(w));
    return timeMs([&] {
        for (const std::string& r : reads)
            readFloor(r);
        for (size_t k = 0; k < writes.size(); ++k)
            writeFloor(writes[k], contents[k]);
    });
}

void report(const char* what, const std::vector<double>& op, const std::vector<double>& floor, double limit) {
    const double m = median(op), f = median(floor);
    std::printf("%-32s %9.2f ms   floor %9.2f ms   ratio %5.2f  (limit %.1f) %s\n", what, m, f, m / f, limit,
                m / f <= limit ? "ok" : "OVER");
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int patients = argc > 1 ? std::atoi(argv[1]) : 10000;
    const int visits = argc > 2 ? std::atoi(argv[2]) : 20;
    const int bigVisits = argc > 3 ? std::atoi(argv[3]) : 1000;
    const int runs = argc > 4 ? std::atoi(argv[4]) : 15;
    QTemporaryDir dir;
    std::printf("generating %d patients x %d visits and one of %d visits...\n", patients, visits, bigVisits);
    if (!patientgen::writeDatabase(dir.path(), {patients, visits, bigVisits, 7}))
        return 1;
    PatientStore store{WorkFolder(dir.path())};
    if (store.load())
        return 1;
    const std::string index = store.indexPath().toStdString();
    const IndexRecord bigRecord = store.index().records[0];
    const std::string big = store.cardPath(bigRecord.cardFile()).toStdString();
    const int mid = patients / 2;
    const std::string small = store.cardPath(store.index().records[mid].cardFile()).toStdString();
    std::printf("index %zu bytes, large card %zu bytes, card of %d visits %zu bytes; median of %d runs\n",
                readFile(index).size(), readFile(big).size(), visits, readFile(small).size(), runs);

    std::vector<double> parse, parseFloor, choose, add, del, addFloor, create, createFloor, save, saveFloor;
    patients::PatientView bigView;
    if (store.choose(0, &bigView))
        return 1;
    patients::VisitRef visit = bigView.visits.first();
    session::ResultsMatrix m;
    for (int r = 0; r < session::kResultRows; ++r)
        for (int c = 0; c < (r < 21 ? session::kResultColumns : 1); ++c)
            m.cell(r, c) = QStringLiteral("%1 -%2").arg(r + c).arg(c % 7);
    for (int k = 0; k < runs; ++k) {
        parse.push_back(timeMs([&] { store.load(); }));
        parseFloor.push_back(floorMs({index}, {}));
        PatientView v;
        choose.push_back(timeMs([&] { store.choose(mid, &v); }));
        add.push_back(timeMs([&] { store.addVisit(v.ref, QDate(2026, 12, 8), &v); }));
        del.push_back(timeMs([&] { store.deleteVisit(v.visits.first(), &v); }));
        addFloor.push_back(floorMs({index, small}, {index, small}));
        create.push_back(timeMs([&] { store.createPatient("Бенч", "Марк", "2000", QDate(2026, 12, 8)); }));
        createFloor.push_back(floorMs({index}, {index, small}));
        PatientView made;
        if (!store.choose(0, &made))
            store.deletePatient(made.ref);
        save.push_back(timeMs([&] { store.saveResults(visit, m, &visit); }));
        saveFloor.push_back(floorMs({big}, {big}));
    }
    report("parse the index", parse, parseFloor, 2.0);
    std::printf("%-32s %9.2f ms   (limit 20 ms)\n", "choose a patient", median(choose));
    report("add a date", add, addFloor, 1.5);
    report("delete a date", del, addFloor, 1.5);
    report("new patient", create, createFloor, 1.5);
    report("save results, 1,000-visit card", save, saveFloor, 1.5);
    return 0;
}
