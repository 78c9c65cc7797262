#include "common/messages.h"
#include "printing/cardpreview.h"
#include "printing/cardprintui.h"
#include "printing/cardrender.h"

#include "uicheck.h"

#include <QCheckBox>
#include <QFontMetricsF>
#include <QImage>
#include <QLayout>
#include <QPainter>
#include <QPrinter>
#include <QScreen>
#include <QTemporaryDir>
#include <QToolBar>
#include <QtTest>

using namespace printing;

namespace {

constexpr int kDpi = 150;

QString lines(int count, const QString& word) {
    QStringList out;
    for (int i = 1; i <= count; ++i)
        out << QStringLiteral("%1 %2").arg(word).arg(i);
    return out.join("\r\n");
}

const Card kShort{"Иванов Иван Иванович", "1950", "01.02.2024", "Головная боль", "Здоров", "Чай"};
const Card kLong{"Петров Пётр", "1960", "05.06.2024", lines(30, "жалоба"), lines(5, "диагноз"), {}};

// An A4 page with no rim, painted the way a printer is.
QImage renderedPage(const Card& card, QList<Page>* pages = nullptr) {
    QImage image(qRound(210 / 25.4 * kDpi), qRound(297 / 25.4 * kDpi), QImage::Format_RGB32);
    image.setDotsPerMeterX(qRound(kDpi / 0.0254));
    image.setDotsPerMeterY(qRound(kDpi / 0.0254));
    image.fill(Qt::white);
    const QList<Page> laid = layout(card, areaOf(image), fontMeasure());
    QPainter painter(&image);
    paintPage(painter, laid.first());
    if (pages)
        *pages = laid;
    return image;
}

int px(double twips) {
    return qRound(twips * kDpi / 1440);
}

// Leftmost and rightmost inked columns in a band of rows; -1 when the band is blank.
QPair<int, int> ink(const QImage& image, int top, int bottom) {
    int left = -1, right = -1;
    for (int y = qMax(0, top); y < qMin(bottom, image.height()); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qGray(image.pixel(x, y)) < 128) {
                left = left < 0 ? x : qMin(left, x);
                right = qMax(right, x);
            }
    return {left, right};
}

int pdfPages(const QByteArray& pdf) {
    return pdf.count("/Type /Page\n") + pdf.count("/Type /Page\r") + pdf.count("/Type /Page ") +
           pdf.count("/Type /Page/");
}

} // namespace

class CardPrintTest : public QObject {
    Q_OBJECT
  private slots:
    void initTestCase() { QVERIFY(m_dir.isValid()); }
    void cleanup() { msgbox::setHandler({}); }

    void fontHasTrueCells() {
        const QFont font = cardFont(10);
        QVERIFY2(QFontInfo(font).fixedPitch(), qPrintable(QFontInfo(font).family()));
        QVERIFY(QFontMetricsF(font).inFont(QChar(0x0416)));
        // One 10-point character is one cell of 120 twips, Cyrillic or not.
        const Measure measure = fontMeasure();
        QCOMPARE_LT(qAbs(measure(QString(100, QChar(0x0416)), 10) - 12000), 100.0);
        QCOMPARE(measure(QString(100, QChar(0x0416)), 10), measure(QString(100, QChar('i')), 10));
    }

    void inkWhereTheLayoutSays() {
        QList<Page> pages;
        const QImage image = renderedPage(kShort, &pages);
        const Run title = pages[0].runs[0];
        QCOMPARE(title.text, QStringLiteral("КАРТА ПАЦИЕНТА"));
        // The title's line holds ink from its left edge to about its measured width.
        const auto [left, right] = ink(image, px(240), px(240 + 400));
        QVERIFY2(qAbs(left - px(title.x)) <= 3, qPrintable(QString("%1 %2").arg(left).arg(px(title.x))));
        const int width = px(fontMeasure()(title.text, 16));
        QVERIFY2(qAbs(right - (px(title.x) + width)) <= 6,
                 qPrintable(QString("%1 %2").arg(right).arg(width)));
        // Between the name and the year line, and beside the blocks' text, nothing.
        QCOMPARE(ink(image, px(5.6 * 240), px(7 * 240)).first, -1);
        QCOMPARE(ink(image, px(12 * 240), px(25 * 240)).first, -1);
        // The complaints start after the indent of 20 blanks on line 10.
        const int indent = px(20 * fontMeasure()(" ", pages[0].runs[3].pointSize));
        QVERIFY(qAbs(ink(image, px(10 * 240), px(11 * 240)).first - indent) <= 3);
    }

