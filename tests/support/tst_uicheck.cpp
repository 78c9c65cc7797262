#include "uicheck.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>
#include <memory>

namespace {

const QString kLong = QStringLiteral("Диагностика по ответвлениям");

// A widget of kind W with the caption, as wide as the caption needs plus `extra` pixels.
template <typename W> W* sized(QWidget* parent, const QString& caption, int extra) {
    auto* w = new W(caption, parent);
    w->resize(w->sizeHint().width() + extra, w->sizeHint().height());
    return w;
}

} // namespace

// The checks themselves: each finds what it is for and passes what is right.
class UiCheckTest : public QObject {
    Q_OBJECT
  private slots:
    void captions_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<int>("extra");
        QTest::addColumn<bool>("fits");
        for (const char* kind : {"label", "button", "radio", "check", "combo"}) {
            QTest::addRow("%s fits", kind) << QString(kind) << 0 << true;
            QTest::addRow("%s cut", kind) << QString(kind) << -8 << false;
        }
    }
    void captions() {
        QFETCH(QString, kind);
        QFETCH(int, extra);
        QFETCH(bool, fits);
        QWidget window;
        window.resize(600, 100);
        QWidget* w = nullptr;
        if (kind == "label")
            w = sized<QLabel>(&window, kLong, extra);
        else if (kind == "button")
            w = sized<QPushButton>(&window, kLong, extra);
        else if (kind == "radio")
            w = sized<QRadioButton>(&window, kLong, extra);
        else if (kind == "check")
            w = sized<QCheckBox>(&window, kLong, extra);
        else {
            auto* c = new QComboBox(&window);
            // The long item is not the one shown: every item is checked.
            c->addItems({QStringLiteral("Кожа"), kLong});
            c->resize(c->sizeHint().width() + extra, c->sizeHint().height());
            w = c;
        }
        const QStringList found = uicheck::captionsFit(&window);
        QVERIFY2(found.isEmpty() == fits, qPrintable(found.join(u'\n')));
        if (!fits)
            QVERIFY2(found.value(0).contains(kLong), qPrintable(found.value(0)));
        Q_UNUSED(w);
    }

    void tooLowAndPastTheFrame() {
        QWidget window;
        window.resize(600, 200);
        auto* low = sized<QLabel>(&window, QStringLiteral("Сек"), 4);
        low->resize(low->width(), low->fontMetrics().height() - 3);
        QCOMPARE(uicheck::captionsFit(&window).size(), 1);
        low->resize(low->width(), low->fontMetrics().height());
        QVERIFY(uicheck::captionsFit(&window).isEmpty());

        // The option fits its own width but not the frame it stands in.
        auto* frame = new QGroupBox(&window);
        frame->setGeometry(0, 40, 120, 40);
        auto* option = sized<QRadioButton>(frame, QStringLiteral("Медикам. тестирование"), 0);
        option->move(60, 10);
        const QStringList found = uicheck::captionsFit(&window);
        QCOMPARE(found.size(), 1);
        QVERIFY2(found[0].contains("past its frame"), qPrintable(found[0]));
        frame->resize(option->x() + option->width() + 8, 40);
        QVERIFY2(uicheck::captionsFit(&window).isEmpty(),
                 qPrintable(uicheck::captionsFit(&window).join(u'\n')));
    }

    void frameTitle() {
        QWidget window;
        window.resize(600, 200);
        auto* frame = new QGroupBox(QStringLiteral("Время нажатия кнопки на щупе в секундах"), &window);
        frame->resize(80, 60);
        QCOMPARE(uicheck::captionsFit(&window).size(), 1);
        frame->resize(500, 60);
        QVERIFY(uicheck::captionsFit(&window).isEmpty());
    }

    void names() {
        QWidget window;
        auto* box = new QLineEdit(&window);
        auto* bar = new QLabel(&window); // a label with nothing to read
        new QPushButton(QStringLiteral("Выход"), &window);
        new QComboBox(&window); // empty: no text to stand for a name
        // A second window under this one is checked on its own.
        auto* other = new QWidget(&window, Qt::Window);
        new QLineEdit(other);
        QCOMPARE(uicheck::unnamedControls(&window).size(), 3);
        box->setAccessibleName(QStringLiteral("точка 1, макс."));
        bar->setAccessibleName(QStringLiteral("Показание"));
        for (auto* c : window.findChildren<QComboBox*>())
            c->setAccessibleName(QStringLiteral("Меридиан"));
        QVERIFY2(uicheck::unnamedControls(&window).isEmpty(),
                 qPrintable(uicheck::unnamedControls(&window).join(u'\n')));
        QCOMPARE(uicheck::unnamedControls(other).size(), 1);
    }
};

QTEST_MAIN(UiCheckTest)
#include "tst_uicheck.moc"
