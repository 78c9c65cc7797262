#include "patients/namefilter.h"

#include <QTimer>
#include <algorithm>

namespace patients {

namespace {

// Typed text never holds it, and folding keeps it.
constexpr QChar kEnd = QChar(0);

// Character by character into `to`, so a list of 100,000 names is folded without a string
// each; the end of what was written.
QChar* foldInto(QStringView text, QChar* to) {
    for (const QChar c : text) {
        const char32_t folded = QChar::toCaseFolded(char32_t(c.unicode()));
        *to++ = folded == 0x0451 ? QChar(0x0435) : QChar(char16_t(folded)); // ё (and Ё) as е
    }
    return to;
}

} // namespace

QString foldName(QStringView text) {
    QString folded(text.size(), Qt::Uninitialized);
    foldInto(text, folded.data());
    return folded;
}

void NameFilter::setNames(const QStringList& names) {
    m_names = names;
    m_folded.clear();
    m_starts.clear();
    apply(m_part);
}

void NameFilter::prepare() {
    if (!m_starts.empty() || m_names.isEmpty())
        return;
    m_starts.reserve(size_t(m_names.size()));
    qsizetype length = 0;
    for (const QString& n : std::as_const(m_names))
        length += n.size() + 1;
    m_folded = QString(length, Qt::Uninitialized);
    QChar* const begin = m_folded.data();
    QChar* at = begin;
    for (const QString& n : std::as_const(m_names)) {
        m_starts.push_back(int(at - begin));
        at = foldInto(n, at);
        *at++ = kEnd;
    }
}

const std::vector<int>& NameFilter::apply(const QString& part) {
    m_part = part;
    m_rows.clear();
    const QString folded = foldName(part);
    if (folded.isEmpty()) {
        for (int k = 0; k < int(m_names.size()); ++k)
            m_rows.push_back(k);
        return m_rows;
    }
    if (folded.contains(kEnd)) // no name holds it
        return m_rows;
    prepare();
    // One pass over all names: after a match the search goes on from the next name.
    const QStringView all(m_folded);
    qsizetype from = 0;
    int row = 0;
    for (qsizetype at; (at = all.indexOf(folded, from)) >= 0;) {
        const auto next = std::upper_bound(m_starts.begin() + row, m_starts.end(), int(at));
        row = int(next - m_starts.begin()) - 1;
        m_rows.push_back(row);
        if (++row >= int(m_starts.size()))
            break;
        from = m_starts[size_t(row)];
    }
    return m_rows;
}

void NameListModel::setNames(const QStringList& names) {
    beginResetModel();
    m_names = names;
    m_filter.setNames(names);
    endResetModel();
    // Once the list is painted, before a key typed into it can arrive.
    QTimer::singleShot(0, this, [this] { m_filter.prepare(); });
}

void NameListModel::setFilter(const QString& part) {
    beginResetModel();
    m_filter.apply(part);
    endResetModel();
}

int NameListModel::indexRow(int shownRow) const {
    if (shownRow < 0 || shownRow >= rowCount())
        return -1;
    return m_filter.active() ? m_filter.rows()[size_t(shownRow)] : shownRow;
}

int NameListModel::shownRow(int indexRow) const {
    if (indexRow < 0 || indexRow >= m_names.size())
        return -1;
    if (!m_filter.active())
        return indexRow;
    const std::vector<int>& rows = m_filter.rows();
    const auto at = std::lower_bound(rows.begin(), rows.end(), indexRow);
    return at != rows.end() && *at == indexRow ? int(at - rows.begin()) : -1;
}

int NameListModel::rowCount(const QModelIndex& parent) const {
    if (parent.isValid())
        return 0;
    return m_filter.active() ? int(m_filter.rows().size()) : int(m_names.size());
}

QVariant NameListModel::data(const QModelIndex& index, int role) const {
    const int row = indexRow(index.row());
    if (row < 0 || (role != Qt::DisplayRole && role != Qt::EditRole))
        return {};
    return m_names[row];
}

} // namespace patients
