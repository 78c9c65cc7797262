#pragma once
// Workstations on one store (lockchild): what their logs report against what the store
// holds at the end. Every visit is tagged in its diagnosis; a write names its tag, so a
// write that landed in another visit, or a reported one that is not there, is found.
#include "patients/store.h"

#include <QFile>
#include <QHash>
#include <QProcess>
#include <QSet>
#include <QTemporaryDir>
#include <QThread>
#include <functional>
#include <memory>

namespace workstations {

using namespace patients;

struct Outcomes {
    int operations = 0;
    int conflicts = 0;
    int unsure = 0; // the connection lost: done or not, nobody can say
    QStringList faults;
    QSet<QString> patients, deletedPatients;               // names with "_" for " "
    QHash<QString, QString> visits;                        // tag -> patient
    QSet<QString> deletedVisits, texts, results, unsureOf; // tags and patients
};

// A log's lines: "<op> <patient> <tag> <outcome>", the tag "-" where there is none.
inline void readLog(const QString& path, Outcomes* o) {
    QFile f(path);
    const QStringList lines = f.open(QIODevice::ReadOnly)
                                  ? QString::fromUtf8(f.readAll()).split(u'\n', Qt::SkipEmptyParts)
                                  : QStringList();
    bool going = true; // an operation done after the last one whose outcome was unknown
    for (const QString& line : lines) {
        const QStringList w = line.split(u' ');
        ++o->operations;
        const QString outcome = w.value(w[0] == "load" ? 1 : w[0] == "delpatient" ? 2 : 3);
        if (outcome == "conflict") {
            ++o->conflicts;
            continue;
        }
        if (outcome == "unsure") {
            ++o->unsure;
            going = false;
            o->unsureOf << w.value(1) << w.value(2);
            continue;
        }
        if (outcome != "ok") {
            o->faults << line;
            continue;
        }
        going = true;
        if (w[0] == "create")
            o->patients << w[1];
        else if (w[0] == "tag")
            o->visits.insert(w[2], w[1]);
        else if (w[0] == "delpatient")
            o->deletedPatients << w[1];
        else if (w[0] == "delvisit")
            o->deletedVisits << w[2];
        else if (w[0] == "texts")
            o->texts << w[2];
        else if (w[0] == "results")
            o->results << w[2];
    }
    if (!going)
        o->faults << path + " stopped after losing the connection";
}

// The store as the workstations left it, read through the store itself, against their logs.
inline void compare(Store& store, const Outcomes& o, QStringList* faults) {
    if (const Error e = store.load())
        return faults->append(e.message);
    if (!store.leftOverNote().isEmpty())
        faults->append(store.leftOverNote());
    QSet<QString> names;
    QHash<QString, QString> tags; // tag -> patient
    for (int k = 0; k < store.list().size(); ++k) {
        const QString name = store.list()[k].name().replace(u' ', u'_');
        PatientView view;
        names << name;
        if (const Error e = store.choose(k, &view); e || view.cut || view.visits.isEmpty()) {
            faults->append(name + " half-written: " + e.message);
            continue;
        }
        for (const VisitRef& visit : view.visits) {
            VisitTexts t;
            session::ResultsMatrix m;
            if (Error e = store.readVisit(visit, &t); e || (e = store.loadResults(visit, &m))) {
                faults->append(name + ": " + e.message);
                continue;
            }
            const QString tag = t.diagnosis.mid(3), result = m.cell(0, 0);
            if (tag.isEmpty())
                continue;
            // A visit holds its own tag once in the store, and only writes that name it.
            if (tags.contains(tag) || !QStringList{"", "for " + tag}.contains(t.complaints) ||
                !QStringList{"", tag}.contains(result))
                faults->append("visit " + tag + " of " + name + " holds a write meant for another");
            if (!o.unsureOf.contains(tag) && ((o.texts.contains(tag) && t.complaints.isEmpty()) ||
                                              (o.results.contains(tag) && result.isEmpty())))
                faults->append("a write to visit " + tag + " of " + name + " lost");
            tags.insert(tag, name);
        }
    }
    for (const QString& p : o.patients)
        if (names.contains(p) == o.deletedPatients.contains(p) && !o.unsureOf.contains(p))
            faults->append("patient " + p + (names.contains(p) ? " deleted yet present" : " lost"));
    for (const QString& p : names)
        if (!o.patients.contains(p) && !o.unsureOf.contains(p))
            faults->append("patient " + p + " present though never reported made");
    for (auto it = o.visits.cbegin(); it != o.visits.cend(); ++it) {
        const bool gone = o.deletedPatients.contains(it.value()) || o.deletedVisits.contains(it.key());
        if (o.unsureOf.contains(it.key()) || o.unsureOf.contains(it.value()))
            continue;
        if (tags.contains(it.key()) == gone || (!gone && tags.value(it.key()) != it.value()))
            faults->append("visit " + it.key() + " of " + it.value() + (gone ? " still present" : " lost"));
    }
    for (auto it = tags.cbegin(); it != tags.cend(); ++it)
        if (!o.visits.contains(it.key()) && !o.unsureOf.contains(it.key()))
            faults->append("visit " + it.key() + " present though never reported made");
}

// `count` workstations on `where` (a folder or a connection string) for `seconds`
// ($TAVEN_LOCK_SECONDS if set), `midway` done half-way through; what their logs report.
inline Outcomes run(const QString& where, int count, int seconds, const std::function<void()>& midway = {}) {
    seconds = qEnvironmentVariableIsSet("TAVEN_LOCK_SECONDS")
                  ? qEnvironmentVariableIntValue("TAVEN_LOCK_SECONDS")
                  : seconds;
    QTemporaryDir logs;
    const auto children = std::make_unique<QProcess[]>(count);
    for (int id = 0; id < count; ++id)
        children[id].start(LOCKCHILD, {where, QString::number(id), QString::number(seconds),
                                       logs.filePath(QString::number(id))});
    if (midway) {
        QThread::sleep(seconds / 2);
        midway();
    }
    Outcomes o;
    for (int id = 0; id < count; ++id) {
        if (!children[id].waitForFinished(1000 * (seconds + 120)) || children[id].exitCode() != 0)
            o.faults << QStringLiteral("workstation %1 ended with %2").arg(id).arg(children[id].exitCode());
        readLog(logs.filePath(QString::number(id)), &o);
    }
    return o;
}

// What went wrong, the figures told: nothing lost, misdirected or half-written, and enough done.
inline QStringList check(Store& store, const Outcomes& o) {
    QStringList faults = o.faults;
    compare(store, o, &faults);
    if (o.operations < 100 || o.visits.size() < 10 || o.patients.size() < 3 || o.deletedVisits.isEmpty() ||
        o.deletedPatients.isEmpty())
        faults << QStringLiteral("too little done: %1 operations").arg(o.operations);
    qInfo("operations %d, conflicts reported %d, outcome unknown (connection lost) %d, "
          "misdirected, lost or unreported writes %lld",
          o.operations, o.conflicts, o.unsure, qlonglong(faults.size()));
    return faults;
}

} // namespace workstations
