#include "patients/patientstore.h"

#include "common/folderlock.h"
#include "common/text1251.h"
#include "common/textutil.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace patients {

namespace {

Error fail(Fault f, const QString& message) {
    return {f, message};
}

Error changed(const QString& path) {
    return fail(Fault::Changed,
                QStringLiteral("Файл \"%1\" изменился. Откройте список пациентов заново").arg(path));
}

} // namespace

Error PatientStore::writeFile(const QString& path, const QByteArray& bytes) const {
    QString why;
    const bool ok = m_writer ? m_writer(path, bytes, &why) : textfile::writeBytes(path, bytes, &why);
    if (!ok)
        return fail(Fault::WriteFailed, why);
    return {};
}

Error PatientStore::readIndexBytes(QByteArray* bytes) const {
    const QString path = indexPath();
    QString why;
    auto read = textfile::readBytes(path, &why);
    if (!read)
        return fail(Fault::ReadFailed, why);
    if (!read->contains('*'))
        return fail(Fault::NotIndex, QStringLiteral("Файл \"%1\" не является списком пациентов").arg(path));
    *bytes = std::move(*read);
    return {};
}

Error PatientStore::readIndex(Index* index) const {
    QByteArray bytes;
    if (Error e = readIndexBytes(&bytes))
        return e;
    *index = *Index::parse(bytes);
    return {};
}

Error PatientStore::load() {
    m_index = Index();
    const QString path = indexPath();
    if (QFileInfo::exists(path))
        return readIndex(&m_index);
    return underLock([&]() -> Error {
        // Another workstation may have made it meanwhile.
        if (QFileInfo::exists(path))
            return readIndex(&m_index);
        return writeFile(path, Index::emptyBytes());
    });
}

// The index read afresh for work on the patient at `patient` of the window's list.
Error PatientStore::freshIndexBytes(int patient, QByteArray* bytes) const {
    if (patient < 0 || patient >= m_index.records.size())
        return fail(Fault::NoPatient, kNoPatient);
    // The index goes with the last patient: deleted elsewhere, this patient is gone too.
    if (!QFileInfo::exists(indexPath()))
        return changed(indexPath());
    return readIndexBytes(bytes);
}

// The patient at `patient` in the index as the window last saw it is `now` in the index as
// it is now (null: no record there): the same card file, or the window's list is out of date.
Error PatientStore::samePatient(int patient, const IndexRecord* now) const {
    // Name and card file together: a card file number freed by a deletion elsewhere may be
    // given to a new patient. The year may be mended elsewhere; it is the same patient.
    const IndexRecord& was = m_index.records[patient];
    if (!now || now->cardFile() != was.cardFile() || now->name() != was.name())
        return changed(indexPath());
    if (!cardNumber(now->cardFile()))
        return fail(
            Fault::BadCardName,
            QStringLiteral("В файле \"%1\" неверное имя карты \"%2\"").arg(indexPath(), now->cardFile()));
    return {};
}

Error PatientStore::freshRecord(int patient, Index* index) const {
    QByteArray bytes;
    if (Error e = freshIndexBytes(patient, &bytes))
        return e;
    *index = *Index::parse(bytes);
    return samePatient(patient, patient < index->records.size() ? &index->records[patient] : nullptr);
}

QString PatientStore::shownDate(int patient, int visit) const {
    if (patient < 0 || patient >= m_index.records.size() || visit < 0)
        return {};
    return m_index.records[patient].dateLines().value(visit);
}

Error PatientStore::underLock(const std::function<Error()>& op) {
    const QString folder = m_folder.path(kFolder);
    if (!QDir().mkpath(folder))
        return fail(Fault::WriteFailed, QStringLiteral("Не удается создать папку \"%1\"").arg(folder));
    const FolderLock lock(folder);
    if (!lock.locked())
        return fail(Fault::Locked, lock.error());
    return op();
}

