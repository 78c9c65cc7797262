#pragma once
// Finding a patient among thousands: the names that hold a typed part anywhere, case
// ignored and "ё" taken as "е", and the patient list's lines over that filter. The lines
// are shown in index order; positions given out and taken in are index positions.
#include <QAbstractListModel>
#include <QString>
#include <QStringList>
#include <vector>

namespace patients {

// A name or a typed part as the filter compares them: case folded, "ё" as "е".
QString foldName(QStringView text);

class NameFilter {
  public:
    // The names are folded once, by prepare() or at the first part typed, so a keystroke
    // only searches and opening a list costs no folding.
    void setNames(const QStringList& names);
    void prepare();
    // Index positions of the names holding `part`, ascending; every name for an empty part.
    const std::vector<int>& apply(const QString& part);

    bool active() const { return !m_part.isEmpty(); }
    const QString& part() const { return m_part; }
    const std::vector<int>& rows() const { return m_rows; }

  private:
    QStringList m_names;
    // All folded names in one text, each ended by a character no typed part holds, so a
    // match never runs from one name into the next.
    QString m_folded;
    std::vector<int> m_starts;
    QString m_part;
    std::vector<int> m_rows;
};

class NameListModel : public QAbstractListModel {
    Q_OBJECT
  public:
    using QAbstractListModel::QAbstractListModel;

    // Every name, shown or not; the filter stays as it was typed.
    void setNames(const QStringList& names);
    const QStringList& names() const { return m_names; }
    void setFilter(const QString& part);
    const NameFilter& filter() const { return m_filter; }

    // Index position of a shown line, and the line showing an index position (-1 when the
    // filter hides it or there is no such position).
    int indexRow(int shownRow) const;
    int shownRow(int indexRow) const;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

  private:
    QStringList m_names;
    NameFilter m_filter;
};

} // namespace patients
