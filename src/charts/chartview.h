#pragma once
// Shows one chart painted by a function, keeps where its bars landed, and tells which
// bar was clicked or is under the mouse.
#include "charts/chartrender.h"

#include <QWidget>
#include <functional>

class ChartView : public QWidget {
    Q_OBJECT
  public:
    explicit ChartView(QWidget* parent = nullptr);

    using Painter = std::function<charts::Hits(QPainter&, const QRectF&)>;
    void setPainter(Painter painter);
    // The tooltip of a bar.
    void setDescriber(std::function<QString(const charts::Hit&)> describe) {
        m_describe = std::move(describe);
    }
    const charts::Hits& hits() const { return m_hits; }
    QSize sizeHint() const override { return {1100, 640}; }
    // As a click at that point of the widget does.
    void clickAt(const QPointF& at);

  signals:
    void hitClicked(const charts::Hit& hit);

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    bool event(QEvent* event) override;

  private:
    Painter m_paint;
    std::function<QString(const charts::Hit&)> m_describe;
    charts::Hits m_hits;
};
