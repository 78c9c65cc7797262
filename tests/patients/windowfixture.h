#pragma once
// The patient list over a generated database, with every message box recorded and
// answered, for the window tests.
#include "common/messages.h"
#include "patients/frmclient.h"
#include "storefixture.h"

#include <QListView>
#include <QListWidget>

namespace windowtest {

struct Messages {
    QList<msgbox::Shown> shown;
    msgbox::Answer answer = msgbox::Answer::Yes;
    Messages() {
        msgbox::setHandler([this](const msgbox::Shown& s) {
            shown << s;
            return s.question ? answer : msgbox::Answer::Ok;
        });
    }
    ~Messages() { msgbox::setHandler({}); }
    QString last() const { return shown.isEmpty() ? QString() : shown.last().text; }
};

struct ListFixture {
    storetest::Fixture files;
    Messages messages;
    session::Session session;
    std::unique_ptr<frmclient> list;

    // patients == 0: an empty folder, no database at all.
    explicit ListFixture(int patients = 3, int visits = 3) {
        if (patients > 0) {
            patientgen::Options o;
            o.patients = patients;
            o.visits = visits;
            patientgen::writeDatabase(files.dir->path(), o);
        }
        list = std::make_unique<frmclient>(session, *files.store);
        list->setToday(storetest::kToday);
        list->Form_Load();
    }
    QString db(const QString& name) const { return files.db(name); }
    QMap<QString, QByteArray> snapshot() const { return storetest::snapshot(files.dir->path()); }

    QStringList names() const {
        QStringList lines;
        for (int i = 0; i < list->lstname->model()->rowCount(); ++i)
            lines << list->lstname->model()->index(i, 0).data().toString();
        return lines;
    }
    QStringList dates() const {
        QStringList lines;
        for (int i = 0; i < list->lstdate->count(); ++i)
            lines << list->lstdate->item(i)->text();
        return lines;
    }
    void choose(int row) { list->selectPatient(row); }
    void chooseDate(int row) { list->lstdate->setCurrentRow(row); }
};

} // namespace windowtest
