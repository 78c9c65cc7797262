#include "measurement/gauge.h"

#include "common/colours.h"
#include "common/form.h"
#include "common/widgets.h"

#include <QLabel>
#include <QPainter>

using form::make;
using form::px;
using form::tw;

namespace {

// Left edges of the numbers in twips; each is centred over tick 5j at x = 200 + 500j.
constexpr int kNumberLefts[modes::kNumbers] = {120,  580,  1080, 1560, 2070, 2570,
                                               3070, 3570, 4080, 4560, 5080};
constexpr int kNumberPixelSize = 10;

void styleFigure(QLabel* l) {
    l->setFrameStyle(QFrame::Box | QFrame::Plain);
    l->setAlignment(Qt::AlignCenter);
    useFigureFont(l);
    setBackColour(l, colours::kInfoBackground);
}

} // namespace

Gauge::Gauge(QWidget* parent) : QGroupBox(parent) {
    Label19 = make<QLabel>(this, "Label19", tw(180, 600, 5040, 150));
    Label19->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    lblpower = make<ValueBar>(this, "lblpower", QString(), tw(200, 600, 0, 150));
    setBackColour(lblpower, colours::kInfoBackground);
    Label17 = make<QLabel>(this, "Label17", QStringLiteral("Макс."), tw(1100, 1000, 615, 200));
    lblmax = make<QLabel>(this, "lblmax", tw(1800, 900, 800, 400));
    lblpad = make<QLabel>(this, "lblpad", tw(2800, 900, 800, 400));
    Label18 = make<QLabel>(this, "Label18", QStringLiteral("Паден."), tw(3700, 1000, 615, 200));
    styleFigure(lblmax);
    styleFigure(lblpad);
    // Right of "Паден." and below the bar, the one corner of the frame nothing uses.
    lbldevice = make<QLabel>(this, "lbldevice", tw(4380, 780, 930, 620));
    lbldevice->setAlignment(Qt::AlignCenter);
    QFont small = lbldevice->font();
    small.setPixelSize(kNumberPixelSize);
    lbldevice->setFont(small);
    lbldevice->setAccessibleName(QStringLiteral("Прибор"));
    // A screen reader finds the bar and the figures by name and reads their values in the
    // description, which follows every change.
    Label19->setAccessibleName(QStringLiteral("Шкала"));
    lblpower->setAccessibleName(QStringLiteral("Показание"));
    lblmax->setAccessibleName(Label17->text());
    lblpad->setAccessibleName(Label18->text());
    showBar(0);
    showFigures(QStringLiteral("0"), QStringLiteral("0"));
    colourScale(modes::Mode::Points);
}

QRect Gauge::tickRect(int k) {
    const bool major = k % 5 == 0;
    const int top = px(major ? 400 : 500);
    return QRect(px(200 + 100 * k), top, major ? 2 : 1, px(600) - top);
}

QRect Gauge::numberRect(int j) {
    const int centre = 200 + 500 * j;
    return tw(kNumberLefts[j], 150, 2 * (centre - kNumberLefts[j]), 240);
}

void Gauge::colourScale(modes::Mode mode) {
    for (int k = 0; k < modes::kTicks; ++k)
        m_ticks[k] = modes::tickColour(mode, k);
    for (int j = 0; j < modes::kNumbers; ++j)
        m_numbers[j] = modes::numberColour(mode, j);
    update();
}

void Gauge::colourVega() {
    for (int k = 0; k < modes::kTicks; ++k)
        m_ticks[k] = modes::vegaTickColour(k);
    for (int j = 0; j < modes::kNumbers; ++j)
        m_numbers[j] = modes::vegaNumberColour(j);
    update();
}

void Gauge::showBar(int widthTwips) {
    lblpower->resize(qRound(widthTwips / double(form::kTwipsPerPixel)), lblpower->height());
    // The value on the scale the bar reaches: 50 twips to a unit.
    const int value = qRound(widthTwips / 50.0);
    lblpower->setAccessibleDescription(QString::number(value));
    lblpower->setValue(value);
}

void Gauge::showDevice(const QString& word, const QString& sentence, bool connected) {
    const QString shown = lbldevice->fontMetrics().elidedText(word, Qt::ElideMiddle, lbldevice->width() - 2);
    lbldevice->setText(QStringLiteral("Прибор:\n") + shown);
    setTextColour(lbldevice, connected ? colours::kDarkGreen : colours::kRed);
    lbldevice->setToolTip(sentence);
    lbldevice->setAccessibleDescription(sentence);
}

void Gauge::showFigures(const QString& max, const QString& drop) {
    lblmax->setText(max);
    lblpad->setText(drop);
    lblmax->setAccessibleDescription(max);
    lblpad->setAccessibleDescription(drop);
}

void Gauge::showLive(int value) {
    showFigures(QString::number(value), QString());
}

void Gauge::paintEvent(QPaintEvent* event) {
    QGroupBox::paintEvent(event);
    QPainter p(this);
    for (int k = 0; k < modes::kTicks; ++k)
        p.fillRect(tickRect(k), colours::toQColor(m_ticks[k]));
    QFont f = font();
    f.setPixelSize(kNumberPixelSize);
    p.setFont(f);
    for (int j = 0; j < modes::kNumbers; ++j) {
        p.setPen(colours::toQColor(m_numbers[j]));
        p.drawText(numberRect(j), Qt::AlignHCenter | Qt::AlignTop, numberText(j));
    }
}
