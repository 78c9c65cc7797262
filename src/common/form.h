#pragma once
// The one way a window is laid out: positions and sizes in twips, 15 to a screen pixel,
// as the layouts are given; each widget made with its name, caption and geometry in one call.
// The name is the widget's objectName, by which tests and tools find it.
#include <QAnyStringView>
#include <QGroupBox>
#include <QRect>
#include <QString>
#include <QWidget>

namespace form {

constexpr int kTwipsPerPixel = 15;

constexpr int px(int twips) {
    return twips / kTwipsPerPixel;
}

inline QRect tw(int left, int top, int width, int height) {
    return QRect(px(left), px(top), px(width), px(height));
}

// The name of element `index` of a widget array: "lblnumber(3)".
inline QString item(const QString& array, int index) {
    return QStringLiteral("%1(%2)").arg(array).arg(index);
}

// A widget of kind W with a caption (button, label, option, check box, frame) placed at r.
// The caption is also its accessible name; a label that shows a value rather than a caption
// is made without one, so that its name follows the value.
template <typename W> W* make(QWidget* parent, QAnyStringView name, const QString& caption, const QRect& r) {
    auto* w = new W(caption, parent);
    w->setObjectName(name);
    if (!caption.isEmpty())
        w->setAccessibleName(caption);
    w->setGeometry(r);
    return w;
}

// A widget of kind W that takes no caption (list, text box, combo box) placed at r.
template <typename W> W* make(QWidget* parent, QAnyStringView name, const QRect& r) {
    auto* w = new W(parent);
    w->setObjectName(name);
    w->setGeometry(r);
    return w;
}

// The same for a window whose layout places its widgets.
template <typename W> W* make(QWidget* parent, QAnyStringView name, const QString& caption) {
    auto* w = new W(caption, parent);
    w->setObjectName(name);
    if (!caption.isEmpty())
        w->setAccessibleName(caption);
    return w;
}
template <typename W> W* make(QWidget* parent, QAnyStringView name) {
    auto* w = new W(parent);
    w->setObjectName(name);
    return w;
}

inline QGroupBox* frame(QWidget* parent, QAnyStringView name, const QRect& r,
                        const QString& caption = QString()) {
    return make<QGroupBox>(parent, name, caption, r);
}

} // namespace form
