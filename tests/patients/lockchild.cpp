// One workstation of the shared-folder test: random patient operations for a while, each
// logged with its outcome. lockchild FOLDER ID SECONDS LOG
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

    // Dates unique to this child and operation, so the log names every visit.
    QDate nextDay() { return QDate(1000 + 3000 * id, 1, 1).addDays(serial++); }

    void report(const QString& what, const Error& e) {
        const bool conflict = e.fault == Fault::Changed || e.fault == Fault::Locked ||
                              e.fault == Fault::OnlyVisit || e.fault == Fault::NoVisit;
        log << what
            << (e ? (conflict ? " conflict " : " fault ") + QString(e.message).replace(u'\n', u' ')
                  : QStringLiteral(" ok"))
            << '\n';
        if (e)
            store.load();
    }

    void step() {
        if (random.bounded(3) == 0)
            store.load();
        const auto& records = store.index().records;
        const int op = records.isEmpty() ? 0 : int(random.bounded(8));
        if (op == 0) {
            const QString given = QStringLiteral("c%1n%2").arg(id).arg(serial);
            const QDate day = nextDay();
            report("create P_" + given + ' ' + dateText(day), store.createPatient("P", given, "1970", day));
            return;
        }
        const int p = int(random.bounded(records.size()));
        const IndexRecord r = records[p];
        const int v = int(random.bounded(r.dateCount()));
        const QString date = r.dateLines()[v];
        const QString who = r.name().replace(u' ', u'_');
        if (op == 1) {
            report("delpatient " + who, store.deletePatient(p));
        } else if (op <= 3) {
            const QDate day = nextDay();
            report("addvisit " + who + ' ' + dateText(day), store.addVisit(p, day));
        } else if (op == 4) {
            report("delvisit " + who + ' ' + date, store.deleteVisit(p, v));
        } else if (op == 5) {
            report("texts " + who + ' ' + date,
                   store.saveVisitTexts(p, v, {date, "жалоба " + date, "диагноз", "рецепт"}));
        } else {
            const session::Choice c{r.name(), r.year(), r.cardFile(), v, date};
            session::ResultsMatrix m;
            m.cell(0, 0) = QString::number(serial);
            report("results " + who + ' ' + date, store.saveResults(c, c, m));
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
