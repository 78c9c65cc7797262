#pragma once
// Small widgets the windows draw with: a line shape and a picture box.
#include <QAbstractButton>
#include <QImage>
#include <QWidget>
#include <limits>

class QLabel;

// A straight line across its widget (vertical when taller than wide), like a drawn line
// shape; its colour is kept as a colour value so callers and tests speak one language.
class LineShape : public QWidget {
    Q_OBJECT
  public:
    explicit LineShape(QWidget* parent = nullptr) : QWidget(parent) {}
    void setColourValue(quint32 value);
    quint32 colourValue() const { return m_colour; }

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    quint32 m_colour = 0;
};

// Shows one image at its top-left corner on a plain background; keeps the image until
// the next one replaces it.
class PictureBox : public QWidget {
    Q_OBJECT
  public:
    explicit PictureBox(QWidget* parent = nullptr);
    void setImage(const QImage& image);
    const QImage& image() const { return m_image; }

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    QImage m_image;
};

// Runs handler whenever the option becomes selected, by the user or by the program, as
// an option button's click handling does.
template <typename Handler> void onSelected(QAbstractButton* option, QObject* context, Handler handler) {
    QObject::connect(option, &QAbstractButton::toggled, context, [handler](bool on) {
        if (on)
            handler();
    });
}

// The layouts are laid out in twips for a small dialog font; this font fits them.
void useFormFont(QWidget* window);
// The large bold font of the figures that must be read from a distance (the gauge's
// maximum and drop, the VEGA mark).
void useFigureFont(QWidget* w);

// Makes a caption fit in the font actually in use, keeping the widget's place: where the
// form has room (up to maxWidth pixels) the widget is widened to the width it would take by
// itself, never narrowed; only where even its caption does not fit is its font made a pixel
// smaller at a time (not below kMinCaptionPixels). A combo box is fitted to its longest
// item, as the closed list may show any of them. kAnyWidth: the window makes room.
constexpr int kMinCaptionPixels = 8;
constexpr int kAnyWidth = std::numeric_limits<int>::max();
void fitCaption(QWidget* w, int maxWidth);

// Every button and label of the window fitted with no limit; the window grows when one
// passes its edge.
void widenToFit(QWidget* window);

// Text colour and background of a label from colour values.
void setTextColour(QWidget* w, quint32 value);
void setBackColour(QWidget* w, quint32 value);
QColor textColour(const QWidget* w);
QColor backColour(const QWidget* w);

// A label that shows a value (a name, a year, a date): the text, and the same value as the
// accessible description, so a screen reader reads it after the label's accessible name.
void showValue(QLabel* label, const QString& value);
