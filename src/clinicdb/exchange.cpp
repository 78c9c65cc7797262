#include "clinicdb/exchange.h"

#include "common/text1251.h"
#include "common/textutil.h"
#include "common/workfolder.h"
#include "patients/patientfiles.h"

#include <QDir>
#include <QFileInfo>

namespace clinicdb {

namespace {

using patients::IndexRecord;

Error folderError(const QString& message) {
    return {Fault::Folder, message};
}

// The database cannot hold a NUL character; nothing the program writes has one.
Error readLegacy(const QString& path, QByteArray* bytes) {
    QString why;
    auto read = textfile::readBytes(path, &why);
    if (!read)
        return folderError(why);
    if (read->contains('\0'))
        return folderError(QStringLiteral("В файле \"%1\" нулевой байт: перенести его нельзя").arg(path));
    *bytes = std::move(*read);
    return {};
}

bool onlyLineEnds(const QString& s) {
    return std::all_of(s.cbegin(), s.cend(), [](QChar c) { return c == u'\r' || c == u'\n'; });
}

struct LegacyVisit {
    QString date;
    QString record;
    bool complete = true;
};

// The card's visits, newest first, each with the index's date at its position.
QList<LegacyVisit> legacyVisits(const IndexRecord& r, const patients::Card& card, const QString& path,
                                QString* tail, QStringList* notes) {
    QStringList records = card.visits;
    *tail = card.tail;
    const qsizetype complete = records.size();
    if (!onlyLineEnds(*tail)) {
        notes->append(
            QStringLiteral(
                "Карта \"%1\": последнее посещение не завершено (нет \"@\"), оно перенесено как есть")
                .arg(path));
        records.append(*tail);
        tail->clear();
    }
    QStringList dates = r.dateLines();
    if (const QString last = dates.takeLast(); !last.isEmpty())
        dates.append(last); // a dates field without its final blank
    if (dates.size() != records.size())
        notes->append(QStringLiteral("Карта \"%1\": посещений %2, а дат в списке пациентов %3")
                          .arg(path)
                          .arg(records.size())
                          .arg(dates.size()));
    QList<LegacyVisit> visits;
    for (qsizetype i = 0; i < std::max(dates.size(), records.size()); ++i) {
        const QString record = records.value(i);
        visits.append({i < dates.size() ? dates[i] : patients::visitDate(record), record, i < complete});
    }
    return visits;
}

struct ImportRun {
    Connection& c;
    WorkFolder folder;
    bool merge = false;
    QStringList* notes = nullptr;
    QSqlQuery patientInsert;
    QSqlQuery visitInsert;
    qint64 lastCard = 0; // merging: the last number given
    qint64 maxCard = 0;
};

Error startImport(ImportRun& run) {
    QSqlQuery q = run.c.query();
    if (Error e = run.c.exec(q, QStringLiteral("SELECT last FROM card_counter FOR UPDATE")))
        return e;
    run.lastCard = q.next() ? q.value(0).toLongLong() : 0;
    if (Error e = run.c.exec(q, QStringLiteral("SELECT count(*), coalesce(max(card), 0) FROM patient")))
        return e;
    const qint64 count = q.next() ? q.value(0).toLongLong() : 0;
    if (count > 0 && !run.merge)
        return {Fault::NotEmpty, QStringLiteral("В базе данных уже есть пациенты (%1). Пациентов папки можно "
                                                "только добавить к ним (слияние)")
                                     .arg(count)};
    run.lastCard = std::max(run.lastCard, q.value(1).toLongLong());
    if (Error e = run.c.prepare(run.patientInsert,
                                QStringLiteral("INSERT INTO patient (card, name, year, card_tail)"
                                               " VALUES (?, ?, ?, ?) RETURNING id")))
        return e;
    return run.c.prepare(run.visitInsert, QStringLiteral("INSERT INTO visit (patient, date, record, complete)"
                                                         " VALUES (?, ?, ?, ?)"));
}

Error importPatient(ImportRun& run, const IndexRecord& r) {
    const auto number = patients::cardNumber(r.cardFile());
    if (!number)
        return folderError(QStringLiteral("Неверное имя карты \"%1\" в списке пациентов").arg(r.cardFile()));
    const QString path = run.folder.path(patients::kFolder + u'\\' + r.cardFile());
    QByteArray bytes;
    if (Error e = readLegacy(path, &bytes))
        return e;
    QString tail;
    const QList<LegacyVisit> visits = legacyVisits(r, patients::Card::parse(bytes), path, &tail, run.notes);
    const qint64 card = run.merge ? ++run.lastCard : *number;
    run.maxCard = std::max(run.maxCard, card);
    if (Error e = run.c.run(run.patientInsert, {card, r.name(), r.year(), tail}))
        return e;
    if (!run.patientInsert.next())
        return {Fault::Server, QStringLiteral("Пациент \"%1\" не записан").arg(r.name())};
    const qint64 id = run.patientInsert.value(0).toLongLong();
    for (auto v = visits.crbegin(); v != visits.crend(); ++v)
        if (Error e = run.c.run(run.visitInsert, {id, v->date, v->record, v->complete}))
            return e;
    return {};
}

// A fresh import keeps the legacy counter line and the index's tail, to write them back.
Error finishImport(ImportRun& run, const patients::Index& index, const QString& tail) {
    QSqlQuery q = run.c.query();
    if (run.merge)
        return run.c.exec(q, QStringLiteral("UPDATE card_counter SET last = ?"), {run.lastCard});
    const qint64 last = std::max<qint64>(index.counter().value_or(0), run.maxCard);
    return run.c.exec(q,
                      QStringLiteral("UPDATE card_counter SET last = ?, legacy_last = ?, legacy_line = ?,"
                                     " index_tail = ?"),
                      {last, last, index.counterLine, tail});
}

} // namespace

Error importFolder(ClinicStore& db, const QString& dir, bool merge, QStringList* notes) {
    const WorkFolder folder(dir);
    const QString indexPath = folder.path(patients::kIndexFile);
    QByteArray bytes;
    if (Error e = readLegacy(indexPath, &bytes))
        return e;
    const auto index = patients::Index::parse(bytes);
    if (!index)
        return folderError(QStringLiteral("Файл \"%1\" не является списком пациентов").arg(indexPath));
    const QString tail = cp1251::decode(bytes.mid(bytes.lastIndexOf(char(patients::kRecordEnd)) + 1));
    QStringList found;
    const Error e = db.connection().transaction([&](Connection& c) -> Error {
        found.clear();
        ImportRun run{c, folder, merge, &found, c.query(), c.query()};
        if (Error e = startImport(run))
            return e;
        // Oldest first, so that the newest has the highest id, as the list orders them.
        for (qsizetype k = index->records.size() - 1; k >= 0; --k)
            if (Error e = importPatient(run, index->records[k]))
                return e;
        return finishImport(run, *index, tail);
    });
    if (notes)
        *notes = found;
    return e;
}

namespace {

// The counter line as imported while no card was made since; the tail after the last "*".
Error exportCounter(Connection& c, patients::Index* index, QString* tail) {
    QSqlQuery q = c.query();
    if (Error e =
            c.exec(q, QStringLiteral("SELECT last, legacy_last, legacy_line, index_tail FROM card_counter")))
        return e;
    if (!q.next())
        return {Fault::Server, QStringLiteral("В базе данных нет счётчика карт")};
    const qint64 last = q.value(0).toLongLong();
    const bool asImported = !q.isNull(1) && q.value(1).toLongLong() == last;
    index->counterLine =
        asImported ? q.value(2).toString()
                   : text::signNumber(int(std::min<qint64>(last, patients::kMaxCard))) + text::kCrLf;
    *tail = q.value(3).toString();
    return {};
}

// Writes one card file; `dates` gets the index's dates field.
Error exportCard(Connection& c, QSqlQuery& visits, const QSqlQuery& patient, const QString& folder,
                 QString* dates) {
    const qint64 card = patient.value(1).toLongLong();
    if (card > patients::kMaxCard)
        return folderError(QStringLiteral("Номер карты %1 пациента \"%2\" больше %3: в папку старого образца "
                                          "его не записать")
                               .arg(card)
                               .arg(patient.value(2).toString())
                               .arg(patients::kMaxCard));
    if (Error e = c.run(visits, {patient.value(0)}))
        return e;
    QString text;
    while (visits.next()) {
        *dates += visits.value(0).toString() + u' ';
        text += visits.value(1).toString();
        if (visits.value(2).toBool())
            text += patients::kVisitEnd;
    }
    text += patient.value(4).toString();
    QString why;
    if (!textfile::writeBytes(folder + u'/' + patients::cardFileName(int(card)), cp1251::encode(text), &why))
        return folderError(why);
    return {};
}

// A folder of another set of patients is never written into.
Error checkTarget(const QString& indexPath, const QString& folder) {
    if (QFileInfo::exists(indexPath))
        return folderError(QStringLiteral("В папке уже есть список пациентов \"%1\"").arg(indexPath));
    const QStringList names = QDir(folder).entryList(QDir::Files);
    for (const QString& name : names)
        if (patients::cardNumber(name))
            return folderError(QStringLiteral("В папке \"%1\" уже есть карта \"%2\"").arg(folder, name));
    if (!QDir().mkpath(folder))
        return folderError(QStringLiteral("Не удается создать папку \"%1\"").arg(folder));
    return {};
}

} // namespace

Error exportFolder(ClinicStore& db, const QString& dir) {
    const WorkFolder target(dir);
    const QString indexPath = target.path(patients::kIndexFile);
    const QString folder = target.path(patients::kFolder);
    if (Error e = checkTarget(indexPath, folder))
        return e;
    return db.connection().transaction([&](Connection& c) -> Error {
        QSqlQuery q = c.query();
        // One snapshot for the whole folder.
        if (Error e = c.exec(q, QStringLiteral("SET TRANSACTION ISOLATION LEVEL REPEATABLE READ, READ ONLY")))
            return e;
        patients::Index index;
        QString tail;
        if (Error e = exportCounter(c, &index, &tail))
            return e;
        QSqlQuery visits = c.query();
        if (Error e = c.prepare(visits, QStringLiteral("SELECT date, record, complete FROM visit"
                                                       " WHERE patient = ? ORDER BY id DESC")))
            return e;
        if (Error e = c.exec(
                q, QStringLiteral("SELECT id, card, name, year, card_tail FROM patient ORDER BY id DESC")))
            return e;
        while (q.next()) {
            QString dates;
            if (Error e = exportCard(c, visits, q, folder, &dates))
                return e;
            index.records.append(IndexRecord::make(q.value(2).toString(), q.value(3).toString(), dates,
                                                   patients::cardFileName(int(q.value(1).toLongLong()))));
        }
        // The index last: a folder cut short by a failure holds no list of patients.
        QString why;
        if (!textfile::writeBytes(indexPath, index.serialise() + cp1251::encode(tail), &why))
            return folderError(why);
        return {};
    });
}

} // namespace clinicdb
