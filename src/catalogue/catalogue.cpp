#include "catalogue/catalogue.h"

#include "catalogue/catalogue_data.h"

namespace catalogue {

namespace {
const data::MeridianRow& row(int m) {
    return data::kMeridians[m];
}
bool valid(int m) {
    return m >= 0 && m < kMeridianCount;
}
} // namespace

const QStringList& meridianNames() {
    static const QStringList names = [] {
        QStringList l;
        for (const auto& r : data::kMeridians)
            l << QString::fromUtf8(r.name);
        return l;
    }();
    return names;
}

QString meridianName(int m) {
    return valid(m) ? meridianNames()[m] : QString();
}

int findMeridian(const QString& name) {
    return int(meridianNames().indexOf(name));
}

int pointCount(int m) {
    return valid(m) ? row(m).count : 0;
}

int bottomRow(int m) {
    return pointCount(m) - 1;
}

Point point(int m, int r) {
    if (!valid(m) || r < 0 || r >= row(m).count)
        return {};
    const auto& p = row(m).points[r];
    return {QString::fromUtf8(p.number), QString::fromUtf8(p.description)};
}

int ktiRow(int m) {
    return valid(m) ? row(m).ktiRow : -1;
}

int lastFunctionLine(int m, bool leftSide) {
    if (!valid(m))
        return -1;
    return leftSide ? row(m).kLeft : row(m).kRight;
}

int functionLine(int m, bool leftSide, int r) {
    return lastFunctionLine(m, leftSide) - r;
}

const QStringList& branchItems() {
    static const QStringList items = {QStringLiteral("Рука-рука"), QStringLiteral("Нога-нога"),
                                      QStringLiteral("Левая рука-нога"), QStringLiteral("Правая рука-нога")};
    return items;
}

int findBranch(const QString& item) {
    return int(branchItems().indexOf(item));
}

QString branchPicture(int b) {
    static const char* const pictures[kBranchCount] = {"Man_hh.bmp", "Man_ff.bmp", "Man_l.bmp", "Man_r.bmp"};
    return b >= 0 && b < kBranchCount ? QString::fromLatin1(pictures[b]) : QString();
}

QString mapPicture(int m, bool leftSide) {
    if (!valid(m))
        return {};
    const auto& b = data::kBodyMap[m];
    return QString::fromLatin1(leftSide ? b.leftPicture : b.rightPicture);
}

QVector<QPoint> mapPoints(int m, bool leftSide) {
    QVector<QPoint> pts;
    if (!valid(m))
        return pts;
    const auto& b = data::kBodyMap[m];
    for (int r = 0; r < b.count; ++r)
        pts.append(QPoint(leftSide ? b.xLeft[r] : b.xRight[r], b.y[r]));
    return pts;
}

int mapKtiRow(int m) {
    return valid(m) ? data::kBodyMap[m].ktiRow : -1;
}

QStringList limbPictures() {
    return {QStringLiteral("hand_l.bmp"), QStringLiteral("hand_r.bmp"), QStringLiteral("foot_l.bmp"),
            QStringLiteral("foot_r.bmp")};
}

int nextMeridianPosition(int position, modes::Mode mode) {
    // The branch list has four items: stepping it as the meridian list would leave it
    // with nothing selected, and the next measurement with no row to go to.
    const int count = mode == modes::Mode::Branches ? kBranchCount : kMeridianCount;
    return position >= 0 && position < count - 1 ? position + 1 : 0;
}

int previousPointRow(int index, int meridian) {
    if (meridian < 0 || meridian >= kMeridianCount)
        return index;
    const int bottom = bottomRow(meridian);
    return index <= 0 || index > bottom ? bottom : index - 1;
}

} // namespace catalogue
