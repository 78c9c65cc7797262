// One workstation of the shared-store tests: random patient operations for a while, each
// logged with its outcome. lockchild FOLDER|CONNINFO ID SECONDS LOG
// Every visit is of one day and tagged "id <tag>" in its diagnosis; a write names its tag.
#include "clinicdb/databasestore.h"
#include "common/folderlock.h"
#include "patients/patientstore.h"

#include <QThread>
#include <cstdio>
#include <cstdlib>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QTextStream>

using namespace patients;

namespace {

struct Child {
    Store& store;
    int id;
    int serial = 0;
    QRandomGenerator random;
    QTextStream log;

    // Every visit of one day: only the token tells them apart.
    static QDate day() { return QDate(2026, 12, 8); }
    // A practitioner reads before clicking: other workstations change the card meanwhile.
    void think() { QThread::usleep(random.bounded(50000)); }

    bool report(const QString& what, const Error& e) {
        const bool conflict = e.fault == Fault::Changed || e.fault == Fault::Locked ||
                              e.fault == Fault::OnlyVisit || e.fault == Fault::NoVisit;
        // A connection lost on the way leaves unknown whether the change was made.
        const char* outcome = e.fault == Fault::Lost ? " unsure " : conflict ? " conflict " : " fault ";
        log << what << (e ? outcome + QString(e.message).replace(u'\n', u' ') : QStringLiteral(" ok"))
            << '\n';
        if (e) {
            think();
            store.load();
        }
        return !e;
    }

    void tag(const PatientView& v, const QString& who, int k) {
        const QString t = QStringLiteral("%1-%2").arg(id).arg(serial++);
        VisitRef now;
        report("tag " + who + ' ' + t, store.saveVisitTexts(v.visits[k], {{}, "id " + t}, &now));
    }

    void step() {
        if (random.bounded(3) == 0)
            store.load();
        const auto& records = store.list();
        // A few patients of many visits, so the workstations meet on one card.
        const int op = records.size() < 2 || random.bounded(64) == 0 ? 0
                       : records.size() > 3                          ? 1
                                                                     : 1 + int(random.bounded(15));
        PatientView v;
        if (op == 0) {
            const QString given = QStringLiteral("c%1n%2").arg(id).arg(serial++);
            report("create P_" + given + " -", store.createPatient("P", given, "1970", day()));
            return;
        }
        if (!report("read - -", store.choose(int(random.bounded(records.size())), &v)))
            return;
        think();
        const int k = int(random.bounded(v.visits.size()));
        const QString who = v.record.name().replace(u' ', u'_');
        VisitTexts t;
        if (op == 1 && records.size() > 3) {
            report("delpatient " + who, store.deletePatient(v.ref));
        } else if (op <= 5) {
            if (report("addvisit " + who + " -", store.addVisit(v.ref, day(), &v)))
                tag(v, who, 0);
        } else if (report("read - -", store.readVisit(v.visits[k], &t)) && t.diagnosis.isEmpty()) {
            tag(v, who, k);
        } else if (!t.diagnosis.isEmpty()) {
            const QString own = t.diagnosis.mid(3);
            session::ResultsMatrix m;
            m.cell(0, 0) = own;
            VisitRef now;
            think();
            if (op <= 7)
                report("delvisit " + who + ' ' + own, store.deleteVisit(v.visits[k], &v));
            else if (op <= 11)
                report("texts " + who + ' ' + own,
                       store.saveVisitTexts(v.visits[k], {"for " + own, t.diagnosis}, &now));
            else
                report("results " + who + ' ' + own, store.saveResults(v.visits[k], m, &now));
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
    const QString where = QString::fromLocal8Bit(argv[1]);
    clinicdb::ConnParams params;
    std::unique_ptr<Store> store;
    if (QFileInfo(where).isDir())
        store = std::make_unique<PatientStore>(WorkFolder(where));
    else if (!clinicdb::parseConninfo(where, &params))
        store = std::make_unique<clinicdb::DatabaseStore>(params);
    else
        return 2;
    const int id = std::atoi(argv[2]);
    Child child{*store, id, 0, QRandomGenerator(quint32(id * 7919 + 17)), QTextStream(&out)};
    child.report("load", child.store.load());
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < 1000 * std::atoi(argv[3]))
        child.step();
    child.log.flush();
    return 0;
}
