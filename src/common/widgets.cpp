#include "common/widgets.h"

#include "common/colours.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <algorithm>

void LineShape::setColourValue(quint32 value) {
    if (m_colour == value)
        return;
    m_colour = value;
    update();
}

void LineShape::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), colours::toQColor(m_colour));
}

PictureBox::PictureBox(QWidget* parent) : QWidget(parent) {
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Qt::white);
    setPalette(pal);
}

void PictureBox::setImage(const QImage& image) {
    m_image = image;
    update();
}

void PictureBox::paintEvent(QPaintEvent*) {
    if (m_image.isNull())
        return;
    QPainter p(this);
    p.drawImage(0, 0, m_image);
}

void setTextColour(QWidget* w, quint32 value) {
    QPalette pal = w->palette();
    pal.setColor(QPalette::WindowText, colours::toQColor(value));
    pal.setColor(QPalette::ButtonText, colours::toQColor(value));
    w->setPalette(pal);
}

void setBackColour(QWidget* w, quint32 value) {
    QPalette pal = w->palette();
    pal.setColor(QPalette::Window, colours::toQColor(value));
    w->setAutoFillBackground(true);
    w->setPalette(pal);
}

QColor textColour(const QWidget* w) {
    return w->palette().color(QPalette::WindowText);
}

QColor backColour(const QWidget* w) {
    return w->palette().color(QPalette::Window);
}

void useFormFont(QWidget* window) {
    QFont f = window->font();
    f.setPixelSize(11);
    window->setFont(f);
}

namespace {

// The width the caption needs. A push button's own hint has a minimum width that is no
// part of its text, so only its text and frame are counted.
int captionNeeds(const QWidget* w) {
    if (const auto* b = qobject_cast<const QPushButton*>(w))
        return b->fontMetrics().size(Qt::TextShowMnemonic, b->text()).width() + 12;
    return w->sizeHint().width();
}

} // namespace

void fitCaption(QWidget* w, int maxWidth) {
    if (auto* c = qobject_cast<QComboBox*>(w))
        c->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    for (;;) {
        // Heights are the layout's; only a width can fall short.
        if (captionNeeds(w) <= maxWidth) {
            // Where the form has room, as wide as the widget would be by itself.
            const int natural = std::min(w->sizeHint().width(), maxWidth);
            w->resize(std::max(w->width(), natural), w->height());
            return;
        }
        QFont f = w->font();
        const int pixels = f.pixelSize() > 0 ? f.pixelSize() : QFontInfo(f).pixelSize();
        if (pixels <= kMinCaptionPixels)
            return;
        f.setPixelSize(pixels - 1);
        w->setFont(f);
    }
}

void widenToFit(QWidget* window) {
    QSize size = window->size();
    for (QWidget* w : window->findChildren<QWidget*>()) {
        if (!qobject_cast<QAbstractButton*>(w) && !qobject_cast<QLabel*>(w))
            continue;
        fitCaption(w, kAnyWidth);
        if (w->parentWidget() == window)
            size = size.expandedTo(QSize(w->geometry().right() + 1, size.height()));
    }
    if (size != window->size()) {
        if (window->minimumSize() == window->maximumSize())
            window->setFixedSize(size);
        else
            window->resize(size);
    }
}
