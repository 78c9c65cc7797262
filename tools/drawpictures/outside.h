#pragma once
// What lies outside every drawn shape of a picture: the pixels a flood from the border
// reaches through pixels close to the background. The generator checks its pictures with
// it, and the tests check the committed ones.
#include <QHash>
#include <QImage>
#include <QPoint>
#include <QVector>
#include <queue>

namespace pictures {

// Whatever the drawing, the colour that fills most of the edge is the background.
inline QRgb borderColour(const QImage& img) {
    QHash<QRgb, int> count;
    for (int x = 0; x < img.width(); ++x) {
        ++count[img.pixel(x, 0)];
        ++count[img.pixel(x, img.height() - 1)];
    }
    for (int y = 0; y < img.height(); ++y) {
        ++count[img.pixel(0, y)];
        ++count[img.pixel(img.width() - 1, y)];
    }
    QRgb best = 0;
    for (auto it = count.cbegin(); it != count.cend(); ++it)
        if (it.value() > count.value(best))
            best = it.key();
    return best;
}

// What a flood from the border reaches through pixels close to the background lies outside
// every drawn shape, filled or only outlined.
class Outside {
  public:
    explicit Outside(const QImage& img) : m_w(img.width()), m_h(img.height()), m_seen(m_w * m_h, false) {
        const QRgb bg = borderColour(img);
        auto open = [&](int x, int y) {
            const QRgb c = img.pixel(x, y);
            return qAbs(qRed(c) - qRed(bg)) <= 24 && qAbs(qGreen(c) - qGreen(bg)) <= 24 &&
                   qAbs(qBlue(c) - qBlue(bg)) <= 24;
        };
        std::queue<QPoint> todo;
        auto push = [&](int x, int y) {
            if (x < 0 || y < 0 || x >= m_w || y >= m_h || m_seen[y * m_w + x] || !open(x, y))
                return;
            m_seen[y * m_w + x] = true;
            todo.push({x, y});
        };
        for (int x = 0; x < m_w; ++x) {
            push(x, 0);
            push(x, m_h - 1);
        }
        for (int y = 0; y < m_h; ++y) {
            push(0, y);
            push(m_w - 1, y);
        }
        while (!todo.empty()) {
            const QPoint q = todo.front();
            todo.pop();
            push(q.x() + 1, q.y());
            push(q.x() - 1, q.y());
            push(q.x(), q.y() + 1);
            push(q.x(), q.y() - 1);
        }
    }
    bool at(QPoint p) const {
        return p.x() < 0 || p.y() < 0 || p.x() >= m_w || p.y() >= m_h || m_seen[p.y() * m_w + p.x()];
    }
    // Pixels from p straight down (dy = 1) or up (dy = -1) until the first outside one.
    int run(QPoint p, int dy) const {
        int n = 0;
        while (!at(p + QPoint(0, dy * (n + 1))))
            ++n;
        return n;
    }

  private:
    int m_w, m_h;
    QVector<bool> m_seen;
};

} // namespace pictures
