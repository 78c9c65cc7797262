#pragma once
// The text files of the bundled working folder, built from the catalogue so that they
// cannot drift from it: "function.pnt", "Database/medicam.nam", "taven.ini", "taven.txt".
#include <QByteArray>
#include <QString>
#include <QStringList>

namespace datagen {

struct DataFile {
    QString path; // relative to the working folder, '/' as separator
    QByteArray bytes;
};

// Limb named in the function text: "левая рука", "правая нога", ...
QString limbName(const QString& picture);

// The function text of row `row` of meridian m on a side.
QString functionLine(int m, bool leftSide, int row);
// All lines 0..371, each ended by CR LF.
QString functionText();

// Name line of a point record in the medication file.
QString medicamPointName(int m, int row);
// Sample medications of a point (a few control points have some).
QStringList sampleMedications(int m, int row);
// Every meridian and point in catalogue order, with the sample medications.
QString medicamText();

QString settingsText();

// The help text: the UTF-8 template shipped with the generator, with the meridian
// list filled in and CR LF line ends.
QString helpText();

// Windows-1251 bytes; false when a character has no place in the code page, so that a
// stray character never reaches the user as '?'.
bool encodeStrict(const QString& text, QByteArray* out, QString* bad = nullptr);

// Every text file, encoded; on a character outside the code page, nothing and a message.
QList<DataFile> textFiles(QString* error);

} // namespace datagen
