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

void useFigureFont(QWidget* w) {
    QFont f = w->font();
    f.setPointSize(14);
    f.setBold(true);
    w->setFont(f);
}

namespace {

// The width the caption needs. A push button's own hint has a minimum width that is no
// part of its text, so only its text and frame are counted.
int captionNeeds(const QWidget* w) {
    if (const auto* b = qobject_cast<const QPushButton*>(w))
        return b->fontMetrics().size(Qt::TextShowMnemonic, b->text()).width() + 12;
    return w->sizeHint().width();
}

// The text that sets the caption's width: a combo box's widest item in the widget's font.
QString widestText(const QWidget* w) {
    if (const auto* c = qobject_cast<const QComboBox*>(w)) {
        const QFontMetrics fm = c->fontMetrics();
        QString widest;
        int widestWidth = -1;
        for (int i = 0; i < c->count(); ++i)
            if (const int width = fm.horizontalAdvance(c->itemText(i)); width > widestWidth) {
                widest = c->itemText(i);
                widestWidth = width;
            }
        return widest;
    }
    if (const auto* b = qobject_cast<const QAbstractButton*>(w))
        return b->text();
    if (const auto* l = qobject_cast<const QLabel*>(w))
        return l->text();
    return {};
}

int textWidth(const QString& text, const QFont& font) {
    return QFontMetrics(font).size(Qt::TextShowMnemonic, text).width();
}

int pixelSize(const QFont& f) {
    return f.pixelSize() > 0 ? f.pixelSize() : QFontInfo(f).pixelSize();
}

// The largest size below the widget's own at which the text, with the widget's frame
// around it, fits in maxWidth; kMinCaptionPixels when none does. Every size measured costs
// a font of its own at start-up, so the search starts where the text's width, which grows
// about in step with the size, says it will end, and measures only the sizes around that.
int fittingSize(const QWidget* w, int need, int maxWidth) {
    const QString text = widestText(w);
    const int current = pixelSize(w->font());
    const int width = textWidth(text, w->font());
    const int frame = need - width;
    if (width <= 0 || current - 1 < kMinCaptionPixels)
        return std::max(current - 1, kMinCaptionPixels);
    QFont f = w->font();
    const auto fits = [&](int pixels) {
        f.setPixelSize(pixels);
        return frame + textWidth(text, f) <= maxWidth;
    };
    int pixels = std::clamp(current * (maxWidth - frame) / width, kMinCaptionPixels, current - 1);
    if (!fits(pixels)) {
        while (pixels > kMinCaptionPixels && !fits(pixels - 1))
            --pixels;
        return std::max(pixels - 1, kMinCaptionPixels);
    }
    // A size larger still is measured only where the estimate leaves it within reach: hinting
    // moves a short caption's width by a few pixels, never by a twentieth of it.
    while (pixels + 1 < current && (frame + width * (pixels + 1) / current) * 20 <= maxWidth * 21 &&
           fits(pixels + 1))
        ++pixels;
    return pixels;
}

} // namespace

void fitCaption(QWidget* w, int maxWidth) {
    // A combo box's hint counts its items until it is first shown, or always when it adjusts
    // to them; setting the policy makes its pop-up list at once, which start-up leaves for
    // the first time the list opens.
    if (auto* c = qobject_cast<QComboBox*>(w);
        c && (c->isVisible() || c->sizeAdjustPolicy() != QComboBox::AdjustToContentsOnFirstShow))
        c->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    // Heights are the layout's; only a width can fall short.
    if (const int need = captionNeeds(w); need > maxWidth) {
        // The size is chosen by measuring the text alone: every font set on a widget is
        // passed on to its parts and measured again.
        if (const int pixels = fittingSize(w, need, maxWidth); pixels < pixelSize(w->font())) {
            QFont f = w->font();
            f.setPixelSize(pixels);
            w->setFont(f);
        }
    }
    // Should the text alone have misjudged it, a pixel at a time as the widget measures.
    while (captionNeeds(w) > maxWidth && pixelSize(w->font()) > kMinCaptionPixels) {
        QFont f = w->font();
        f.setPixelSize(pixelSize(f) - 1);
        w->setFont(f);
    }
    if (captionNeeds(w) <= maxWidth) {
        // Where the form has room, as wide as the widget would be by itself.
        const int natural = std::min(w->sizeHint().width(), maxWidth);
        w->resize(std::max(w->width(), natural), w->height());
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

void showValue(QLabel* label, const QString& value) {
    label->setText(value);
    label->setAccessibleDescription(value);
}
