// One workstation of the shared-folder test: random patient operations for a while on
// visits all of one date, each logged with its outcome. Every visit is tagged "id
// <patient>/<tag>" in its diagnosis when made, and every write names the tag it means, so a
// write that landed in another visit shows in the files. lockchild FOLDER ID SECONDS LOG
#include "common/folderlock.h"
#include "patients/patientstore.h"

#include <QThread>
#include <cstdio>
#include <cstdlib>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QRandomGenerator>
#include <QTextStream>

using namespace patients;

namespace {

struct Child {
    PatientStore store;
    int id;
    int serial = 0;
    QRandomGenerator random;
    QTextStream log;

    // Every visit of one day: only the token tells them apart.
    static QDate day() { return QDate(2026, 12, 8); }
    // A practitioner reads before clicking: other workstations change the card meanwhile.
    void think() { QThread::usleep(random.bounded(50000)); }

    // A read: logged only when it fails.
    bool read(const Error& e) { return !e || report("read", e); }

    // Logs "what outcome": ok, conflict (the files changed under it, or busy) or fault.
    bool report(const QString& what, const Error& e) {
        const bool conflict = e.fault == Fault::Changed || e.fault == Fault::Locked ||
                              e.fault == Fault::OnlyVisit || e.fault == Fault::NoVisit;
        log << what
            << (e ? (conflict ? " conflict " : " fault ") + QString(e.message).replace(u'\n', u' ')
                  : QStringLiteral(" ok"))
            << '\n';
        if (e)
            store.load();
        return !e;
    }

    // Gives a blank visit its tag.
    void tag(const PatientView& v, int visit) {
        const QString t =
            v.record.name().section(u' ', 1) + u'/' + QString::number(id) + u'-' + QString::number(serial++);
        VisitRef now;
        report("tag " + t, store.saveVisitTexts(v.visits[visit], {QString(), "id " + t, QString()}, &now));
    }

    void onVisit(const PatientView& v, int op) {
        const int k = int(random.bounded(v.visits.size()));
        VisitTexts t;
        if (!read(store.readVisit(v.visits[k], &t)))
            return;
        if (t.diagnosis.isEmpty())
            return tag(v, k);
        const QString own = t.diagnosis.mid(3);
        think();
        VisitRef now;
        PatientView after;
        session::ResultsMatrix m;
        m.cell(0, 0) = own;
        if (op == 0)
            report("delvisit " + own, store.deleteVisit(v.visits[k], &after));
        else if (op == 1)
            report("texts " + own, store.saveVisitTexts(v.visits[k], {"for " + own, t.diagnosis, ""}, &now));
        else
            report("results " + own, store.saveResults(v.visits[k], m, &now));
    }

    void step() {
        if (random.bounded(3) == 0)
            store.load();
        const auto& records = store.index().records;
        // A few patients only, so the workstations meet on one card, and cards of several
        // visits of a day.
        const int op = records.size() < 2 ? 0 : records.size() > 3 ? 1 : int(random.bounded(16));
        PatientView v;
        if (op == 0) {
            const QString given = QStringLiteral("c%1n%2").arg(id).arg(serial++);
            if (report("create " + given, store.createPatient("P", given, "1970", day())) &&
                read(store.choose(0, &v)) && v.record.name() == "P " + given)
                tag(v, 0);
            return;
        }
        const int p = int(random.bounded(records.size()));
        if (!read(store.choose(p, &v)))
            return;
        think();
        if (op == 1) {
            report("delpatient " + v.record.name().section(u' ', 1), store.deletePatient(v.ref));
        } else if (op <= 5) {
            if (report("addvisit", store.addVisit(v.ref, day(), &v)))
                tag(v, 0);
        } else {
            onVisit(v, (op - 6) / 4);
        }
    }
};

} // namespace

int main(int argc, char** argv) {
    const QCoreApplication app(argc, argv);           // names the program in the lock file
    if (argc == 3 && QByteArray(argv[2]) == "hold") { // takes the lock and waits to be killed
        const FolderLock lock(QString::fromLocal8Bit(argv[1]));
        std::puts(lock.locked() ? "held" : "refused");
        std::fflush(stdout);
        for (;;)
            QThread::sleep(1);
    }
    if (argc < 5)
        return 2;
    QFile out(QString::fromLocal8Bit(argv[4]));
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return 2;
    const int id = std::atoi(argv[2]);
    Child child{PatientStore(WorkFolder(QString::fromLocal8Bit(argv[1]))), id, 0,
                QRandomGenerator(quint32(id * 7919 + 17)), QTextStream(&out)};
    child.report("load", child.store.load());
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < 1000 * std::atoi(argv[3]))
        child.step();
    child.log.flush();
    return 0;
}
