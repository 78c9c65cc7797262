#include "common/widgets.h"

#include <QComboBox>
#include <QLabel>
#include <QRadioButton>
#include <QtTest>
#include <memory>

// Fitting a caption chooses the largest font that fits; it measures only a few sizes, so
// the choice is checked here against measuring every size.
class WidgetsTest : public QObject {
    Q_OBJECT

    static std::unique_ptr<QWidget> make(const QString& kind) {
        std::unique_ptr<QWidget> w;
        const QString text = QStringLiteral("Аллергия или сосуд. дегенерация");
        if (kind == "label")
            w = std::make_unique<QLabel>(text);
        else if (kind == "option")
            w = std::make_unique<QRadioButton>(text);
        else {
            auto* c = new QComboBox;
            c->addItems({QStringLiteral("Лимфатический"), text, QStringLiteral("Сердце")});
            w.reset(c);
        }
        QFont f = w->font();
        f.setPixelSize(11);
        w->setFont(f);
        return w;
    }
    // The width the widget asks for at a pixel size.
    static int needsAt(const QString& kind, int pixels) {
        auto w = make(kind);
        QFont f = w->font();
        f.setPixelSize(pixels);
        w->setFont(f);
        if (auto* c = qobject_cast<QComboBox*>(w.get()))
            c->setSizeAdjustPolicy(QComboBox::AdjustToContents);
        return w->sizeHint().width();
    }

  private slots:
    void largestSizeThatFits_data() {
        QTest::addColumn<QString>("kind");
        for (const char* kind : {"label", "option", "combo"})
            QTest::newRow(kind) << QString::fromLatin1(kind);
    }
    void largestSizeThatFits() {
        QFETCH(QString, kind);
        QList<int> needs(12);
        for (int pixels = kMinCaptionPixels; pixels <= 11; ++pixels)
            needs[pixels] = needsAt(kind, pixels);
        for (int room = needs[kMinCaptionPixels] - 10; room <= needs[11] + 10; ++room) {
            auto w = make(kind);
            w->resize(10, 20);
            fitCaption(w.get(), room);
            const int chosen = w->font().pixelSize();
            int best = kMinCaptionPixels;
            for (int pixels = 11; pixels > kMinCaptionPixels; --pixels)
                if (needs[pixels] <= room) {
                    best = pixels;
                    break;
                }
            const QByteArray where = QByteArray::number(room) + " px of room";
            QVERIFY2(chosen == best, where + ", size " + QByteArray::number(chosen));
            // It fits where any size does, and takes the room it needs, never more.
            if (needs[best] <= room)
                QVERIFY2(w->width() == needs[best], where);
            QVERIFY2(w->width() <= std::max(room, 10), where);
        }
    }
};

QTEST_MAIN(WidgetsTest)
#include "tst_widgets.moc"
