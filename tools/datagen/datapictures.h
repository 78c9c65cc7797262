#pragma once
// The eight bitmaps of the bundled working folder: the hands and feet on which the body
// map draws its discs, and the four branch figures. Drawn without antialiasing, so the
// same catalogue always gives the same bytes.
#include "datatexts.h"

#include <QColor>
#include <QImage>

namespace datagen {

// Everything that is not background belongs to the drawing.
inline const QColor kBackground(255, 255, 255);
constexpr int kPictureHeight = 265; // the picture box, pixels
constexpr int kHandWidth = 166;
constexpr int kFootWidth = 127;

// "hand_l.bmp", "hand_r.bmp", "foot_l.bmp", "foot_r.bmp".
QImage limbPicture(const QString& fileName);
// Branch b of the catalogue (0 "Рука-рука" .. 3 "Правая рука-нога").
QImage branchPicture(int b);

// Uncompressed 24-bit BMP, the format every image reader takes.
QByteArray bmpBytes(const QImage& image);

QList<DataFile> pictureFiles();

} // namespace datagen
