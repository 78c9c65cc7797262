#pragma once
// The scale frame of the main window: 51 ticks and 11 numbers painted by the frame itself,
// the live bar over the sunken track, and the two figures "Макс." and "Паден.". Colours
// follow the mode or VEGA. Positions are in twips of the frame, 15 to a pixel.
#include "catalogue/modes.h"
#include "common/accessible.h"

#include <QGroupBox>
#include <QRect>
#include <QString>
#include <array>

class QLabel;

class Gauge : public QGroupBox {
    Q_OBJECT
  public:
    explicit Gauge(QWidget* parent = nullptr);

    void colourScale(modes::Mode mode);
    void colourVega();
    // Bar width in twips, 0..5000.
    void showBar(int widthTwips);
    void showFigures(const QString& max, const QString& drop);
    // Medication testing or VEGA: the value as maximum, no drop.
    void showLive(int value);
    // The device's state in the frame's free corner: a word under "Прибор:", the whole
    // sentence for the tooltip and a screen reader.
    void showDevice(const QString& word, const QString& sentence, bool connected);

    // Where tick k and number j are painted, in pixels of the frame, and in what colour.
    static QRect tickRect(int k);
    static QRect numberRect(int j);
    static QString numberText(int j) { return QString::number(10 * j); }
    quint32 tickColour(int k) const { return m_ticks[k]; }
    quint32 numberColour(int j) const { return m_numbers[j]; }

    QLabel* Label19 = nullptr;    // the bar's track
    ValueBar* lblpower = nullptr; // the live bar
    QLabel* Label17 = nullptr;
    QLabel* Label18 = nullptr;
    QLabel* lblmax = nullptr;
    QLabel* lblpad = nullptr;
    QLabel* lbldevice = nullptr;

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    std::array<quint32, modes::kTicks> m_ticks{};
    std::array<quint32, modes::kNumbers> m_numbers{};
};
