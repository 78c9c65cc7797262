#include "medications/medicamdb.h"

#include "catalogue/catalogue.h"
#include "common/fileaccess.h"
#include "common/folderlock.h"
#include "common/text1251.h"
#include "common/textutil.h"
#include "common/workfolder.h"
#include "medications/medicamfile.h"
#include "medications/medicamlayout.h"

#include <QDir>
#include <QFileInfo>

namespace medicam {

namespace {

// The markers and line breaks are ASCII and the code page has one byte per character, so
// the file is cut up as bytes and only the texts that are kept get decoded.
using layout::Bytes;
using layout::Span;
constexpr size_t kNone = Bytes::npos;

Bytes view(const QByteArray& bytes) {
    return Bytes(bytes.constData(), size_t(bytes.size()));
}

Bytes text(Bytes file, Span s) {
    return file.substr(s.from, s.to - s.from);
}

// The text of a line up to its first CR (or its LF).
QString shown(Bytes line) {
    line = line.substr(0, line.find_first_of("\r\n"));
    return cp1251::decode(QByteArray::fromRawData(line.data(), qsizetype(line.size())));
}

QString cataloguePointName(int m, int row) {
    const catalogue::Point p = catalogue::point(m, row);
    return p.number + u' ' + p.description;
}

// A name line that was cut off before its LF (a truncated file) is not trusted: the
// catalogue's name stands in for it where there is one.
QString nameLine(Bytes record, const QString& fallback) {
    const size_t lf = record.find('\n');
    return lf != kNone || fallback.isEmpty() ? shown(record.substr(0, lf)) : fallback;
}

PointRecord parsePoint(Bytes file, Span record, const QString& fallback) {
    PointRecord point{nameLine(text(file, record), fallback), {}};
    for (const Span line : layout::lines(file, record))
        point.medications << shown(text(file, line));
    return point;
}

MeridianRecord parseMeridian(Bytes file, Span record, int m) {
    const std::vector<Span> points = layout::points(file, record);
    const Span header{record.from, points.empty() ? record.to : points.front().from - 2};
    MeridianRecord meridian{nameLine(text(file, header), catalogue::meridianName(m)), {}};
    const int n = catalogue::pointCount(m);
    for (size_t k = 1; k <= points.size(); ++k)
        meridian.points << parsePoint(file, points[k - 1],
                                      int(k) <= n ? cataloguePointName(m, n - int(k)) : QString());
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

// The meridian records the file holds, and what the catalogue adds to them.
QList<MeridianRecord> meridiansOf(Bytes file, const layout::Records& r, QStringList* shortOnes) {
    QList<MeridianRecord> meridians;
    for (size_t k = 0; k < r.meridians.size(); ++k)
        meridians << parseMeridian(file, r.meridians[k], int(k));
    const QStringList s = completeFromCatalogue(meridians);
    if (shortOnes)
        *shortOnes = s;
    return meridians;
}

QString defects(Bytes file, const layout::Records& r, const QList<MeridianRecord>& meridians,
                const QStringList& shortOnes) {
    QStringList found;
    if (file.find("][") == kNone)
        found << QStringLiteral("в нём нет ни одного маркера \"][\"");
    else if (r.unclosed)
        found << QStringLiteral("запись меридиана «%1» обрезана: после неё нет маркера \"][\"")
                     .arg(meridians[qsizetype(r.meridians.size()) - 1].name);
    const qsizetype whole = qsizetype(r.meridians.size()) - (r.unclosed && !r.meridians.empty() ? 1 : 0);
    if (whole < catalogue::kMeridianCount)
        found << QStringLiteral("записей меридианов %1 из %2").arg(whole).arg(catalogue::kMeridianCount);
    if (!shortOnes.isEmpty())
        found << QStringLiteral("не хватает записей точек у меридианов %1")
                     .arg(shortOnes.join(QStringLiteral(", ")));
    return found.join(QStringLiteral("; "));
}

// A record the file lacks, as the editor writes it: the catalogue's names, CR LF line ends.
QByteArray pointRecord(int m, int k) {
    return cp1251::encode(kPointMark + cataloguePointName(m, catalogue::pointCount(m) - k) + text::kCrLf);
}

QByteArray meridianRecord(int m) {
    QByteArray out = cp1251::encode(catalogue::meridianName(m) + text::kCrLf);
    for (int k = 1; k <= catalogue::pointCount(m); ++k)
        out += pointRecord(m, k);
    return out;
}

} // namespace

QString acceptedName(const QString& typed, QString* refusal) {
    const auto refuse = [refusal](const QString& why) {
        if (refusal)
            *refusal = why;
        return QString();
    };
    const QString& name = typed;
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
        if (cp1251::firstUnencodable(one) >= 0)
            return refuse(QStringLiteral("Знак «%1» нельзя записать в файл препаратов: "
                                         "его нет в кодировке Windows-1251.")
                              .arg(one));
    }
    return name;
}

Database Database::parse(const QByteArray& bytes, const QString& fileName) {
    Database db;
    db.m_bytes = bytes;
    const Bytes file = view(bytes);
    const layout::Records r = layout::records(file, catalogue::kMeridianCount);
    QStringList shortOnes;
    db.m_meridians = meridiansOf(file, r, &shortOnes);
    if (bytes.isEmpty())
        db.m_problem = QStringLiteral("Файл \"%1\" пуст.").arg(fileName);
    else if (const QString d = defects(file, r, db.m_meridians, shortOnes); !d.isEmpty())
        db.m_problem = QStringLiteral("Файл \"%1\" повреждён: %2.").arg(fileName, d);
    return db;
}

void Database::refreshView() {
    const Bytes file = view(m_bytes);
    m_meridians = meridiansOf(file, layout::records(file, catalogue::kMeridianCount), nullptr);
}

Database Database::load(const WorkFolder& folder) {
    const QString path = folder.path(kFileName);
    QString error;
    bool missing = false;
    const auto bytes = fileaccess::read(path, &error, &missing);
    Database db = parse(bytes.value_or(QByteArray()), path);
    db.m_read = bytes ? Read::Bytes : missing ? Read::Missing : Read::Failed;
    db.m_readBytes = bytes.value_or(QByteArray());
    if (!bytes)
        db.m_problem = error + u'.';
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
    complete(m, p);
    const Bytes file = view(m_bytes);
    const Span point = layout::points(file, layout::records(file, catalogue::kMeridianCount).meridians[m])[p];
    const Bytes record = text(file, point);
    const size_t lastLf = record.rfind('\n');
    // The new line ends as the point's name line does; a name line without its LF gets one.
    const size_t firstLf = record.find('\n');
    const bool crlf = firstLf == kNone || firstLf == 0 || record[firstLf - 1] == '\r';
    QByteArray line = cp1251::encode(name) + (crlf ? "\r\n" : "\n");
    if (lastLf == kNone)
        line.prepend(record.empty() || record.back() != '\r' ? "\r\n" : "\n");
    m_bytes.insert(qsizetype(lastLf == kNone ? point.to : point.from + lastLf + 1), line);
    m_changed = true;
    refreshView();
    return true;
}

bool Database::remove(int m, int p, int index) {
    if (m < 0 || m >= m_meridians.size() || p < 0 || p >= m_meridians[m].points.size())
        return false;
    if (index < 0 || index >= m_meridians[m].points[p].medications.size())
        return false;
    const Bytes file = view(m_bytes);
    const Span point = layout::points(file, layout::records(file, catalogue::kMeridianCount).meridians[m])[p];
    const Span line = layout::lines(file, point)[size_t(index)];
    m_bytes.remove(qsizetype(line.from), qsizetype(line.to - line.from));
    m_changed = true;
    refreshView();
    return true;
}

void Database::complete(int m, int p) {
    layout::Records r = layout::records(view(m_bytes), catalogue::kMeridianCount);
    if (size_t(m) >= r.meridians.size()) {
        QByteArray records;
        for (int k = int(r.meridians.size()); k <= m; ++k)
            records += kMeridianMark.toLatin1() + meridianRecord(k);
        if (r.unclosed)
            records += kMeridianMark.toLatin1() + "\r\n";
        m_bytes.insert(qsizetype(r.insertAt), records);
        return;
    }
    const Bytes file = view(m_bytes);
    const Span meridian = r.meridians[size_t(m)];
    const int have = int(layout::points(file, meridian).size());
    QByteArray points;
    for (int k = have + 1; k <= catalogue::pointCount(m); ++k)
        points += pointRecord(m, k);
    if (have <= p)
        m_bytes.insert(qsizetype(meridian.to), points);
}

QString Database::refusalToWrite(const QString& path) const {
    const QString shownPath = QDir::toNativeSeparators(path);
    if (m_read == Read::Failed)
        return QStringLiteral(
                   "%1 Изменения не записаны, чтобы не затереть файл, который не удалось прочитать: "
                   "устраните причину и откройте список препаратов заново")
            .arg(m_problem);
    QString error;
    bool missing = false;
    const auto now = fileaccess::read(path, &error, &missing);
    if (!now && !missing)
        return error + QStringLiteral(". Изменения не записаны");
    // A file gone meanwhile holds nothing to lose; one holding other bytes does.
    if (now && (m_read == Read::Missing || *now != m_readBytes))
        return QStringLiteral("Файл \"%1\" изменен на другом рабочем месте после открытия. "
                              "Изменения не сохранены: откройте список препаратов заново")
            .arg(shownPath);
    return {};
}

bool Database::save(const WorkFolder& folder, QString* error) {
    return saveTo(folder.path(kFileName), error);
}

bool Database::saveTo(const QString& path, QString* error) {
    if (!m_changed)
        return true;
    // A missing data folder is made, so a broken installation can be repaired from here.
    const QString folder = QFileInfo(path).absolutePath();
    if (!fileaccess::makeFolder(folder, error))
        return false;
    const FolderLock lock(folder);
    if (!lock.locked()) {
        if (error)
            *error = lock.error();
        return false;
    }
    if (m_read != Read::NotFromFile) {
        if (const QString refusal = refusalToWrite(path); !refusal.isEmpty()) {
            if (error)
                *error = refusal;
            return false;
        }
    }
    if (!fileaccess::write(path, m_bytes, error))
        return false;
    m_read = Read::Bytes;
    m_readBytes = m_bytes;
    m_changed = false;
    return true;
}

} // namespace medicam
