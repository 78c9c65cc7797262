// taven-clinicgen CONNINFO [PATIENTS [VISITS [BIGVISITS]]]: fills an empty clinic database for
// the benchmark: PATIENTS patients (100,000) of VISITS visits (3) each, and on top one patient
// with BIGVISITS visits (1,000). The rows go in with COPY through psql, not one by one; the
// records are the card format's own, measured and with texts. Prints how long it took.
#include "clinicdb/clinicstore.h"
#include "patients/patientfiles.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QRandomGenerator>
#include <cstdio>

namespace {

// COPY's text format: backslash, tab and line ends escaped.
QByteArray field(const QString& text) {
    QByteArray out = text.toUtf8();
    out.replace('\\', "\\\\").replace('\t', "\\t").replace('\r', "\\r").replace('\n', "\\n");
    return out;
}

// Records differ in their texts and results; the date, first in the record, is added per visit.
QList<QByteArray> recordBodies(int count) {
    QRandomGenerator rng(7);
    QList<QByteArray> bodies;
    for (int k = 0; k < count; ++k) {
        session::ResultsMatrix m;
        for (int r = 0; r < session::kResultRows; ++r)
            for (int c = 0; c < (r < 21 ? session::kResultColumns : 1); ++c)
                if (rng.bounded(4) != 0)
                    m.cell(r, c) = session::resultText(rng.bounded(101), rng.bounded(30) - 5);
        QString record = patients::withTexts(
            patients::blankVisit(QStringLiteral("-")), QStringLiteral("Головная боль, %1").arg(k),
            QStringLiteral("Диагноз %1").arg(k % 7), QStringLiteral("Рецепт\r\nПрепарат %1").arg(k % 11));
        bodies << field(patients::withResults(record, m).mid(1));
    }
    return bodies;
}

class CopyStream {
  public:
    explicit CopyStream(QProcess& psql) : m_psql(psql) {}
    void add(const QByteArray& bytes) {
        m_psql.write(bytes);
        // Let psql take what is written, so that the buffer stays small.
        while (m_psql.bytesToWrite() > (8 << 20) && m_psql.waitForBytesWritten(-1)) {
        }
    }

  private:
    QProcess& m_psql;
};

void fill(CopyStream& out, int patients, int visits, int bigVisits) {
    const QList<QByteArray> bodies = recordBodies(97);
    const QDate first(2001, 1, 1);
    out.add("SET client_encoding = 'UTF8';\nBEGIN;\nCOPY patient (id, card, name, year) FROM STDIN;\n");
    for (int p = 1; p <= patients + 1; ++p)
        out.add(QByteArray::number(p) + '\t' + QByteArray::number(p) + '\t' +
                field(QStringLiteral("Пациентов%1 Иван Петрович").arg(p)) + '\t' +
                QByteArray::number(1930 + p % 80) + '\n');
    out.add("\\.\nCOPY visit (id, patient, date, record) FROM STDIN;\n");
    qint64 id = 0;
    for (int p = 1; p <= patients + 1; ++p) {
        const int count = p > patients ? bigVisits : visits;
        for (int v = 0; v < count; ++v) {
            const QByteArray date = patients::dateText(first.addDays(v + p % 300)).toLatin1();
            out.add(QByteArray::number(++id) + '\t' + QByteArray::number(p) + '\t' + date + '\t' + date +
                    bodies[(p + v) % bodies.size()] + '\n');
        }
    }
    const QByteArray last = QByteArray::number(patients + 1);
    out.add("\\.\nSELECT setval(pg_get_serial_sequence('patient', 'id'), " + last +
            ");\nSELECT setval(pg_get_serial_sequence('visit', 'id'), " + QByteArray::number(id) +
            ");\nUPDATE card_counter SET last = " + last + ";\nCOMMIT;\nANALYZE;\n");
}

bool isEmpty(clinicdb::ClinicStore& store, QString* why) {
    QList<clinicdb::Patient> list;
    const clinicdb::Error e = store.listPatients(&list);
    *why = e ? e.message : QStringLiteral("the database already holds %1 patients").arg(list.size());
    return !e && list.isEmpty();
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 2) {
        std::fprintf(stderr, "usage: %s CONNINFO [PATIENTS [VISITS [BIGVISITS]]]\n", argv[0]);
        return 2;
    }
    const int patients = args.value(2, QStringLiteral("100000")).toInt();
    const int visits = args.value(3, QStringLiteral("3")).toInt();
    const int bigVisits = args.value(4, QStringLiteral("1000")).toInt();
    QElapsedTimer all;
    all.start();
    clinicdb::ConnParams params;
    QString why;
    clinicdb::Error e = clinicdb::parseConninfo(args[1], &params);
    clinicdb::ClinicStore store(params);
    if (!e)
        e = store.open();
    if (e || !isEmpty(store, &why)) {
        std::fprintf(stderr, "%s\n", qPrintable(e ? e.message : why));
        return 1;
    }
    QProcess psql;
    psql.setProcessChannelMode(QProcess::ForwardedChannels);
    psql.start(QStringLiteral("psql"),
               {"-X", "-q", "-o", "/dev/null", "-v", "ON_ERROR_STOP=1", "-d", args[1]});
    if (!psql.waitForStarted()) {
        std::fprintf(stderr, "psql did not start: %s\n", qPrintable(psql.errorString()));
        return 1;
    }
    CopyStream out(psql);
    fill(out, patients, visits, bigVisits);
    psql.closeWriteChannel();
    psql.waitForFinished(-1);
    if (psql.exitStatus() != QProcess::NormalExit || psql.exitCode() != 0)
        return 1;
    std::printf("%d patients of %d visits and one of %d visits: %.1f s in all (COPY, keys, ANALYZE)\n",
                patients, visits, bigVisits, double(all.elapsed()) / 1000);
    return 0;
}