Error PatientStore::readCard(const IndexRecord& record, Card* card, QString* path) const {
    *path = cardPath(record.cardFile());
    QString why;
    const auto bytes = textfile::readBytes(*path, &why);
    if (!bytes)
        return fail(Fault::ReadFailed, why);
    *card = Card::parse(*bytes);
    return {};
}

Error PatientStore::writeIndex(const Index& index) {
    if (Error e = writeFile(indexPath(), index.serialise()))
        return e;
    m_index = index;
    return {};
}

// Adding or deleting a visit writes the card, then the index. Killed in between, the card
// holds one date more or one less than the index; its own dates finish the change. Any
// other disagreement is left as it is.
Error PatientStore::finishInterrupted(Index& ix, int patient) {
    // Read through a const list: a write would copy every record of a shared index.
    const IndexRecord& r = std::as_const(ix.records)[patient];
    Card card;
    QString path;
    if (readCard(r, &card, &path))
        return {}; // nothing to finish; the card's own read reports a missing file
    QStringList onCard;
    for (const QString& v : card.visits)
        onCard << visitDate(v);
    while (!onCard.isEmpty() && onCard.last().isEmpty())
        onCard.removeLast();
    QStringList inIndex = r.dateLines();
    inIndex.removeLast();
    bool finish = onCard.size() == inIndex.size() + 1 && onCard.mid(1) == inIndex;
    for (qsizetype i = 0; !finish && onCard.size() + 1 == inIndex.size() && i < inIndex.size(); ++i)
        finish = QStringList(inIndex).mid(0, i) + inIndex.mid(i + 1) == onCard;
    if (!finish)
        return {};
    ix.records[patient] = IndexRecord::make(r.name(), r.year(), onCard.join(u' ') + u' ', r.cardFile());
    return writeIndex(ix);
}

Error PatientStore::choose(int patient, IndexRecord* record) {
    return underLock([&]() -> Error {
        QByteArray bytes;
        if (Error e = freshIndexBytes(patient, &bytes))
            return e;
        // A click must stay quick on a long list: the chosen record is decoded alone, the
        // whole index only when it changed elsewhere, for the list to show it as it is.
        const auto now = Index::recordAt(bytes, patient);
        if (Error e = samePatient(patient, now ? &*now : nullptr))
            return e;
        if (!m_index.isParseOf(bytes))
            m_index = *Index::parse(bytes);
        Index ix = m_index;
        if (Error e = finishInterrupted(ix, patient))
            return e;
        *record = m_index.records.at(patient); // at(): no copy of the shared list
        return {};
    });
}

Error PatientStore::createPatient(const QString& surname, const QString& given, const QString& year,
                                  const QDate& today) {
    const QString name = text::trim(surname) + u' ' + text::trim(given);
    if (Error e = checkIndexText(name, QStringLiteral("Фамилия, имя, отчество")))
        return e;
    if (Error e = checkIndexText(year, QStringLiteral("Год рождения")))
        return e;
    return underLock([&]() -> Error {
        // After the last patient's deletion, here or elsewhere, the counter in memory goes on, not its
        // records.
        Index ix{m_index.counterLine, {}};
        if (QFileInfo::exists(indexPath()))
            if (Error e = readIndex(&ix))
                return e;
        const auto counter = ix.counter();
        if (!counter)
            return fail(Fault::BadCounter,
                        QStringLiteral("Первая строка файла \"%1\" не число").arg(indexPath()));
        const QString folder = m_folder.path(kFolder);
        if (!QDir().mkpath(folder))
            return fail(Fault::WriteFailed, QStringLiteral("Не удается создать папку \"%1\"").arg(folder));
        int number = *counter + 1;
        while (number <= kMaxCard && QFileInfo::exists(folder + u'/' + cardFileName(number)))
            ++number;
        if (number > kMaxCard)
            return fail(Fault::BadCounter,
                        QStringLiteral("В папке \"%1\" больше нет свободных номеров карт").arg(folder));
        const QString cardFile = cardFileName(number);
        const QString card = folder + u'/' + cardFile;
        const QString date = dateText(today);
        if (Error e = writeFile(card, cp1251::encode(blankVisit(date) + u'@')))
            return e;
        ix.counterLine = text::signNumber(number) + QStringLiteral("\r\n");
        ix.records.prepend(IndexRecord::make(name, year, date + u' ', cardFile));
        if (Error e = writeIndex(ix)) {
            QFile::remove(card);
            return e;
        }
        return {};
    });
}

