#include "charts/chartview.h"

#include <QHelpEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QToolTip>

ChartView::ChartView(QWidget* parent) : QWidget(parent) {
    setAccessibleName(QStringLiteral("График"));
    setMinimumSize(480, 320);
    setMouseTracking(false);
}

void ChartView::setPainter(Painter painter) {
    m_paint = std::move(painter);
    update();
}

void ChartView::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing, false);
    m_hits = m_paint ? m_paint(p, QRectF(rect())) : charts::Hits();
}

void ChartView::clickAt(const QPointF& at) {
    if (const charts::Hit* h = charts::hitAt(m_hits, at))
        emit hitClicked(*h);
}

void ChartView::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton)
        clickAt(event->position());
}

bool ChartView::event(QEvent* event) {
    if (event->type() == QEvent::ToolTip) {
        auto* help = static_cast<QHelpEvent*>(event);
        const charts::Hit* h = charts::hitAt(m_hits, help->pos());
        if (h && m_describe)
            QToolTip::showText(help->globalPos(), m_describe(*h), this);
        else
            QToolTip::hideText();
        return true;
    }
    return QWidget::event(event);
}
