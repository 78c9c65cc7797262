#pragma once
// What the store's patient and visit operations share: the tokens that stand for what a
// window read, and the messages for files that no longer hold it.
#include "patients/patientfiles.h"

#include <QCryptographicHash>

namespace patients {

inline QByteArrayView utf16Bytes(const QString& s) {
    return {reinterpret_cast<const char*>(s.utf16()), s.size() * qsizetype(sizeof(char16_t))};
}

inline QByteArray recordToken(const IndexRecord& record) {
    return QCryptographicHash::hash(utf16Bytes(record.text()), QCryptographicHash::Sha1);
}

// The card's dates, hashed once for the tokens of all its visits.
inline QByteArray datesKey(const QStringList& dates) {
    return QCryptographicHash::hash(utf16Bytes(dates.join(u'\n')), QCryptographicHash::Sha1);
}

inline QByteArray visitToken(const QByteArray& datesKey, qsizetype position, const QString& record) {
    QCryptographicHash h(QCryptographicHash::Sha1);
    h.addData(datesKey);
    h.addData(QByteArray::number(position));
    h.addData(utf16Bytes(record));
    return h.result();
}

inline QString changedMessage(const QString& path) {
    return QStringLiteral("Файл \"%1\" изменился. Откройте список пациентов заново").arg(path);
}

inline QString mismatch(const QString& cardPath) {
    return QStringLiteral("Даты посещений в файле \"%1\" не совпадают со списком пациентов").arg(cardPath);
}

} // namespace patients