    void fullLineStaysOnThePaper() {
        const Card card{"Иванов", "1950", "01.02.2024", QString(81, QChar(0x0416)), {}, {}};
        const QImage image = renderedPage(card);
        const auto [left, right] = ink(image, px(10 * 240), px(11 * 240));
        QVERIFY(left > 0);
        QVERIFY2(right < image.width() - 1, qPrintable(QString::number(right)));
    }

    void pdfHasEveryPage_data() {
        QTest::addColumn<bool>("isLong");
        QTest::addColumn<bool>("offered");
        QTest::addColumn<bool>("chosen");
        QTest::addColumn<int>("pages");
        QTest::newRow("short") << false << false << false << 1;
        QTest::newRow("long") << true << false << false << 2;
        QTest::newRow("short, chart offered") << false << true << false << 1;
        QTest::newRow("long, chart offered") << true << true << false << 2;
        QTest::newRow("short with chart") << false << true << true << 2;
        QTest::newRow("long with chart") << true << true << true << 3;
        // Chosen before any chart was there to offer: the card alone.
        QTest::newRow("short, chosen without chart") << false << false << true << 1;
    }
    void pdfHasEveryPage() {
        const QString path = m_dir.filePath(QStringLiteral("card %1.pdf").arg(QTest::currentDataTag()));
        QFETCH(bool, isLong);
        QFETCH(bool, offered);
        QFETCH(bool, chosen);
        QFETCH(int, pages);
        Card card = isLong ? kLong : kShort;
        QList<QRectF> charted;
        QList<QRectF> pageRects;
        if (offered)
            card.chartPage = [&](QPainter& p, const QRectF& area) {
                charted << area;
                pageRects << QRectF(0, 0, p.device()->width(), p.device()->height());
                p.fillRect(area, Qt::gray);
            };
        card.withChart = chosen;
        const Outcome outcome = savePdf(path, card);
        QVERIFY2(!outcome.failed(), qPrintable(outcome.error));
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray pdf = file.readAll();
        QVERIFY(pdf.startsWith("%PDF"));
        QCOMPARE(pdfPages(pdf), pages);
        // The chart is painted once, over the whole printable page.
        QCOMPARE(charted.size(), offered && chosen ? 1 : 0);
        if (!charted.isEmpty())
            QCOMPARE(charted[0], pageRects[0]);
    }

    void printerWithoutDialog() {
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(m_dir.filePath("printed.pdf"));
        const Outcome outcome = printOn(printer, kLong);
        QVERIFY2(!outcome.failed(), qPrintable(outcome.error));
        QFile file(printer.outputFileName());
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(pdfPages(file.readAll()), 2);
        QCOMPARE(printer.pageLayout().pageSize().id(), QPageSize::A4);
    }

    void failuresComeBackAsText() {
        QPrinter broken(QPrinter::HighResolution);
        broken.setOutputFormat(QPrinter::PdfFormat);
        broken.setOutputFileName(m_dir.filePath("no such folder/printed.pdf"));
        Outcome outcome = printOn(broken, kShort);
        QVERIFY(outcome.failed());
        QVERIFY2(outcome.error.contains("printed.pdf"), qPrintable(outcome.error));

        // What Qt gives when the system has no printer at all.
        QPrinter absent;
        absent.setOutputFormat(QPrinter::PdfFormat);
        absent.setOutputFileName({});
        outcome = printOn(absent, kShort);
        QVERIFY(outcome.failed());
        QVERIFY2(outcome.error.contains(QStringLiteral("Принтер не найден")), qPrintable(outcome.error));

        const QString pdf = m_dir.filePath("no such folder/card.pdf");
        outcome = savePdf(pdf, kShort);
        QVERIFY(outcome.failed());
        QVERIFY2(outcome.error.contains(pdf), qPrintable(outcome.error));
        QVERIFY(!QFile::exists(pdf));
    }

    void previewOffersTheChartPage() {
        const Report none = [](QWidget*, const Outcome&) { QFAIL("nothing failed"); };
        CardPreview plain(kShort, none);
        plain.show();
        QVERIFY(!plain.chkchart->isVisible());
        QCOMPARE(plain.pageCount(), 1);

        Card card = kShort;
        card.chartPage = [](QPainter& p, const QRectF& area) { p.fillRect(area, Qt::gray); };
        CardPreview preview(card, none);
        preview.show();
        QVERIFY(preview.chkchart->isVisible());
        QVERIFY(!preview.chkchart->isChecked());
        QCOMPARE(preview.pageCount(), 1);
        QVERIFY2(uicheck::problems(&preview).isEmpty(), qPrintable(uicheck::problems(&preview).join(u'\n')));
        // Sized to the screen it opens on.
        const QRect screen = preview.screen()->availableGeometry();
        QVERIFY2(screen.contains(preview.geometry()),
                 qPrintable(QString("%1x%2").arg(preview.width()).arg(preview.height())));

        QList<bool> printed;
        const auto record = [&](QWidget*, const Card& c) {
            printed << c.printsChart();
            return Outcome{};
        };
        preview.setPrintAction(record);
        preview.setSaveAction(record);
        preview.chkchart->click();
        QCOMPARE(preview.pageCount(), 2);
        preview.cmdpdf_Click();
        // The toolbar's own print button prints the program's way.
        const QString print = QCoreApplication::translate("QPrintPreviewDialog", "Print");
        for (QAction* a : preview.findChild<QToolBar*>()->actions())
            if (a->text() == print)
                a->trigger();
        QVERIFY(preview.isHidden()); // printed: the preview closes
        preview.chkchart->click();
        QCOMPARE(preview.pageCount(), 1);
        preview.cmdprint_Click();
        QCOMPARE(printed, (QList<bool>{true, true, false}));
    }