Error PatientStore::deletePatient(int patient) {
    return underLock([&]() -> Error {
        Index ix;
        if (Error e = freshRecord(patient, &ix))
            return e;
        const QString card = cardPath(ix.records[patient].cardFile());
        ix.records.removeAt(patient);
        // The record goes first: a card without a record is harmless, a record without a card is not.
        if (ix.records.isEmpty()) {
            if (!QFile::remove(indexPath()))
                return fail(Fault::DeleteFailed,
                            QStringLiteral("Не удается удалить файл \"%1\"").arg(indexPath()));
            m_index = ix;
        } else if (Error e = writeIndex(ix)) {
            return e;
        }
        if (QFileInfo::exists(card) && !QFile::remove(card))
            return fail(Fault::DeleteFailed, QStringLiteral("Не удается удалить файл \"%1\"").arg(card));
        return {};
    });
}

// The patient's record and card read afresh: the record where the window saw it and passing
// `check`, the card holding at least `visits` visit records (kEveryDate: one per date).
Error PatientStore::freshCard(int patient, const RecordCheck& check, qsizetype visits, Fresh* f) const {
    if (Error e = freshRecord(patient, &f->index))
        return e;
    const IndexRecord& r = f->index.records[patient];
    if (Error e = check ? check(r) : Error())
        return e;
    if (Error e = readCard(r, &f->card, &f->cardPath))
        return e;
    if (f->card.visits.size() < (visits == kEveryDate ? r.dateCount() : visits))
        return changed(f->cardPath);
    return {};
}

// The card first, then the index; the card goes back when the index cannot be written.
Error PatientStore::writeCardAndIndex(const Fresh& f, const QByteArray& oldCard) {
    if (Error e = writeFile(f.cardPath, f.card.serialise()))
        return e;
    if (Error e = writeIndex(f.index)) {
        writeFile(f.cardPath, oldCard);
        return e;
    }
    return {};
}

PatientStore::RecordCheck PatientStore::hasVisit(int visit) {
    return [visit](const IndexRecord& r) -> Error {
        if (visit < 0 || visit >= r.dateCount())
            return fail(Fault::NoVisit, kNoVisit);
        return {};
    };
}

Error PatientStore::addVisit(int patient, const QDate& today) {
    return underLock([&]() -> Error {
        Fresh f;
        if (Error e = freshCard(patient, {}, 0, &f))
            return e;
        IndexRecord& r = f.index.records[patient];
        const QByteArray oldCard = f.card.serialise();
        const QString date = dateText(today);
        f.card.visits.prepend(blankVisit(date));
        r = IndexRecord::make(r.name(), r.year(), date + u' ' + r.dates(), r.cardFile());
        return writeCardAndIndex(f, oldCard);
    });
}

Error PatientStore::deleteVisit(int patient, int visit) {
    const QString shown = shownDate(patient, visit);
    const auto check = [&](const IndexRecord& r) -> Error {
        const int count = r.dateCount();
        if (visit < 0 || visit >= count || count < 2)
            return fail(Fault::OnlyVisit, kOnlyVisit);
        // A visit added or deleted meanwhile moves the dates: the shown one is gone from here.
        if (r.dateLines()[visit] != shown)
            return changed(indexPath());
        return {};
    };
    return underLock([&]() -> Error {
        Fresh f;
        if (Error e = freshCard(patient, check, kEveryDate, &f))
            return e;
        IndexRecord& r = f.index.records[patient];
        const QByteArray oldCard = f.card.serialise();
        f.card.visits = f.card.visits.mid(0, r.dateCount());
        f.card.visits.removeAt(visit);
        QStringList dates = r.dateLines();
        dates.removeAt(visit);
        r = IndexRecord::make(r.name(), r.year(), dates.join(u' '), r.cardFile());
        return writeCardAndIndex(f, oldCard);
    });
}

