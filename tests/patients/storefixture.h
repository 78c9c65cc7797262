#pragma once
// A working folder in a temporary directory with a store over it, for the store tests.
#include "common/fileaccess.h"
#include "common/text1251.h"
#include "patientgen.h"
#include "patients/patientstore.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>

namespace storetest {

inline const QDate kToday(2026, 12, 8);
inline const QString kTodayText = QStringLiteral("08.12.2026");

// Every file under the folder with its bytes, to see that nothing changed.
inline QMap<QString, QByteArray> snapshot(const QString& root) {
    QMap<QString, QByteArray> files;
    QDir db(root + "/Database");
    for (const QString& name : db.entryList(QDir::Files)) {
        QFile f(db.filePath(name));
        f.open(QIODevice::ReadOnly);
        files.insert(name, f.readAll());
    }
    return files;
}

inline QByteArray bytesOf(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

inline void put(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).path());
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

struct Fixture {
    std::unique_ptr<QTemporaryDir> dir = std::make_unique<QTemporaryDir>();
    std::unique_ptr<patients::PatientStore> store =
        std::make_unique<patients::PatientStore>(WorkFolder(dir->path()));
    QString db(const QString& name) const { return dir->filePath("Database/" + name); }
};

// The patient at line `patient` as a click in the list reads it.
inline patients::PatientView chosen(patients::PatientStore& store, int patient) {
    patients::PatientView v;
    if (const patients::Error e = store.choose(patient, &v))
        QTest::qFail(qPrintable(e.message), __FILE__, __LINE__);
    return v;
}

// Fails every file call of a kind on paths holding `part` with `code`, while it lives.
struct InjectedFault {
    InjectedFault(fileaccess::Call call, const QString& part, int code) {
        fileaccess::setFaultHook([=](fileaccess::Call c, const QString& path) {
            return c == call && path.contains(part) ? code : 0;
        });
    }
    ~InjectedFault() { fileaccess::setFaultHook({}); }
};

// Three patients of three visits each (cards 1..3, card 3 on top).
inline void generate(Fixture& f) {
    patientgen::Options o;
    o.patients = 3;
    o.visits = 3;
    QVERIFY(patientgen::writeDatabase(f.dir->path(), o));
    QVERIFY(!f.store->load());
}

} // namespace storetest
