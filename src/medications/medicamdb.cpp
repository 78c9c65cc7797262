#include "medications/medicamdb.h"

#include "catalogue/catalogue.h"
#include "common/folderlock.h"
#include "common/text1251.h"
#include "common/textutil.h"
#include "common/workfolder.h"
#include "medications/medicamfile.h"

#include <QDir>
#include <QFileInfo>

#include <string_view>
#include <vector>

namespace medicam {

namespace {

// The markers and line breaks are ASCII and the code page has one byte per character, so
// the file is cut up as bytes and only the texts that are kept get decoded.
using Bytes = std::string_view;
constexpr size_t kNone = Bytes::npos;

std::vector<Bytes> splitBytes(Bytes s, Bytes separator) {
    std::vector<Bytes> out;
    size_t from = 0;
    for (size_t at; (at = s.find(separator, from)) != kNone; from = at + separator.size())
        out.push_back(s.substr(from, at - from));
    out.push_back(s.substr(from));
    return out;
}

// The text of a line up to its first CR.
QString shown(Bytes line) {
    line = line.substr(0, line.find('\r'));
    return cp1251::decode(QByteArray::fromRawData(line.data(), qsizetype(line.size())));
}

bool isBlank(Bytes s) {
    return s.find_first_not_of(" \t\r\n\v\f") == kNone;
}

QString cataloguePointName(int m, int row) {
    const catalogue::Point p = catalogue::point(m, row);
    return p.number + u' ' + p.description;
}

// A name line that was cut off before its LF (a truncated file) is not trusted: the
// catalogue's name stands in for it where there is one.
QString nameLine(Bytes firstLine, bool complete, const QString& fallback) {
    return complete || fallback.isEmpty() ? shown(firstLine) : fallback;
}

PointRecord parsePoint(Bytes record, const QString& fallback) {
    const size_t lf = record.find('\n');
    PointRecord point{nameLine(record.substr(0, lf), lf != kNone, fallback), {}};
    if (lf == kNone)
        return point;
    // The text after the last LF is no medication.
    for (size_t from = lf + 1, next; (next = record.find('\n', from)) != kNone; from = next + 1)
        point.medications << shown(record.substr(from, next - from));
    return point;
}

MeridianRecord parseMeridian(Bytes record, int m) {
    const std::vector<Bytes> pieces = splitBytes(record, "><");
    MeridianRecord meridian;
    meridian.name = nameLine(pieces[0], pieces[0].find('\n') != kNone, catalogue::meridianName(m));
    const int n = catalogue::pointCount(m);
    meridian.points.reserve(qsizetype(pieces.size()) - 1);
    for (size_t k = 1; k < pieces.size(); ++k)
        meridian.points << parsePoint(pieces[k], int(k) <= n ? cataloguePointName(m, n - int(k)) : QString());
    return meridian;
}

// Fills in what the catalogue has and the file lacks; says which meridians were short.
QStringList completeFromCatalogue(QList<MeridianRecord>& meridians) {
    QStringList shortOnes;
    for (int m = 0; m < catalogue::kMeridianCount; ++m) {
        const bool fromFile = m < meridians.size();
        if (!fromFile)
            meridians << MeridianRecord{catalogue::meridianName(m), {}};
        auto& points = meridians[m].points;
        const int n = catalogue::pointCount(m);
        if (fromFile && points.size() < n)
            shortOnes << QStringLiteral("«%1» — %2 из %3").arg(meridians[m].name).arg(points.size()).arg(n);
        for (int k = int(points.size()) + 1; k <= n; ++k)
            points << PointRecord{cataloguePointName(m, n - k), {}};
    }
    return shortOnes;
}

QString malformed(const QString& fileName, const QStringList& defects) {
    return QStringLiteral("Файл \"%1\" повреждён: %2.").arg(fileName, defects.join(QStringLiteral("; ")));
}

} // namespace

QString acceptedName(const QString& typed, QString* refusal) {
    const auto refuse = [refusal](const QString& why) {
        if (refusal)
            *refusal = why;
        return QString();
    };
    const QString name = text::trim(typed);
    if (name.trimmed().isEmpty())
        return refuse(kEmptyName);
    if (name.contains(kMeridianMark) || name.contains(kPointMark))
        return refuse(QStringLiteral("Название не может содержать \"][\" или \"><\": "
                                     "эти знаки разделяют записи файла препаратов."));
    if (name.contains(u'\r') || name.contains(u'\n'))
        return refuse(QStringLiteral("Название препарата должно быть одной строкой."));
    for (qsizetype k = 0; k < name.size(); ++k) {
        const QChar c = name[k];
        if (c.category() == QChar::Other_Control && c != u'\t')
            return refuse(QStringLiteral("Название содержит управляющий знак с кодом %1.").arg(c.unicode()));
        const QString one = c.isHighSurrogate() ? name.mid(k, 2) : QString(c);
        if (cp1251::decode(cp1251::encode(one)) != one)
            return refuse(QStringLiteral("Знак «%1» нельзя записать в файл препаратов: "
                                         "его нет в кодировке Windows-1251.")
                              .arg(one));
    }
    return name;
}

Database Database::parse(const QByteArray& bytes, const QString& fileName) {
    Database db;
    const std::vector<Bytes> pieces = splitBytes(Bytes(bytes.constData(), size_t(bytes.size())), "][");
    QStringList defects;
    qsizetype records = 0;
    if (pieces.size() < 2) {
        defects << QStringLiteral("в нём нет ни одного маркера \"][\"");
    } else {
        records = qsizetype(pieces.size()) - 2;
        for (qsizetype k = 1; k <= records; ++k)
            db.m_meridians << parseMeridian(pieces[k], int(k - 1));
        if (!isBlank(pieces.back())) {
            defects << QStringLiteral("после последнего маркера \"][\" есть текст");
            // A file cut short: its last meridian record is the text after the last marker.
            if (records < catalogue::kMeridianCount)
                db.m_meridians << parseMeridian(pieces.back(), int(records));
        }
        if (records < catalogue::kMeridianCount)
            defects
                << QStringLiteral("записей меридианов %1 из %2").arg(records).arg(catalogue::kMeridianCount);
    }
    const QStringList shortOnes = completeFromCatalogue(db.m_meridians);
    if (!shortOnes.isEmpty())
        defects << QStringLiteral("не хватает записей точек у меридианов %1")
                       .arg(shortOnes.join(QStringLiteral(", ")));
    if (bytes.isEmpty())
        db.m_problem = QStringLiteral("Файл \"%1\" пуст.").arg(fileName);
    else if (!defects.isEmpty())
        db.m_problem = malformed(fileName, defects);
    return db;
}

Database Database::load(const WorkFolder& folder) {
    const QString path = folder.path(kFileName);
    QString error;
    const auto bytes = textfile::readBytes(path, &error);
    if (!bytes) {
        Database db = parse({}, path);
        db.m_problem = error + u'.';
        db.m_fromFile = true;
        return db;
    }
    Database db = parse(*bytes, path);
    db.m_fromFile = true;
    db.m_readBytes = bytes;
    return db;
}

QStringList Database::meridianNames() const {
    QStringList names;
    for (const auto& meridian : m_meridians)
        names << meridian.name;
    return names;
}

QStringList Database::pointNames(int m) const {
    QStringList names;
    if (m >= 0 && m < m_meridians.size())
        for (const auto& point : m_meridians[m].points)
            names << point.name;
    return names;
}

QStringList Database::medications(int m, int p) const {
    if (m < 0 || m >= m_meridians.size() || p < 0 || p >= m_meridians[m].points.size())
        return {};
    return m_meridians[m].points[p].medications;
}

QStringList Database::medicationsOfRow(int m, int row) const {
    const int n = catalogue::pointCount(m);
    if (row < 0 || row >= n)
        return {};
    return medications(m, n - 1 - row);
}

bool Database::add(int m, int p, const QString& typed, QString* refusal) {
    const QString name = acceptedName(typed, refusal);
    if (name.isEmpty())
        return false;
    if (m < 0 || m >= m_meridians.size() || p < 0 || p >= m_meridians[m].points.size()) {
        if (refusal)
            *refusal = QStringLiteral("Точка не выбрана");
        return false;
    }
    m_meridians[m].points[p].medications << name;
    m_changed = true;
    return true;
}

bool Database::remove(int m, int p, int index) {
    if (m < 0 || m >= m_meridians.size() || p < 0 || p >= m_meridians[m].points.size())
        return false;
    QStringList& list = m_meridians[m].points[p].medications;
    if (index < 0 || index >= list.size())
        return false;
    list.removeAt(index);
    m_changed = true;
    return true;
}

QByteArray Database::serialise() const {
    QString out;
    for (const auto& meridian : m_meridians) {
        out += kMeridianMark + meridian.name + text::kCrLf;
        for (const auto& point : meridian.points) {
            out += kPointMark + point.name + text::kCrLf;
            for (const auto& name : point.medications)
                out += name + text::kCrLf;
        }
    }
    out += kMeridianMark + text::kCrLf;
    return cp1251::encode(out);
}

bool Database::save(const WorkFolder& folder, QString* error) {
    return saveTo(folder.path(kFileName), error);
}

bool Database::saveTo(const QString& path, QString* error) {
    if (!m_changed)
        return true;
    // A missing data folder is made, so a broken installation can be repaired from here.
    const QString folder = QFileInfo(path).absolutePath();
    QDir().mkpath(folder);
    const FolderLock lock(folder);
    if (!lock.locked()) {
        if (error)
            *error = lock.error();
        return false;
    }
    // A file gone meanwhile holds nothing to lose; one holding other bytes does.
    const auto now = textfile::readBytes(path);
    if (m_fromFile && now && now != m_readBytes) {
        if (error)
            *error = QStringLiteral("Файл \"%1\" изменен на другом рабочем месте после открытия. "
                                    "Изменения не сохранены: откройте список препаратов заново")
                         .arg(QDir::toNativeSeparators(path));
        return false;
    }
    const QByteArray bytes = serialise();
    if (!textfile::writeBytes(path, bytes, error))
        return false;
    m_readBytes = bytes;
    m_changed = false;
    return true;
}

} // namespace medicam
