#pragma once
// The medication database "Database\medicam.nam" as a document: meridian records, their
// point records and each point's medications, read from the file's bytes and written back
// whole. The editor window browses and changes it; medication testing asks it for the
// list of a row.
#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

class WorkFolder;

namespace medicam {

inline const QString kFileName = QStringLiteral("Database\\medicam.nam");

// Messages the windows show for a refused addition or deletion.
inline const QString kEmptyName = QStringLiteral("Введите название нового лекарственного средства");
inline const QString kNoMedication = QStringLiteral("Препарат не выбран");

struct PointRecord {
    QString name; // "1 небная миндалина": point number, blank, description
    QStringList medications;
    bool operator==(const PointRecord&) const = default;
};

struct MeridianRecord {
    QString name;
    QList<PointRecord> points; // point record 1 first: the meridian's start point
    bool operator==(const MeridianRecord&) const = default;
};

// The name a medication is stored under: as typed. Sets `refusal` (a message for the user)
// and returns an empty string when the name cannot be stored: empty or blanks only, a
// marker inside, a line break or a character the Windows-1251 file cannot hold.
QString acceptedName(const QString& typed, QString* refusal);

class Database {
  public:
    // Reads the whole file and parses it. A file that is missing, unreadable, empty or
    // malformed gives a problem() naming it; the document then holds every meridian and
    // point of the catalogue with whatever medications could be read. A file that could not
    // be read for another reason than its absence is never written over.
    static Database load(const WorkFolder& folder);
    static Database parse(const QByteArray& bytes, const QString& fileName = kFileName);

    // Empty when the file was read as it is; otherwise one message naming the file and
    // what is wrong with it.
    const QString& problem() const { return m_problem; }

    // Meridian records in file order; position m is catalogue meridian m.
    const QList<MeridianRecord>& meridians() const { return m_meridians; }
    QStringList meridianNames() const;
    QStringList pointNames(int m) const;
    // Medications of point record p + 1 (the editor's list position p).
    QStringList medications(int m, int p) const;
    // Medications of a row of the results grid: point record k belongs to row n - k.
    QStringList medicationsOfRow(int m, int row) const;

    // Appends a medication to point position p; false with a refusal message when the
    // name cannot be stored or the point does not exist. Duplicates are kept. Only that
    // point's record changes in the file (and, when the file lacked them, its meridian's
    // record or the records before it are added).
    bool add(int m, int p, const QString& typed, QString* refusal = nullptr);
    // Removes entry `index` of point position p, that line alone; false when there is no
    // such entry.
    bool remove(int m, int p, int index);

    // An addition or deletion was made since reading.
    bool changed() const { return m_changed; }

    // The whole file as it stands: the bytes read, with the additions and deletions made.
    const QByteArray& serialise() const { return m_bytes; }
    // Writes the file atomically when something changed; an unchanged file is never
    // touched. On failure returns false with a message naming the file. The write holds the
    // data folder's lock; a document read by load() is not written over a file that another
    // workstation changed since (the message says so and the editor is to be reopened).
    bool save(const WorkFolder& folder, QString* error = nullptr);
    bool saveTo(const QString& path, QString* error = nullptr);

  private:
    // What load() found; a document made by parse() is written without a check.
    enum class Read { NotFromFile, Missing, Bytes, Failed };

    // The lists as the bytes now stand.
    void refreshView();
    // Adds to the file what it lacks up to point position p of meridian m.
    void complete(int m, int p);
    QString refusalToWrite(const QString& path) const;

    QByteArray m_bytes;
    QList<MeridianRecord> m_meridians;
    QString m_problem;
    bool m_changed = false;
    Read m_read = Read::NotFromFile;
    QByteArray m_readBytes;
};

} // namespace medicam
