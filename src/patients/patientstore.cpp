#include "patients/patientstore.h"

#include "common/fileaccess.h"
#include "common/folderlock.h"
#include "common/text1251.h"
#include "common/textutil.h"
#include "patients/patientstore_p.h"

#include <QFileInfo>
#include <QSet>

namespace patients {

namespace {

// A click in the list waits this long (milliseconds) for the lock to finish an interrupted
// change; a holder busy longer is left to finish it.
constexpr int kQuickLockMs = 200;

Error fail(Fault f, const QString& message) {
    return {f, message};
}

Error changed(const QString& path) {
    return fail(Fault::Changed, changedMessage(path));
}

} // namespace

VisitRef visitRef(const session::Choice& c) {
    return {c.cardFile, c.visit, c.visitDate, c.token};
}

Error PatientStore::readFile(const QString& path, QByteArray* bytes, bool* missing) const {
    QString why;
    bool gone = false;
    auto read = fileaccess::read(path, &why, &gone);
    if (missing)
        *missing = gone;
    if (!read)
        return fail(Fault::ReadFailed, why);
    *bytes = std::move(*read);
    return {};
}

Error PatientStore::writeFile(const QString& path, const QByteArray& bytes) const {
    QString why;
    if (!fileaccess::write(path, bytes, &why))
        return fail(Fault::WriteFailed, why);
    return {};
}

Error PatientStore::removeFile(const QString& path, bool* missing) const {
    QString why;
    if (!fileaccess::remove(path, &why, missing))
        return fail(Fault::DeleteFailed, why);
    return {};
}

Error PatientStore::readIndexBytes(QByteArray* bytes) const {
    const QString path = indexPath();
    bool missing = false;
    if (Error e = readFile(path, bytes, &missing))
        // The index goes with the last patient: deleted elsewhere, the list is out of date.
        return missing ? changed(path) : e;
    if (!bytes->contains(char(kRecordEnd)))
        return fail(Fault::NotIndex, QStringLiteral("Файл \"%1\" не является списком пациентов").arg(path));
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
    QByteArray bytes;
    const Error e = readIndexBytes(&bytes);
    if (e.fault != Fault::Changed) {
        if (!e)
            m_index = *Index::parse(bytes);
        return e;
    }
    return underLock([&]() -> Error {
        // Another workstation may have made it meanwhile.
        const Error again = readIndex(&m_index);
        if (again.fault != Fault::Changed)
            return again;
        return writeFile(indexPath(), Index::emptyBytes());
    });
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

Error PatientStore::readCardNow(Now* n, bool needed) const {
    n->cardPath = cardPath(n->record().cardFile());
    if (Error e = readFile(n->cardPath, &n->cardBytes, &n->cardMissing); e && (needed || !n->cardMissing))
        return e;
    n->card = Card::parse(n->cardBytes);
    n->dates = n->card.dates();
    const IndexRecord& r = n->record();
    n->agreement =
        n->cardMissing ? Agreement::Same : agreement(r.dateLines().mid(0, r.dateCount()), n->dates);
    return {};
}

Error PatientStore::readNow(const QString& cardFile, bool cardNeeded, Now* n) const {
    if (!cardNumber(cardFile))
        return fail(Fault::BadCardName, QStringLiteral("Неверное имя карты \"%1\"").arg(cardFile));
    if (Error e = readIndex(&n->index))
        return e;
    const auto& records = std::as_const(n->index.records);
    const auto it = std::find_if(records.begin(), records.end(),
                                 [&](const IndexRecord& r) { return r.cardFile() == cardFile; });
    if (it == records.end())
        return changed(indexPath());
    n->patient = int(it - records.begin());
    return readCardNow(n, cardNeeded);
}

Error PatientStore::writeIndex(const Index& index) {
    if (Error e = writeFile(indexPath(), index.serialise()))
        return e;
    m_index = index;
    return {};
}

Error PatientStore::finish(Now* n) {
    if (n->agreement != Agreement::CardAhead)
        return {};
    Index ix = n->index;
    ix.records[n->patient] = n->record().withDates(datesField(n->dates));
    if (Error e = writeIndex(ix))
        return e;
    n->index = ix;
    n->agreement = Agreement::Same;
    return {};
}

void PatientStore::tryFinish(Now* n) {
    const QString folder = m_folder.path(kFolder);
    const FolderLock lock(folder, kQuickLockMs);
    Now fresh;
    if (lock.locked() && !readNow(n->record().cardFile(), true, &fresh) && !finish(&fresh) &&
        fresh.patient == n->patient)
        *n = fresh;
}

PatientView PatientStore::viewOf(const Now& n) const {
    PatientView v;
    const IndexRecord& r = n.record();
    const bool ahead = n.agreement == Agreement::CardAhead;
    v.record = ahead ? r.withDates(datesField(n.dates)) : r;
    v.ref = {n.patient, r.cardFile(), recordToken(v.record)};
    const bool shown = !n.cardMissing && n.agreement != Agreement::Apart;
    v.cut = shown && n.card.cut();
    const QStringList dates = v.record.dateLines();
    const QByteArray key = datesKey(n.dates);
    for (int i = 0; i < v.record.dateCount(); ++i)
        v.visits.append(
            {r.cardFile(), i, dates[i], shown ? visitToken(key, i, n.card.record(i)) : QByteArray()});
    return v;
}

Error PatientStore::underLock(const std::function<Error()>& op) {
    const QString folder = m_folder.path(kFolder);
    QString why;
    if (!fileaccess::makeFolder(folder, &why))
        return fail(Fault::WriteFailed, why);
    const FolderLock lock(folder);
    if (!lock.locked())
        return fail(Fault::Locked, lock.error());
    return op();
}

Error PatientStore::choose(int patient, PatientView* view) {
    if (patient < 0 || patient >= m_index.records.size())
        return fail(Fault::NoPatient, kNoPatient);
    QByteArray bytes;
    if (Error e = readIndexBytes(&bytes))
        return e;
    // A click must stay quick on a long list: the chosen record is decoded alone, the
    // whole index only when it changed elsewhere, for the list to show it as it is.
    const auto now = Index::recordAt(bytes, patient);
    if (Error e = samePatient(patient, now ? &*now : nullptr))
        return e;
    if (!m_index.isParseOf(bytes))
        m_index = *Index::parse(bytes);
    Now n;
    n.index = m_index;
    n.patient = patient;
    if (Error e = readCardNow(&n, false))
        return e;
    if (n.agreement == Agreement::CardAhead)
        tryFinish(&n);
    *view = viewOf(n);
    return {};
}

// A card "c N.dat" that no record names and that holds nothing but one blank visit: what a
// "Завести карту" stopped between the card and the index leaves.
bool PatientStore::isBlankLeftOver(const QString& cardFile, const Index& index,
                                   const QByteArray* bytes) const {
    for (const IndexRecord& r : index.records)
        if (r.cardFile() == cardFile)
            return false;
    QByteArray read;
    if (!bytes && readFile(cardPath(cardFile), &read))
        return false;
    const Card c = Card::parse(bytes ? *bytes : read);
    return c.visits.size() == 1 && !c.cut() && c.visits[0] == blankVisit(visitDate(c.visits[0]));
}

Error PatientStore::numberForNewCard(const Index& ix, int* number) const {
    const auto counter = ix.counter();
    if (!counter)
        return fail(Fault::BadCounter,
                    QStringLiteral("Первая строка файла \"%1\" не число").arg(indexPath()));
    for (int n = *counter + 1; n <= kMaxCard; ++n) {
        QByteArray bytes;
        bool missing = false;
        const QString name = cardFileName(n);
        // A card that cannot be looked at may be someone's: nothing is made until it can.
        if (Error e = readFile(newCardPath(name), &bytes, &missing); e && !missing)
            return e;
        if (missing || isBlankLeftOver(name, ix, &bytes)) {
            *number = n;
            return {};
        }
    }
    return fail(
        Fault::BadCounter,
        QStringLiteral("Номера карт исчерпаны: последний возможный номер %1 уже использован (файл \"%2\")")
            .arg(kMaxCard)
            .arg(indexPath()));
}

Error PatientStore::createPatient(const QString& surname, const QString& given, const QString& year,
                                  const QDate& today) {
    const QString name = text::trim(surname) + u' ' + text::trim(given);
    if (Error e = checkIndexText(name, QStringLiteral("Фамилия, имя, отчество")))
        return e;
    if (Error e = checkIndexText(year, QStringLiteral("Год рождения")))
        return e;
    return underLock([&]() -> Error {
        // After the last patient's deletion, here or elsewhere, the counter in memory goes
        // on, not its records.
        Index ix;
        ix.counterLine = m_index.counterLine;
        if (Error e = readIndex(&ix); e && e.fault != Fault::Changed)
            return e;
        int number = 0;
        if (Error e = numberForNewCard(ix, &number))
            return e;
        const QString cardFile = cardFileName(number);
        const QString card = newCardPath(cardFile);
        const QString date = dateText(today);
        if (Error e = writeFile(card, cp1251::encode(blankVisit(date) + kVisitEnd)))
            return e;
        ix.setCounter(number);
        ix.records.prepend(IndexRecord::make(name, year, date + u' ', cardFile));
        if (Error e = writeIndex(ix)) {
            // Left behind when this fails too, the blank card goes to the next new patient.
            bool missing = false;
            removeFile(card, &missing);
            return e;
        }
        return {};
    });
}

Error PatientStore::patientNow(const PatientRef& patient, bool cardNeeded, Now* n) {
    if (Error e = readNow(patient.cardFile, cardNeeded, n))
        return e;
    if (n->agreement == Agreement::Apart)
        return {Fault::Mismatch, mismatch(n->cardPath)};
    if (Error e = finish(n))
        return e;
    if (recordToken(n->record()) != patient.token)
        return changed(indexPath());
    return {};
}

Error PatientStore::deletePatient(const PatientRef& patient) {
    return underLock([&]() -> Error {
        Now n;
        if (Error e = patientNow(patient, false, &n))
            return e;
        Index ix = n.index;
        ix.records.removeAt(n.patient);
        // The record goes first: a card without a record is reported, a record without a card
        // is a patient that cannot be opened.
        bool missing = false;
        if (ix.records.isEmpty()) {
            if (Error e = removeFile(indexPath(), &missing))
                return e;
            m_index = ix;
        } else if (Error e = writeIndex(ix)) {
            return e;
        }
        if (Error e = removeFile(n.cardPath, &missing))
            return fail(Fault::Unfinished,
                        QStringLiteral("Пациент удалён из списка, но файл его карты удалить не удалось. %1")
                            .arg(e.message));
        return {};
    });
}

QString PatientStore::leftOverNote() const {
    const QStringList left = leftOverCards();
    if (left.isEmpty())
        return {};
    return QStringLiteral("В папке \"%1\" есть карты, которых нет в списке пациентов: %2. "
                          "Они оставлены как есть")
        .arg(QFileInfo(indexPath()).absolutePath(), left.join(QStringLiteral(", ")));
}

QStringList PatientStore::leftOverCards() const {
    QSet<QString> named;
    named.reserve(m_index.records.size());
    for (const IndexRecord& r : m_index.records)
        named.insert(r.cardFile());
    const int counter = m_index.counter().value_or(kMaxCard);
    QStringList left;
    for (const QString& name : fileaccess::list(m_folder.path(kFolder)).value_or(QStringList())) {
        const auto number = cardNumber(name);
        if (number && !named.contains(name) && !(*number > counter && isBlankLeftOver(name, m_index)))
            left << name;
    }
    return left;
}

} // namespace patients
