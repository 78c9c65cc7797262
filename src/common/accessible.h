#pragma once
// Widgets that tell a screen reader more than their Qt kind does: a bar that offers its value
// through the Value interface, and a drop-down list named for what it chooses. On Linux a
// plain drop-down is named by the item it shows, so "Меридиан" would never be heard.
#include <QComboBox>
#include <QLabel>

// A bar drawn as a label whose width shows a value; the value is read, never set, through
// accessibility.
class ValueBar : public QLabel {
    Q_OBJECT
  public:
    explicit ValueBar(const QString& text = QString(), QWidget* parent = nullptr);
    int value() const { return m_value; }
    void setValue(int value);
    static constexpr int kMaximum = 100;

  private:
    int m_value = 0;
};

// A drop-down list whose accessible name is its own (set with setAccessibleName); the item it
// shows is its value.
class NamedComboBox : public QComboBox {
    Q_OBJECT
  public:
    explicit NamedComboBox(QWidget* parent = nullptr);
};
