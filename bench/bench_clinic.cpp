// The clinic's patient records on the database server beside the legacy folder, both
// through the one store interface and measured side by side in one run: opening the patient
// list window against its floor (the names read bare plus a bare list view of them), a
// keystroke in its find line, choosing a patient in it, saving results into the card of
// 1,000 visits, and eight clients at once doing random operations, each a process with a
// store of its own (their latencies' median and p99). The database is filled beforehand
// (bench/clinic.sh); the folder is generated here.
// Usage: bench_clinic CONNINFO [folder patients] [runs]
//        bench_clinic --client database|folder CONNINFO|FOLDER SECONDS SEED   (one client)
#include "clinicdb/databasestore.h"
#include "patientgen.h"
#include "patientlist.h"
#include "patients/patientstore.h"

#include <QProcess>
#include <QRandomGenerator>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <cstdio>
#include <memory>

namespace {

using benchtiming::median;
using benchtiming::timeMs;

constexpr int kClients = 8;
constexpr int kClientSeconds = 20;
const QDate kToday(2026, 12, 8);

struct Figures {
    QString store;
    double open = 0, openFloor = 0, key = 0, keySlowest = 0, choose = 0, save = 0;
    double p50 = 0, p99 = 0, slowest = 0, perSecond = 0;
    int conflicts = 0;
};

clinicdb::ConnParams params(const QString& conninfo) {
    clinicdb::ConnParams p;
    clinicdb::parseConninfo(conninfo, &p);
    return p;
}

std::unique_ptr<patients::Store> openStore(const QString& kind, const QString& where) {
    if (kind == u"folder")
        return std::make_unique<patients::PatientStore>(WorkFolder(where));
    return std::make_unique<clinicdb::DatabaseStore>(params(where));
}

// Every point measured: the largest record the card format has.
session::ResultsMatrix fullResults(int seed) {
    session::ResultsMatrix m;
    for (int r = 0; r < session::kResultRows; ++r)
        for (int c = 0; c < (r < 21 ? session::kResultColumns : 1); ++c)
            m.cell(r, c) = session::resultText((r + c + seed) % 101, c % 7 - 2);
    return m;
}

// One client: random operations on random patients for `seconds`, each operation's time
// (ms) printed on a line of its own, "conflict" for one refused as changed meanwhile.
int runClient(patients::Store& store, int seconds, quint32 seed) {
    if (store.load() || store.list().isEmpty())
        return 1;
    QRandomGenerator rng(seed);
    QElapsedTimer clock;
    clock.start();
    QByteArray out;
    const auto timed = [&](auto&& op) {
        patients::Error e;
        const double ms = timeMs([&] { e = op(); });
        const bool conflict = e.fault == patients::Fault::Changed || e.fault == patients::Fault::Locked;
        out += conflict ? QByteArray("conflict\n") : QByteArray::number(ms, 'f', 3) + '\n';
        return !e;
    };
    patients::PatientView v;
    for (int n = 0; clock.elapsed() < 1000 * seconds; ++n) {
        if (!timed([&] { return store.choose(int(rng.bounded(store.list().size())), &v); }))
            continue;
        patients::VisitRef& visit = v.visits[rng.bounded(v.visits.size())];
        patients::VisitTexts texts;
        session::ResultsMatrix m;
        const QString text = QStringLiteral("Жалобы клиента %1, шаг %2").arg(seed).arg(n);
        switch (rng.bounded(10)) {
        case 0:
        case 1:
        case 2:
            timed([&] { return store.readVisit(visit, &texts); });
            break;
        case 3:
        case 4:
            timed([&] { return store.loadResults(visit, &m); });
            break;
        case 5:
            timed([&] { return store.saveVisitTexts(visit, {text, text, text}, &visit); });
            break;
        case 6:
        case 7:
            timed([&] { return store.saveResults(visit, fullResults(n), &visit); });
            break;
        default: // a visit added and taken back, so the store keeps its size
            if (timed([&] { return store.addVisit(v.ref, kToday, &v); }))
                timed([&] { return store.deleteVisit(v.visits[0], &v); });
        }
    }
    std::fwrite(out.constData(), 1, size_t(out.size()), stdout);
    return 0;
}

// Eight clients at once, each in a process of its own.
void clients(const QString& kind, const QString& where, Figures* f) {
    QProcess p[kClients];
    for (int k = 0; k < kClients; ++k)
        p[k].start(QCoreApplication::applicationFilePath(),
                   {"--client", kind, where, QString::number(kClientSeconds), QString::number(k + 1)});
    std::vector<double> ms;
    for (QProcess& c : p) {
        c.waitForFinished(1000 * (kClientSeconds + 120));
        for (const QByteArray& line : c.readAllStandardOutput().split('\n'))
            if (line == "conflict")
                ++f->conflicts;
            else if (!line.isEmpty())
                ms.push_back(line.toDouble());
    }
    if (ms.empty())
        return;
    std::sort(ms.begin(), ms.end());
    f->p50 = ms[ms.size() / 2];
    f->p99 = ms[ms.size() * 99 / 100];
    f->slowest = ms.back();
    f->perSecond = double(ms.size()) / kClientSeconds;
}

// The floor's names: one column read bare through Qt's driver, on a connection of its own.
QStringList bareNames(const QString& conninfo) {
    QSqlDatabase db = QSqlDatabase::database(QStringLiteral("floor"), false);
    if (!db.isValid()) {
        const clinicdb::ConnParams p = params(conninfo);
        db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), QStringLiteral("floor"));
        db.setHostName(p.host);
        db.setDatabaseName(p.database);
        db.setUserName(p.user);
        db.setPort(p.port);
        db.open();
    }
    QSqlQuery q(db);
    q.setForwardOnly(true);
    q.exec(QStringLiteral("SELECT name FROM patient ORDER BY id DESC"));
    QStringList names;
    while (q.next())
        names << q.value(0).toString();
    return names;
}

