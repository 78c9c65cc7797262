#pragma once
// The point column of the main window: the header, and for each of 14 rows the point's
// number, its maximum and its drop. Knows which row is highlighted and edits a result box
// by the keys it takes; what a selection means is the window's business. Positions are in
// twips of the point frame, 15 to a pixel; the grid covers the frame's right part.
#include "common/session.h"

#include <QWidget>
#include <array>

class QLabel;
class QLineEdit;

class PointGrid : public QWidget {
    Q_OBJECT
  public:
    static constexpr int kRows = session::kPointRows;

    explicit PointGrid(QWidget* frame);

    // The rows of a meridian: numbers and descriptions shown, the rows it lacks hidden.
    void showPoints(int meridian);
    void hideRows();
    void setHeaderVisible(bool visible);
    // One row highlighted (-1: none).
    void highlight(int row);
    // Results of a matrix row from a column on (the side's first column).
    void showResults(const session::ResultsMatrix& results, int row, int firstColumn);
    void showResult(int row, int max, int drop);
    // A key code on a result box, as keycodes::editResult takes it; returns the row's result
    // text as the two boxes now read (empty for a row the column does not have). `refused`
    // tells a digit that would have made the figure pass 100.
    QString edit(int row, bool maxBox, int keyCode, bool* refused = nullptr);

    std::array<QLabel*, 3> header{};
    std::array<QLabel*, kRows> lblnumber{};
    std::array<QLineEdit*, kRows> txtmax{};
    std::array<QLineEdit*, kRows> txtpad{};

  signals:
    // A press on a row's number or boxes.
    void rowClicked(int row);
    // A key on a result box, as the keyboard reports it (see keycodes.h).
    void keyDown(int row, bool maxBox, int keyCode, int shift);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    // Accessible names of a row: "точка 1.2", "точка 1.2, макс.", "точка 1.2, паден.".
    void nameRow(int row, const QString& point);
};
