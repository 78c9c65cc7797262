#include "common/accessible.h"

#include <QAbstractItemView>
#include <QAccessibleValueInterface>
#include <QAccessibleWidget>

namespace {

class ValueBarAccessible : public QAccessibleWidget, public QAccessibleValueInterface {
  public:
    explicit ValueBarAccessible(QWidget* w) : QAccessibleWidget(w, QAccessible::ProgressBar) {}
    void* interface_cast(QAccessible::InterfaceType t) override {
        if (t == QAccessible::ValueInterface)
            return static_cast<QAccessibleValueInterface*>(this);
        return QAccessibleWidget::interface_cast(t);
    }
    QString text(QAccessible::Text t) const override {
        return t == QAccessible::Value ? QString::number(bar()->value()) : QAccessibleWidget::text(t);
    }
    QVariant currentValue() const override { return bar()->value(); }
    void setCurrentValue(const QVariant&) override {} // shows the device, never set by hand
    QVariant maximumValue() const override { return ValueBar::kMaximum; }
    QVariant minimumValue() const override { return 0; }
    QVariant minimumStepSize() const override { return 1; }

  private:
    const ValueBar* bar() const { return static_cast<const ValueBar*>(object()); }
};

class NamedComboAccessible : public QAccessibleWidget {
  public:
    explicit NamedComboAccessible(QWidget* w) : QAccessibleWidget(w, QAccessible::ComboBox) {}
    QString text(QAccessible::Text t) const override {
        return t == QAccessible::Value ? box()->currentText() : QAccessibleWidget::text(t);
    }
    // The open list, as Qt's own drop-down offers it.
    int childCount() const override { return 1; }
    QAccessibleInterface* child(int index) const override {
        return index == 0 ? QAccessible::queryAccessibleInterface(box()->view()) : nullptr;
    }
    int indexOfChild(const QAccessibleInterface* child) const override {
        return child && child->object() == box()->view() ? 0 : -1;
    }
    QStringList actionNames() const override {
        return QStringList{showMenuAction()} + QAccessibleWidget::actionNames();
    }
    void doAction(const QString& name) override {
        if (name == showMenuAction() || name == pressAction())
            box()->showPopup();
        else
            QAccessibleWidget::doAction(name);
    }

  private:
    QComboBox* box() const { return static_cast<QComboBox*>(object()); }
};

QAccessibleInterface* factory(const QString& className, QObject* object) {
    if (className == QLatin1String("ValueBar"))
        return new ValueBarAccessible(static_cast<QWidget*>(object));
    if (className == QLatin1String("NamedComboBox"))
        return new NamedComboAccessible(static_cast<QWidget*>(object));
    return nullptr;
}

void installFactory() {
    static const bool installed = [] {
        QAccessible::installFactory(&factory);
        return true;
    }();
    Q_UNUSED(installed);
}

} // namespace

ValueBar::ValueBar(const QString& text, QWidget* parent) : QLabel(text, parent) {
    installFactory();
}

void ValueBar::setValue(int value) {
    if (value == m_value)
        return;
    m_value = value;
    QAccessibleValueChangeEvent event(this, value);
    QAccessible::updateAccessibility(&event);
}

NamedComboBox::NamedComboBox(QWidget* parent) : QComboBox(parent) {
    installFactory();
}
