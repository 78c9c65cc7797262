#pragma once
// A small find line over a list, taking no room of its own: typing into the list opens it
// with what was typed, every change of its text is a new filter, Escape closes it and
// shows the whole list again. The arrow keys and Enter go on to the list.
#include <QLineEdit>

class QAbstractItemView;

class NameFilterLine : public QLineEdit {
    Q_OBJECT
  public:
    NameFilterLine(QAbstractItemView* list, QWidget* parent);

    // Empties and hides the line; the whole list is shown again.
    void dismiss();

  signals:
    void filterChanged(const QString& part);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

  private:
    void open(const QString& typed);

    QAbstractItemView* m_list;
};
