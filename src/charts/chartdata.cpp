#include "charts/chartdata.h"

#include "catalogue/catalogue.h"
#include "catalogue/modes.h"
#include "common/colourvalues.h"

#include <algorithm>
#include <cstdlib>

namespace charts {

namespace {

modes::Mode modeOf(Scale scale) {
    return scale == Scale::Branches ? modes::Mode::Branches : modes::Mode::Points;
}

// The value of the first gauge tick of that colour, read from the modes so that the
// charts and the gauge cannot disagree.
int firstValueOf(Scale scale, quint32 colour) {
    for (int tick = 0; tick < modes::kTicks; ++tick)
        if (modes::tickColour(modeOf(scale), tick) == colour)
            return 2 * tick;
    return 101;
}

// A row's cells as numbers; gives the number of unreadable ones.
int readRow(Cell* cells, int row, const patients::RecordCells::Row& texts) {
    int unreadable = 0;
    for (int c = 0; c < session::usedColumns(row); ++c) {
        cells[c] = session::parseResult(texts[size_t(c)]);
        if (!cells[c] && !texts[size_t(c)].isEmpty())
            ++unreadable;
    }
    return unreadable;
}

std::optional<double> meanMax(const RowCells& cells, int row, int offset, double* sum, int* count) {
    double s = 0;
    int n = 0;
    for (int p = 0; p < catalogue::pointCount(row); ++p)
        if (const Cell& c = cells[size_t(offset + p)]) {
            s += c->max;
            ++n;
        }
    *sum += s;
    *count += n;
    return n > 0 ? std::optional<double>(s / n) : std::nullopt;
}

TrendPoint pointOf(const RowCells& cells, const QString& date, const Trend& t, double* sum, int* count) {
    const bool branch = t.row >= session::kFirstBranchRow;
    const Cell& c = cells[size_t(branch ? 0 : (t.left ? 0 : session::kRightOffset) + t.point)];
    TrendPoint tp{date, c, c ? zoneOf(c->max, t.scale) : Zone::Low, std::nullopt};
    if (!branch)
        tp.meridianMean = meanMax(cells, t.row, t.left ? 0 : session::kRightOffset, sum, count);
    return tp;
}

} // namespace

int normFrom(Scale scale) {
    return firstValueOf(scale, colours::kDarkGreen);
}

int highFrom(Scale scale) {
    return firstValueOf(scale, colours::kRed);
}

Zone zoneOf(int value, Scale scale) {
    if (value >= highFrom(scale))
        return Zone::High;
    return value >= normFrom(scale) ? Zone::Norm : Zone::Low;
}

Scale scaleOfRow(int row) {
    return row >= session::kFirstBranchRow ? Scale::Branches : Scale::Points;
}

VisitCells VisitCells::of(const session::ResultsMatrix& m) {
    VisitCells v;
    for (int r = 0; r < session::kResultRows; ++r)
        for (int c = 0; c < session::usedColumns(r); ++c) {
            const QString& text = m.cell(r, c);
            Cell cell = session::parseResult(text);
            if (!cell && !text.isEmpty())
                ++v.unreadable;
            v.cells[r * session::kResultColumns + c] = cell;
        }
    return v;
}

RowCells VisitCells::row(int row) const {
    RowCells out;
    std::copy_n(cells.begin() + row * session::kResultColumns, session::kResultColumns, out.begin());
    return out;
}

VisitCells VisitCells::ofRecord(QStringView record) {
    VisitCells v;
    patients::RecordCells cells(record);
    for (int r = 0; r < session::kResultRows; ++r)
        v.unreadable += readRow(&v.cells[size_t(r * session::kResultColumns)], r, cells.row(r));
    return v;
}

RowCells rowOfRecord(QStringView record, int row) {
    RowCells out;
    if (row >= 0 && row < session::kResultRows)
        readRow(out.data(), row, patients::RecordCells(record).row(row));
    return out;
}

VisitCells History::visit(int position) const {
    if (position < 0 || position >= size())
        return {};
    return VisitCells::ofRecord(records[position]);
}

std::optional<History> historyOf(const QStringList& records, const QStringList& dates, QString* error) {
    if (records.size() < dates.size()) {
        *error = QStringLiteral("В карте %1 посещений, а дат %2").arg(records.size()).arg(dates.size());
        return std::nullopt;
    }
    History h;
    h.dates.reserve(dates.size());
    h.records.reserve(dates.size());
    for (qsizetype i = dates.size() - 1; i >= 0; --i) {
        h.dates << dates[i];
        h.records << records[i];
    }
    return h;
}

std::optional<History> readHistory(patients::Store& store, int patient, QString* error) {
    const auto& list = store.list();
    if (patient < 0 || patient >= list.size()) {
        *error = patients::kNoPatient;
        return std::nullopt;
    }
    patients::VisitRecords visits;
    if (const patients::Error e = store.readVisits(list[patient].cardFile(), &visits)) {
        *error = e.message;
        return std::nullopt;
    }
    return historyOf(visits.records, visits.dates, error);
}

std::vector<MeridianBars> visitChart(const VisitCells& visit) {
    std::vector<MeridianBars> out;
    for (int m = 0; m < session::kMeridianRows; ++m) {
        MeridianBars mb{m, catalogue::meridianName(m), Scale::Points, catalogue::pointCount(m), {}};
        for (int p = 0; p < mb.points; ++p)
            for (const bool left : {true, false}) {
                const Cell& c = visit.at(m, (left ? 0 : session::kRightOffset) + p);
                mb.bars.push_back({p, left, c, c ? zoneOf(c->max, Scale::Points) : Zone::Low});
            }
        out.push_back(std::move(mb));
    }
    for (int b = 0; b < session::kBranchRows; ++b) {
        const int row = session::kFirstBranchRow + b;
        const Cell& c = visit.at(row, 0);
        out.push_back({row,
                       catalogue::branchItems()[b],
                       Scale::Branches,
                       1,
                       {{0, true, c, c ? zoneOf(c->max, Scale::Branches) : Zone::Low}}});
    }
    return out;
}

Trend trendOf(const History& history, int row, bool left, int point) {
    Trend t{row, left, point, scaleOfRow(row), {}, std::nullopt};
    t.visits.reserve(size_t(history.size()));
    double sum = 0;
    int count = 0;
    for (int i = 0; i < history.size(); ++i)
        t.visits.push_back(
            pointOf(rowOfRecord(history.records[i], row), history.dates.value(i), t, &sum, &count));
    if (count > 0)
        t.meanOfMeans = sum / count;
    return t;
}

TrendPoint trendPointOf(const VisitCells& visit, const QString& date, int row, bool left, int point) {
    const Trend t{row, left, point, scaleOfRow(row), {}, std::nullopt};
    double sum = 0;
    int count = 0;
    return pointOf(visit.row(row), date, t, &sum, &count);
}

std::vector<MeridianDifferences> sideDifferences(const VisitCells& visit, int threshold) {
    std::vector<MeridianDifferences> out;
    for (int m = 0; m < session::kMeridianRows; ++m) {
        MeridianDifferences md{m, catalogue::meridianName(m), {}};
        for (int p = 0; p < catalogue::pointCount(m); ++p) {
            SideDifference d;
            d.row = p;
            if (const Cell& l = visit.at(m, p))
                d.left = l->max;
            if (const Cell& r = visit.at(m, session::kRightOffset + p))
                d.right = r->max;
            if (d.left && d.right) {
                d.difference = *d.left - *d.right;
                d.flagged = std::abs(*d.difference) > threshold;
            }
            md.points.push_back(d);
        }
        out.push_back(std::move(md));
    }
    return out;
}

} // namespace charts