Error PatientStore::readVisitTexts(int patient, int visit, VisitTexts* texts) {
    Fresh f;
    if (Error e = freshCard(patient, hasVisit(visit), visit + 1, &f))
        return e;
    const QStringList fields = visitFields(f.card.visits[visit]);
    *texts = {f.index.records[patient].dateLines()[visit], fieldText(fields, 1), fieldText(fields, 2),
              fieldText(fields, 3)};
    return {};
}

Error PatientStore::saveVisitTexts(int patient, int visit, const VisitTexts& t) {
    if (Error e = checkCardText(t.complaints, QStringLiteral("Жалобы")))
        return e;
    if (Error e = checkCardText(t.diagnosis, QStringLiteral("Диагноз")))
        return e;
    if (Error e = checkCardText(t.prescription, QStringLiteral("Рецепт")))
        return e;
    const QString shown = t.date.isEmpty() ? shownDate(patient, visit) : t.date;
    return underLock([&]() -> Error {
        Fresh f;
        if (Error e = freshCard(patient, hasVisit(visit), visit + 1, &f))
            return e;
        const QString date = f.index.records[patient].dateLines()[visit];
        QString& record = f.card.visits[visit];
        if (visitDate(record) != date)
            return changed(f.cardPath);
        // A visit added or deleted meanwhile moves the dates: the shown visit is no longer here.
        if (!shown.isEmpty() && shown != date)
            return changed(indexPath());
        record = withTexts(record, t.complaints, t.diagnosis, t.prescription);
        return writeFile(f.cardPath, f.card.serialise());
    });
}

// The chosen visit, checked against the index and the card as they are now.
Error PatientStore::findVisit(const session::Choice& visit, Card* card, QString* path) const {
    if (!visit.hasVisit())
        return fail(Fault::NoVisit, kNoVisit);
    if (!cardNumber(visit.cardFile))
        return fail(Fault::BadCardName, QStringLiteral("Неверное имя карты \"%1\"").arg(visit.cardFile));
    // The index goes with the last patient: deleted elsewhere, this patient is gone too.
    if (!QFileInfo::exists(indexPath()))
        return changed(indexPath());
    Index ix;
    if (Error e = readIndex(&ix))
        return e;
    const auto it = std::find_if(ix.records.cbegin(), ix.records.cend(),
                                 [&](const IndexRecord& r) { return r.cardFile() == visit.cardFile; });
    if (it == ix.records.cend() || visit.visit >= it->dateCount() ||
        it->dateLines()[visit.visit] != visit.visitDate)
        return changed(indexPath());
    if (Error e = readCard(*it, card, path))
        return e;
    if (visit.visit >= card->visits.size() || visitDate(card->visits[visit.visit]) != visit.visitDate)
        return changed(*path);
    return {};
}

Error PatientStore::loadResults(const session::Choice& visit, session::ResultsMatrix* results) {
    Card card;
    QString path;
    if (Error e = findVisit(visit, &card, &path))
        return e;
    *results = resultsOf(card.visits[visit.visit]);
    return {};
}

Error PatientStore::saveResults(const session::Choice& chosen, const session::Choice& loaded,
                                const session::ResultsMatrix& results) {
    return underLock([&]() -> Error {
        if (Error e = checkSaveTarget(chosen, loaded))
            return e;
        if (Error e = checkResults(results))
            return e;
        Card card;
        QString path;
        if (Error e = findVisit(chosen, &card, &path))
            return e;
        card.visits[chosen.visit] = withResults(card.visits[chosen.visit], results);
        return writeFile(path, card.serialise());
    });
}

} // namespace patients