// The window's figures on `store`, whose list is the floor's `floorNames`.
void windowFigures(patients::Store& store, const std::function<QStringList()>& floorNames, int runs,
                   Figures* f) {
    session::Session session;
    std::vector<double> open, floor, keys, choose, save;
    store.load(); // the program's store is opened before the list is
    for (int k = 0; k < runs; ++k) {
        floor.push_back(timeMs([&] { benchlist::bareList(floorNames()); }));
        open.push_back(timeMs([&] {
            frmclient list(session, store);
            list.Form_Load();
            list.show();
            list.repaint();
        }));
    }
    frmclient list(session, store);
    list.Form_Load();
    list.show();
    QApplication::processEvents();
    const int patients = int(store.list().size());
    for (int r = 0; r < runs; ++r) {
        // Parts from the middle of names spread over the list, in the case the user types.
        benchlist::typeAndErase(list, store.list()[(r * 7919) % patients].name().mid(2, 6).toLower(), keys);
        choose.push_back(timeMs([&] { list.selectPatient((r * 7919 + 1) % patients); }));
    }
    // The patient of 1,000 visits is the newest.
    patients::PatientView big;
    store.choose(0, &big);
    patients::VisitRef visit = big.visits[big.visits.size() / 2];
    for (int r = 0; r < runs; ++r)
        save.push_back(timeMs([&] { store.saveResults(visit, fullResults(r), &visit); }));
    f->open = median(open);
    f->openFloor = median(floor);
    f->key = median(keys);
    f->keySlowest = *std::max_element(keys.begin(), keys.end());
    f->choose = median(choose);
    f->save = median(save);
}

void print(const Figures& d, const Figures& f) {
    const auto row = [](const char* what, double a, double b, const char* limit, bool ok) {
        std::printf("%-46s %12.2f %12.2f   %-6s %s\n", what, a, b, limit, ok ? "" : "OVER");
    };
    std::printf("%-46s %12s %12s   %-6s\n", "", qPrintable(d.store), qPrintable(f.store), "limit");
    row("open the patient list, median ms", d.open, f.open, "", true);
    row("  floor: names read bare, bare list view, ms", d.openFloor, f.openFloor, "", true);
    row("  ratio", d.open / d.openFloor, f.open / f.openFloor, "2", d.open <= 2 * d.openFloor);
    row("keystroke in the find line, median ms", d.key, f.key, "", true);
    row("  slowest, ms", d.keySlowest, f.keySlowest, "30", d.keySlowest <= 30);
    row("choose a patient, median ms", d.choose, f.choose, "10", d.choose <= 10);
    row("save results, 1,000-visit card, median ms", d.save, f.save, "10", d.save <= 10);
    row("8 clients, random operations: p99, ms", d.p99, f.p99, "50", d.p99 <= 50);
    row("  median, ms", d.p50, f.p50, "", true);
    row("  slowest, ms", d.slowest, f.slowest, "", true);
    row("  operations a second, all clients", d.perSecond, f.perSecond, "", true);
    row("  refused as changed meanwhile", d.conflicts, f.conflicts, "", true);
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() == 6 && args[1] == "--client")
        return runClient(*openStore(args[2], args[3]), args[4].toInt(), args[5].toUInt());
    if (args.size() < 2) {
        std::fprintf(stderr, "usage: %s CONNINFO [folder patients] [runs]\n", argv[0]);
        return 2;
    }
    const QString conninfo = args[1];
    const int folderPatients = args.value(2, QStringLiteral("30000")).toInt();
    const int runs = args.value(3, QStringLiteral("15")).toInt();
    QTemporaryDir root;
    std::printf("generating a folder of %d patients x 3 visits and one of 1,000...\n", folderPatients);
    if (!root.isValid() || !patientgen::writeDatabase(root.path(), {folderPatients, 3, 1000, 7}))
        return 1;
    const auto db = openStore(QStringLiteral("database"), conninfo);
    const auto folder = openStore(QStringLiteral("folder"), root.path());
    if (db->load() || folder->load()) {
        std::fprintf(stderr, "the stores did not open\n");
        return 1;
    }
    Figures d{QStringLiteral("db %1").arg(db->list().size())};
    Figures f{QStringLiteral("folder %1").arg(folder->list().size())};
    QStringList lines;
    for (const patients::IndexRecord& r : folder->list())
        lines << r.name();
    const QString index = root.filePath(QStringLiteral("Database/client.crd"));
    windowFigures(
        *db, [&] { return bareNames(conninfo); }, runs, &d);
    windowFigures(
        *folder,
        [&] {
            benchfloor::readFloor(index);
            return lines;
        },
        runs, &f);
    clients(QStringLiteral("database"), conninfo, &d);
    clients(QStringLiteral("folder"), root.path(), &f);
    print(d, f);
    return 0;
}
