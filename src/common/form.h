#pragma once
// The one way a window is laid out: positions and sizes in twips, 15 to a screen pixel,
// as the layouts are given; each widget made with its caption and geometry in one call.
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

// A widget of kind W with a caption (button, label, option, check box, frame) placed at r.
template <typename W> W* make(QWidget* parent, const QString& caption, const QRect& r) {
    auto* w = new W(caption, parent);
    w->setGeometry(r);
    return w;
}

// A widget of kind W that takes no caption (list, text box, combo box) placed at r.
template <typename W> W* make(QWidget* parent, const QRect& r) {
    auto* w = new W(parent);
    w->setGeometry(r);
    return w;
}

inline QGroupBox* frame(QWidget* parent, const QRect& r, const QString& caption = QString()) {
    return make<QGroupBox>(parent, caption, r);
}

} // namespace form
