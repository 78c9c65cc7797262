#pragma once
// The body map of the main window's picture box: the hand or foot picture of a meridian
// with its points as discs, and the pictures of the branch items.
#include "common/workfolder.h"

#include <QColor>
#include <QHash>
#include <QImage>
#include <QSet>
#include <QString>
#include <QStringList>

namespace bodymap {

// The picture box, in pixels.
constexpr int kWidth = 166;
constexpr int kHeight = 265;
constexpr int kDiscRadius = 3;

// Box background where no picture covers it, and the outline of every disc.
inline const QColor kBackground = Qt::white;
inline const QColor kDiscOutline = Qt::black;

// The size a BMP file needs by its own header (its stated size, or where its uncompressed
// pixel rows end, whichever is larger); -1 for bytes that are no BMP.
qint64 bmpNeededSize(const QByteArray& bytes);
// Reads and decodes a picture file; on failure the image is null and the message names the
// file and the cause: missing, unreadable, cut short or no picture at all.
QImage loadPicture(const QString& fileName, const QString& path, QString* problem);

class BodyMap {
  public:
    // Pictures are read from the working folder given.
    explicit BodyMap(const WorkFolder& folder = WorkFolder());

    // The box for a meridian on a side: its picture, every point as a green disc from the
    // last row up to row 0, then the selected row in red (the control point's row when
    // byKti). A row outside the meridian gets no red disc. Null for no meridian index.
    QImage render(int meridian, bool leftSide, int index, bool byKti);
    // The box for a branch item (0..3): its picture; the bare background if the picture is
    // missing. Null for no branch item.
    QImage branch(int item);
    // A picture of the working folder by its bare file name, any letter case. Null when
    // missing or unreadable; that is reported once per file (see takeProblems()), and the
    // file is tried again next time, so a picture put back later is found.
    QImage picture(const QString& fileName);
    // The messages about pictures that could not be shown since the last call, for the
    // window to tell the user.
    QStringList takeProblems();

  private:
    QImage box(const QString& fileName);

    WorkFolder m_folder;
    QStringList m_problems;
    QHash<QString, QImage> m_pictures;
    QSet<QString> m_reported;
};

} // namespace bodymap
