#include "measurement/storechoice.h"

#include "clinicdb/databasestore.h"
#include "clinicdb/exchange.h"

namespace storechoice {

namespace {

// The database named, if any: false with `problem` empty when none is.
bool named(const QString& option, clinicdb::ConnParams* params, QString* problem) {
    clinicdb::ConnectionChoice chosen;
    const clinicdb::Error e =
        clinicdb::chooseConnection(option, qEnvironmentVariable(qPrintable(clinicdb::kEnvironmentVariable)),
                                   clinicdb::configFile(), &chosen);
    if (e || chosen.conninfo.isEmpty()) {
        *problem = e.message;
        return false;
    }
    if (const clinicdb::Error bad = clinicdb::parseConninfo(chosen.conninfo, params)) {
        *problem = QStringLiteral("%1 (%2)").arg(bad.message, chosen.origin);
        return false;
    }
    return true;
}

} // namespace

std::unique_ptr<patients::Store> open(const QString& option, QString* problem) {
    clinicdb::ConnParams params;
    if (!named(option, &params, problem))
        return nullptr;
    return std::make_unique<clinicdb::DatabaseStore>(params);
}

int exchange(const commandline::Options& options, bool import, QStringList* say) {
    clinicdb::ConnParams params;
    QString problem;
    if (!named(options.database, &params, &problem)) {
        *say << (problem.isEmpty()
                     ? QStringLiteral("Не указана база данных: --database, переменная %1 или файл %2")
                           .arg(clinicdb::kEnvironmentVariable, clinicdb::configFile())
                     : problem);
        return problem.isEmpty() ? 2 : 1;
    }
    clinicdb::DatabaseStore store(params);
    clinicdb::ClinicStore& db = store.clinic();
    const QString& folder = options.exchangeFolder;
    QStringList notes;
    clinicdb::Error e = db.open();
    if (!e)
        e = import ? clinicdb::importFolder(db, folder, options.merge, &notes)
                   : clinicdb::exportFolder(db, folder);
    *say << notes;
    if (e) {
        *say << e.message;
        if (e.fault == clinicdb::Fault::NotEmpty)
            *say << QStringLiteral("Чтобы добавить пациентов папки к ним, укажите --merge");
        return 1;
    }
    *say << (import ? QStringLiteral("Пациенты из папки \"%1\" перенесены: %2")
                    : QStringLiteral("Пациенты выгружены в папку \"%1\": %2"))
                .arg(folder, store.place());
    return 0;
}

} // namespace storechoice