    // A preview fits the free area of any screen, centred on it.
    void previewFitsTheScreen_data() {
        QTest::addColumn<QRect>("available");
        QTest::newRow("1366 x 768 under a panel") << QRect(0, 0, 1366, 738);
        QTest::newRow("800 x 600") << QRect(0, 0, 800, 600);
        QTest::newRow("1280 x 1024: as wanted") << QRect(0, 0, 1280, 1024);
        QTest::newRow("second screen") << QRect(1920, 40, 1366, 728);
    }
    void previewFitsTheScreen() {
        QFETCH(QRect, available);
        const QSize wanted(820, 1000);
        const QRect r = fittedGeometry(available, wanted);
        const QString shown = QString("%1,%2 %3x%4").arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height());
        // Room above for a title bar of 30 pixels; never larger than wanted; centred.
        QVERIFY2(available.contains(r.adjusted(0, -30, 0, 0)) && wanted.boundedTo(r.size()) == r.size(),
                 qPrintable(shown));
        QVERIFY2((r.center() - available.center()).manhattanLength() <= 1, qPrintable(shown));
        QVERIFY2(r.height() >= available.height() * 0.85 || r.size() == wanted, qPrintable(shown));
    }

    // The print dialog's tab starts from the card's choice; a card without a chart has none.
    void printDialogTab_data() {
        QTest::addColumn<bool>("chosen");
        QTest::newRow("off") << false;
        QTest::newRow("on") << true;
    }
    void printDialogTab() {
        QFETCH(bool, chosen);
        QWidget parent;
        QCOMPARE(chartOptionTab(kShort, &parent), nullptr);
        Card card = kShort;
        card.chartPage = [](QPainter&, const QRectF&) {};
        card.withChart = chosen;
        QWidget* tab = chartOptionTab(card, &parent);
        QVERIFY(tab);
        auto* choice = tab->findChild<QCheckBox*>();
        QVERIFY(choice);
        QCOMPARE(choice->isChecked(), chosen);
        tab->resize(tab->sizeHint()); // as the dialog lays its tab out
        tab->layout()->activate();
        QVERIFY2(uicheck::problems(tab).isEmpty(), qPrintable(uicheck::problems(tab).join(u'\n')));
    }

    // A failure goes to the window's report, above the preview that stays open; the preview
    // (in the print module, with its own copy of the message seam) shows no message itself.
    void previewPrintsAndSaves() {
        QList<msgbox::Shown> shown;
        msgbox::setHandler([&](const msgbox::Shown& box) {
            shown << box;
            return msgbox::Answer::Ok;
        });
        QList<QPair<QWidget*, Outcome>> reported;
        CardPreview preview(kLong, [&](QWidget* over, const Outcome& o) { reported.append({over, o}); });
        QCOMPARE(preview.pageCount(), 2);

        QString path = m_dir.filePath("preview.pdf");
        preview.setSaveAction([&](QWidget*, const Card& card) { return savePdf(path, card); });
        preview.cmdpdf_Click();
        QVERIFY(QFile::exists(path));
        QVERIFY(reported.isEmpty());

        path = m_dir.filePath("no such folder/preview.pdf");
        preview.cmdpdf_Click();
        QCOMPARE(reported.size(), 1);
        QCOMPARE(reported[0].first, &preview);
        QVERIFY(reported[0].second.failed());
        QVERIFY2(reported[0].second.error.contains(path), qPrintable(reported[0].second.error));

        preview.setPrintAction([](QWidget*, const Card&) { return Outcome{Outcome::Kind::Cancelled, {}}; });
        preview.cmdprint_Click();
        QCOMPARE(reported.size(), 1);
        QVERIFY(shown.isEmpty());
    }

  private:
    QTemporaryDir m_dir;
};

QTEST_MAIN(CardPrintTest)
#include "tst_cardprint.moc"
