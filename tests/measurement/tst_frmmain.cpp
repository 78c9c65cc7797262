#include "common/colours.h"
#include "common/widgets.h"
#include "gridrows.h"
#include "help/frmhelp.h"
#include "mainui.h"
#include "measurement/commandline.h"
#include "measurement/frmoption.h"
#include "measurement/gauge.h"
#include "measurement/pointgrid.h"
#include "measurement/startfiles.h"
#include "tempfolder.h"
#include "uicheck.h"
#include <QAccessible>
#include <QImage>

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QtTest>
#include <memory>

namespace {

int visibleRows(const MainUi& w) {
    int n = 0;
    for (int r = 0; r < catalogue::kRows; ++r) {
        const bool v = w.grid->lblnumber[r]->isVisibleTo(w.Frame2);
        if (v != w.grid->txtmax[r]->isVisibleTo(w.Frame2) || v != w.grid->txtpad[r]->isVisibleTo(w.Frame2))
            return -1; // a row must show or hide as a whole
        if (v && n != r)
            return -2; // visible rows are the top ones
        n += v;
    }
    return n;
}

} // namespace

class MainWindowTest : public QObject {
    Q_OBJECT

    std::unique_ptr<TempFolder> folder;
    std::unique_ptr<MessageLog> log;
    std::unique_ptr<MainUi> w;

    void start(const QString& ini = QStringLiteral("13\r\n")) {
        folder->write("taven.ini", ini);
        w = std::make_unique<MainUi>(folder->work());
        w->Form_Load();
        w->show();
    }
    void chooseMeridian(const QString& name) {
        w->cbomeridian->setCurrentIndex(w->cbomeridian->findText(name));
        w->cbomeridian_Click();
    }
    QString functionText() const { return w->txtfunction->toPlainText(); }

  private slots:
    void init() {
        folder = std::make_unique<TempFolder>();
        log = std::make_unique<MessageLog>();
        folder->writeNumberedFunctionFile();
        folder->writeMedicationFile();
    }
    void cleanup() {
        w.reset();
        log.reset();
        folder.reset();
    }

    void startUpState() {
        start();
        QVERIFY2(log->shown.isEmpty(), qPrintable(log->shown.value(0).text));
        QCOMPARE(w->windowTitle(), QStringLiteral("Диагностика по Тавену"));
        QVERIFY(w->session().strRezult.isEmpty());
        QCOMPARE(w->Frame1->lblmax->text(), QStringLiteral("0"));
        QCOMPARE(w->Frame1->lblpad->text(), QStringLiteral("0"));
        QCOMPARE(w->Frame1->lblpower->width(), 0);
        QCOMPARE(w->cbomeridian->count(), 21);
        QCOMPARE(w->cbomeridian->currentText(), QStringLiteral("Лимфатический"));
        QVERIFY(w->optleft->isChecked() && !w->optright->isChecked());
        QVERIFY(w->optdiagnoz->isChecked());
        QCOMPARE(w->property("intright").toInt(), 0);
        QCOMPARE(visibleRows(*w), 11);
        QCOMPARE(w->grid->lblnumber[10]->text(), QStringLiteral("1"));
        QCOMPARE(w->grid->lblnumber[0]->text(), QStringLiteral("5"));
        QCOMPARE(w->grid->lblnumber[8]->toolTip(),
                 QStringLiteral("КТИ.лимфоэпителиальное глоточное кольцо Пирогова-Вальдейера"));
        QCOMPARE(highlightedRows(*w), QList<int>{10});
        QCOMPARE(w->property("number").toInt(), 10);
        QCOMPARE(functionText(), QStringLiteral("L0"));
        QCOMPARE(w->frapoint->title(), QStringLiteral("Функция точки"));
        QVERIFY(w->txtfunction->isVisibleTo(w.get()));
        QVERIFY(!w->lstpreparat->isVisibleTo(w.get()) && !w->cmdaddcard->isVisibleTo(w.get()));
        QVERIFY(!w->lblVega->isVisibleTo(w.get()));
        QVERIFY(w->txtfunction->isReadOnly());
        QVERIFY(!w->Timer1.isActive() && !w->Timer2.isActive());
        QCOMPARE(w->options()->lbldown->text(), QStringLiteral("1"));
        QCOMPARE(w->options()->lblvega->text(), QStringLiteral("1"));
    }

    void layoutInPixels() {
        start();
        // Twips / 15.
        QCOMPARE(w->size(), QSize(579, 467));
        QCOMPARE(w->cmdclient->geometry(), QRect(384, 8, 81, 25));
        QCOMPARE(w->cmdoptions->geometry(), QRect(488, 72, 81, 25));
        QCOMPARE(w->pic->geometry(), QRect(6, 32, 166, 265));
        // The point column sits in the point frame where the layout puts it.
        auto inFrame = [this](const QWidget* c) { return QRect(c->mapTo(w->Frame2, QPoint()), c->size()); };
        QCOMPARE(inFrame(w->grid->lblnumber[3]), QRect(256, 112, 33, 16));
        QCOMPARE(inFrame(w->grid->txtpad[13]), QRect(320, 272, 33, 16));
        QCOMPARE(inFrame(w->label(1)).topLeft(), QPoint(256, 48));
        QVERIFY2(inFrame(w->label(3)).right() < w->Frame2->width(), "the header leaves the frame");
        QCOMPARE(w->frapoint->geometry(), QRect(384, 152, 185, 305));
        QCOMPARE(w->cmdclient->text(), QStringLiteral("Карта"));
        QCOMPARE(w->cmdclient->toolTip(), QStringLiteral("Выбор пациента"));
        QCOMPARE(w->cmdmedicam->toolTip(), QStringLiteral("Операции над медикаментами"));
        QCOMPARE(w->cmdsave->toolTip(), QStringLiteral("Сохранение результатов измерений"));
        QCOMPARE(w->cmdoptions->toolTip(), QStringLiteral("Параметры измерения"));
        QCOMPARE(w->cmdaddcard->toolTip(), QStringLiteral("Добавить препарат в карту"));
        QCOMPARE(w->cmdhelp->text(), QStringLiteral("Справка"));
        QCOMPARE(w->label(0)->text(), QStringLiteral("Сторона:"));
        QCOMPARE(w->label(3)->text(), QStringLiteral("паден"));
        // The scale: tick k at x = 200 + 100k twips, numbers centred over every fifth tick.
        for (int k = 0; k < modes::kTicks; ++k)
            QCOMPARE(Gauge::tickRect(k).x(), (200 + 100 * k) / 15);
        QVERIFY(Gauge::tickRect(5).height() > Gauge::tickRect(6).height());
        for (int k = 0; k < modes::kNumbers; ++k) {
            QCOMPARE(Gauge::numberText(k), QString::number(10 * k));
            QVERIFY2(qAbs(Gauge::numberRect(k).center().x() - Gauge::tickRect(5 * k).x()) <= 1,
                     qPrintable(QString::number(k)));
        }
    }

    // Every mode brings its own captions and items; each must fit, and every control
    // must have a name a screen reader can say.
    void captionsFitAndControlsAreNamed() {
        start();
        for (QRadioButton* mode : {w->opttest, w->opthand, w->optdiagnoz}) {
            mode->setChecked(true);
            const QStringList found = uicheck::problems(w.get());
            QVERIFY2(found.isEmpty(), qPrintable(mode->text() + u'\n' + found.join(u'\n')));
        }
        // The grid's boxes are named after the point of their row, which follows the meridian.
        auto name = [](QWidget* x) {
            return QAccessible::queryAccessibleInterface(x)->text(QAccessible::Name);
        };
        QCOMPARE(name(w->grid->txtmax[10]), QStringLiteral("точка 1, макс."));
        QCOMPARE(name(w->grid->txtpad[8]), QStringLiteral("точка 1.2, паден."));
        chooseMeridian("Легкие");
        QCOMPARE(name(w->grid->txtmax[10]), QStringLiteral("точка 11, макс."));
        QCOMPARE(name(w->grid->lblnumber[10]), QStringLiteral("точка 11"));
        // Named for what it chooses, not by the meridian it shows.
        QCOMPARE(name(w->cbomeridian), QStringLiteral("Меридиан"));
        QCOMPARE(QAccessible::queryAccessibleInterface(w->cbomeridian)->text(QAccessible::Value),
                 QStringLiteral("Легкие"));
        // The list is labelled by its caption, which follows the mode.
        w->opthand->setChecked(true);
        const auto labels =
            QAccessible::queryAccessibleInterface(w->cbomeridian)->relations(QAccessible::Label);
        QCOMPARE(labels.size(), 1);
        QCOMPARE(labels[0].first->text(QAccessible::Name), QStringLiteral("Ответвления"));
        QCOMPARE(w->cbomeridian->accessibleName(), QStringLiteral("Ответвления"));
    }

    // F1 opens the help, the context menu names the version, and the window reopens where
    // it was left.
    void desktopConventions() {
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, folder->path() + "/config");
        start();
        w->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(w.get()));
        QTest::keyClick(w.get(), Qt::Key_F1);
        auto* help = w->findChild<frmHelp*>();
        QVERIFY(help && help->isVisible());
        help->close();
        w->actions().value(0)->trigger();
        QCOMPARE(log->shown.size(), 1);
        QVERIFY2(log->shown[0].text.contains("Версия " + commandline::version()),
                 qPrintable(log->shown[0].text));
        w->move(140, 60);
        QVERIFY(w->close());
        start();
        QCOMPARE(w->pos(), QPoint(140, 60));
    }

    void scaleColoursFollowTheMode() {
        start();
        auto tick = [this](int k) { return w->Frame1->tickColour(k); };
        auto number = [this](int k) { return colours::toQColor(w->Frame1->numberColour(k)); };
        QCOMPARE(tick(20), colours::kBlue);
        QCOMPARE(tick(25), colours::kDarkGreen);
        QCOMPARE(tick(30), colours::kRed);
        QCOMPARE(number(5), colours::toQColor(colours::kDarkGreen));
        w->opthand->setChecked(true);
        QCOMPARE(tick(39), colours::kBlue);
        QCOMPARE(tick(41), colours::kDarkGreen);
        QCOMPARE(tick(43), colours::kRed);
        QCOMPARE(number(8), colours::toQColor(colours::kDarkGreen));
        QCOMPARE(number(5), colours::toQColor(colours::kBlue));
        w->opttest->setChecked(true);
        QCOMPARE(tick(25), colours::kDarkGreen);
        QCOMPARE(number(9), colours::toQColor(colours::kRed));
    }

    void selectionByClick() {
        start();
        QTest::mouseClick(w->grid->lblnumber[3], Qt::LeftButton);
        QCOMPARE(highlightedRows(*w), QList<int>{3});
        QCOMPARE(w->property("number").toInt(), 3);
        QCOMPARE(functionText(), QStringLiteral("L7"));
        QTest::mouseClick(w->grid->txtpad[5], Qt::LeftButton);
        QCOMPARE(highlightedRows(*w), QList<int>{5});
        QTest::mouseClick(w->grid->txtmax[0], Qt::LeftButton);
        QCOMPARE(w->property("number").toInt(), 0);
        QCOMPARE(functionText(), QStringLiteral("L10"));
        // A click is no move of the probe's cursor.
        QCOMPARE(w->property("Index").toInt(), 10);
    }

    void controlPointSelection() {
        start();
        w->chkkti->setChecked(true);
        QTest::mouseClick(w->grid->lblnumber[2], Qt::LeftButton);
        QCOMPARE(highlightedRows(*w), QList<int>{8});
        QCOMPARE(w->property("number").toInt(), 8);
        QCOMPARE(functionText(), QStringLiteral("L2"));
        chooseMeridian("Почки");
        QCOMPARE(highlightedRows(*w), QList<int>{10});
        QCOMPARE(functionText(), QStringLiteral("L321"));
        w->optright->setChecked(true);
        QCOMPARE(functionText(), QStringLiteral("L335"));
    }

    void sideChanges() {
        start();
        chooseMeridian("Почки");
        QCOMPARE(visibleRows(*w), 14);
        QTest::mouseClick(w->grid->lblnumber[4], Qt::LeftButton);
        QTest::mouseClick(w->optright, Qt::LeftButton);
        QVERIFY(w->optright->isChecked() && !w->optleft->isChecked());
        QCOMPARE(w->property("intright").toInt(), 14);
        QCOMPARE(w->property("Index").toInt(), 13);
        QCOMPARE(highlightedRows(*w), QList<int>{13});
        QCOMPARE(functionText(), QStringLiteral("L332"));
        chooseMeridian("Мочевой пузырь");
        QCOMPARE(visibleRows(*w), 13);
        QTest::mouseClick(w->grid->lblnumber[0], Qt::LeftButton);
        QCOMPARE(functionText(), QStringLiteral("L371"));
        chooseMeridian("Селезенка");
        QTest::mouseClick(w->grid->lblnumber[8], Qt::LeftButton);
        QCOMPARE(functionText(), QStringLiteral("L200"));
        w->optleft->setChecked(true);
        QCOMPARE(w->property("intright").toInt(), 0);
        QCOMPARE(functionText(), QStringLiteral("L200"));
        chooseMeridian("Жировая дегенерация");
        QCOMPARE(visibleRows(*w), 4);
        chooseMeridian("Аллергия или сосуд. дегенерация");
        QTest::mouseClick(w->grid->lblnumber[0], Qt::LeftButton);
        QCOMPARE(w->grid->lblnumber[0]->text(), QStringLiteral("2"));
        QCOMPARE(functionText(), QStringLiteral("L108"));
    }

    void manualCorrectionWritesTheMatrix() {
        start();
        chooseMeridian("Легкие");
        QTest::keyClick(w->grid->txtpad[3], Qt::Key_1);
        QTest::keyClick(w->grid->txtpad[3], Qt::Key_2);
        QCOMPARE(w->session().strRezult.cell(1, 3), QStringLiteral(" 12"));
        QTest::keyClick(w->grid->txtmax[3], Qt::Key_4);
        QTest::keyClick(w->grid->txtmax[3], Qt::Key_5);
        QCOMPARE(w->grid->txtmax[3]->text(), QStringLiteral("45"));
        QCOMPARE(w->session().strRezult.cell(1, 3), QStringLiteral("45 12"));
        // Keypad digits and letters leave the box alone but still rewrite the element.
        QTest::keyClick(w->grid->txtmax[3], Qt::Key_7, Qt::KeypadModifier);
        QTest::keyClick(w->grid->txtmax[3], Qt::Key_A);
        QCOMPARE(w->grid->txtmax[3]->text(), QStringLiteral("45"));
        w->session().strRezult.cell(1, 3) = QStringLiteral("stale");
        QTest::keyClick(w->grid->txtmax[3], Qt::Key_A);
        QCOMPARE(w->session().strRezult.cell(1, 3), QStringLiteral("45 12"));
        QTest::keyClick(w->grid->txtmax[3], Qt::Key_Delete);
        QCOMPARE(w->session().strRezult.cell(1, 3), QStringLiteral(" 12"));
        QTest::keyClick(w->grid->txtpad[3], Qt::Key_Delete);
        QCOMPARE(w->session().strRezult.cell(1, 3), QStringLiteral(" "));
        // The right side writes its own columns.
        w->optright->setChecked(true);
        QTest::keyClick(w->grid->txtmax[2], Qt::Key_9);
        QCOMPARE(w->session().strRezult.cell(1, 16), QStringLiteral("9 "));
        QCOMPARE(w->session().strRezult.cell(1, 2), QString());
        // A figure past 100 is refused and said; Backspace takes the last digit off.
        QTest::keyClicks(w->grid->txtpad[2], "150");
        QCOMPARE(w->grid->txtpad[2]->text(), QStringLiteral("15"));
        QCOMPARE(log->shown.size(), 1);
        QCOMPARE(log->shown[0].text, QStringLiteral("Падение не может быть больше 100."));
        QTest::keyClick(w->grid->txtpad[2], Qt::Key_Backspace);
        QCOMPARE(w->session().strRezult.cell(1, 16), QStringLiteral("9 1"));
        // Typing does not select the row.
        QCOMPARE(highlightedRows(*w), QList<int>{10});
        // A row the column does not have is refused, by the handlers and by the grid.
        const session::ResultsMatrix before = w->session().strRezult;
        for (int row : {-1, catalogue::kRows, 1000}) {
            w->txtmax_KeyDown(row, 53, 0);
            w->txtpad_KeyDown(row, 46, 0);
            QCOMPARE(w->grid->edit(row, true, 53), QString());
            w->grid->showResult(row, 40, 15);
        }
        QVERIFY(w->session().strRezult == before);
    }

    void gridShowsTheStoredSide() {
        start();
        w->session().strRezult.cell(0, 3) = QStringLiteral("85 12");
        w->session().strRezult.cell(0, 4) = QStringLiteral("40 -3");
        w->session().strRezult.cell(0, 14 + 3) = QStringLiteral("60 5");
        chooseMeridian("Лимфатический");
        QCOMPARE(w->grid->txtmax[3]->text(), QStringLiteral("85"));
        QCOMPARE(w->grid->txtpad[3]->text(), QStringLiteral("12"));
        QCOMPARE(w->grid->txtpad[4]->text(), QStringLiteral("-3"));
        w->optright->setChecked(true);
        QCOMPARE(w->grid->txtmax[3]->text(), QStringLiteral("60"));
        QCOMPARE(w->grid->txtmax[4]->text(), QString());
        QCOMPARE(w->grid->txtpad[4]->text(), QString());
        chooseMeridian("Легкие");
        QCOMPARE(w->grid->txtmax[3]->text(), QString());
    }

    void modeWindowStates() {
        start();
        chooseMeridian("Почки");
        w->opttest->setChecked(true);
        QVERIFY(!w->cmdsave->isEnabled());
        QCOMPARE(w->frapoint->title(), QStringLiteral("Медикаменты точки"));
        QVERIFY(w->lstpreparat->isVisibleTo(w.get()) && w->cmdaddcard->isVisibleTo(w.get()));
        QVERIFY(!w->txtfunction->isVisibleTo(w.get()));
        QCOMPARE(w->cbomeridian->currentText(), QStringLiteral("Лимфатический"));
        QCOMPARE(visibleRows(*w), 11);

        w->session().strRezult.cell(21, 0) = QStringLiteral("70 4");
        w->session().strRezult.cell(22, 0) = QStringLiteral("62 12");
        w->opthand->setChecked(true);
        QVERIFY(w->cmdsave->isEnabled());
        QVERIFY(w->opthand->isChecked() && !w->optdiagnoz->isChecked() && !w->opttest->isChecked());
        QCOMPARE(w->lblmerid->text(), QStringLiteral("Ответвления"));
        QVERIFY(!w->frapoint->isVisibleTo(w.get()));
        QVERIFY(!w->chkkti->isVisibleTo(w.get()) && !w->optleft->isVisibleTo(w.get()));
        QVERIFY(!w->label(1)->isVisibleTo(w.get()));
        QCOMPARE(visibleRows(*w), 0);
        QCOMPARE(w->cbomeridian->count(), 4);
        QCOMPARE(w->cbomeridian->currentText(), QStringLiteral("Рука-рука"));
        QCOMPARE(w->Frame1->lblmax->text(), QStringLiteral("70"));
        QCOMPARE(w->Frame1->lblpad->text(), QStringLiteral("4"));
        chooseMeridian("Нога-нога");
        QCOMPARE(w->Frame1->lblmax->text(), QStringLiteral("62"));
        QCOMPARE(w->Frame1->lblpad->text(), QStringLiteral("12"));
        chooseMeridian("Левая рука-нога");
        QCOMPARE(w->Frame1->lblmax->text(), QString());
        QCOMPARE(w->Frame1->lblpad->text(), QString());
        w->session().strRezult.cell(24, 0) = QStringLiteral("77"); // an edited card: no blank
        chooseMeridian("Правая рука-нога");
        QCOMPARE(w->Frame1->lblmax->text(), QStringLiteral("77"));
        QCOMPARE(w->Frame1->lblpad->text(), QString());

        w->optdiagnoz->setChecked(true);
        QCOMPARE(w->lblmerid->text(), QStringLiteral("Меридиан"));
        QVERIFY(w->frapoint->isVisibleTo(w.get()) && w->txtfunction->isVisibleTo(w.get()));
        QVERIFY(!w->lstpreparat->isVisibleTo(w.get()));
        QVERIFY(w->chkkti->isVisibleTo(w.get()) && w->label(0)->isVisibleTo(w.get()));
        QCOMPARE(visibleRows(*w), 11);
        QCOMPARE(w->cbomeridian->count(), 21);
        // The side survives a mode change.
        w->optright->setChecked(true);
        w->opthand->setChecked(true);
        w->optdiagnoz->setChecked(true);
        QVERIFY(w->optright->isChecked());
        QCOMPARE(w->property("intright").toInt(), 14);
    }

    void medicationsOfTheSelectedPoint() {
        start();
        w->opttest->setChecked(true);
        QCOMPARE(w->lstpreparat->count(), 1);
        QCOMPARE(w->lstpreparat->item(0)->text(), QStringLiteral("m0p1"));
        chooseMeridian("Жировая дегенерация");
        QTest::mouseClick(w->grid->lblnumber[0], Qt::LeftButton);
        QCOMPARE(w->lstpreparat->item(0)->text(), QStringLiteral("m17p4"));
        QTest::mouseClick(w->grid->lblnumber[3], Qt::LeftButton);
        QCOMPARE(w->lstpreparat->item(0)->text(), QStringLiteral("m17p1"));
        QCOMPARE(w->lstpreparat->currentRow(), -1);
        w->chkkti->setChecked(true);
        QTest::mouseClick(w->grid->lblnumber[0], Qt::LeftButton);
        QCOMPARE(w->lstpreparat->item(0)->text(), QStringLiteral("m17p2"));
        // Every selection starts a new pending prescription.
        w->session().strRecept = QStringLiteral("\r\nX");
        w->optright->setChecked(true);
        QCOMPARE(w->session().strRecept, QString());
    }

    // The scale is painted by the frame: each tick and number where and in the colour the
    // mode gives it, also after a mode change.
    void scaleIsPainted() {
        start();
        w->show();
        auto painted = [this](const QPoint& p) { return w->Frame1->grab().toImage().pixelColor(p); };
        for (int k : {0, 25, 43, 50})
            QCOMPARE(painted(Gauge::tickRect(k).topLeft()), colours::toQColor(w->Frame1->tickColour(k)));
        w->opthand->setChecked(true);
        QCOMPARE(painted(Gauge::tickRect(43).topLeft()), colours::toQColor(colours::kRed));
        const QImage numbers = w->Frame1->grab(Gauge::numberRect(10)).toImage();
        bool inked = false;
        for (int y = 0; y < numbers.height() && !inked; ++y)
            for (int x = 0; x < numbers.width() && !inked; ++x)
                inked = numbers.pixelColor(x, y) == colours::toQColor(w->Frame1->numberColour(10));
        QVERIFY2(inked, "the number 100 is not painted in its colour");
    }

    // A visit loaded into the session by another window shows in the grid at once, for the
    // meridian and side on screen and for a branch item.
    void loadedVisitIsShown() {
        start();
        session::ResultsMatrix results;
        results.cell(0, 10) = QStringLiteral("50 5");
        results.cell(0, 14 + 10) = QStringLiteral("61 7");
        results.cell(22, 0) = QStringLiteral("62 12");
        w->session().loadVisit(session::Choice{}, results);
        QCOMPARE(w->grid->txtmax[10]->text(), QStringLiteral("50"));
        QCOMPARE(w->grid->txtpad[10]->text(), QStringLiteral("5"));
        w->optright->setChecked(true);
        QCOMPARE(w->grid->txtmax[10]->text(), QStringLiteral("61"));
        w->opthand->setChecked(true);
        w->cbomeridian->setCurrentIndex(1);
        w->cbomeridian_Click();
        results.cell(22, 0) = QStringLiteral("70 4");
        w->session().loadVisit(session::Choice{}, results);
        QCOMPARE(w->Frame1->lblmax->text(), QStringLiteral("70"));
        QCOMPARE(w->Frame1->lblpad->text(), QStringLiteral("4"));
    }

    // At start-up the first picture waits for the window's first paint, then comes at once.
    void firstPictureAfterTheFirstPaint() {
        folder->write("taven.ini", "13\r\n");
        w = std::make_unique<MainUi>(folder->work());
        w->drawMapAfterFirstPaint();
        w->Form_Load();
        QVERIFY(w->pic->image().isNull());
        w->show();
        QTRY_VERIFY(!w->pic->image().isNull());
        MainUi direct(folder->work());
        direct.Form_Load();
        QCOMPARE(w->pic->image(), direct.pic->image());
    }

    void bodyMapFollowsTheSelection() {
        start();
        const QColor red(255, 0, 0), green(0, 255, 0);
        auto at = [this](int x, int y) { return w->pic->image().pixelColor(x, y); };
        QTest::mouseClick(w->grid->lblnumber[1], Qt::LeftButton);
        QCOMPARE(at(74, 46), red);
        for (int r : {0, 2, 10})
            QCOMPARE(at(catalogue::mapPoints(0, true)[r].x(), catalogue::mapPoints(0, true)[r].y()), green);
        w->optright->setChecked(true);
        QTest::mouseClick(w->grid->lblnumber[1], Qt::LeftButton);
        QCOMPARE(at(88, 46), red);
        QCOMPARE(at(74, 46) == red, false);
        w->optleft->setChecked(true);
        w->chkkti->setChecked(true);
        chooseMeridian("Почки");
        QTest::mouseClick(w->grid->lblnumber[2], Qt::LeftButton);
        QCOMPARE(at(102, 209), red);
        QCOMPARE(at(30, 29), green);
        w->chkkti->setChecked(false);
        chooseMeridian("Селезенка");
        const QImage left = w->pic->image();
        w->optright->setChecked(true);
        QCOMPARE(w->pic->image(), left);

        // A branch item leaves picture and grid to the branch.
        w->session().strRezult.cell(0, 10) = QStringLiteral("50 5");
        w->opthand->setChecked(true);
        const QImage branch = w->pic->image();
        QVERIFY(branch != left);
        w->DrawPoints(3);
        QCOMPARE(w->pic->image(), branch);
        QCOMPARE(w->grid->txtmax[10]->text(), QString());
        QVERIFY2(log->shown.isEmpty(), qPrintable(log->shown.value(0).text));
    }

    void missingPictureIsToldOnce() {
        folder->remove("hand_l.bmp");
        start();
        for (int k = 0; k < 3; ++k)
            QTest::mouseClick(w->grid->lblnumber[k], Qt::LeftButton);
        QCOMPARE(log->shown.size(), 1);
        QVERIFY2(log->shown[0].text.contains("hand_l.bmp"), qPrintable(log->shown[0].text));
        QCOMPARE(w->pic->image().pixelColor(74, 46) == QColor(0, 255, 0), true);
    }

    void missingDataFilesAreReportedAndSurvived() {
        folder->remove("function.pnt");
        folder->remove("Database/medicam.nam");
        folder->remove("hand_l.bmp");
        w = std::make_unique<MainUi>(folder->work());
        w->Form_Load();
        QCOMPARE(log->shown.size(), 4);
        QStringList names = {"function.pnt", "medicam.nam", "taven.ini", "hand_l.bmp"};
        for (int k = 0; k < 4; ++k) {
            QCOMPARE(log->shown[k].title, QStringLiteral("Ошибка"));
            QVERIFY2(log->shown[k].text.contains(names[k]), qPrintable(log->shown[k].text));
        }
        QCOMPARE(functionText(), QString());
        QVERIFY(w->options()->oneTouch());
        QCOMPARE(w->options()->measuringMs(), 3000);
        w->opttest->setChecked(true);
        QCOMPARE(w->lstpreparat->count(), 0);
        chooseMeridian("Почки");
        QCOMPARE(highlightedRows(*w), QList<int>{13});
    }

    // Start-up reads the files before the window exists; the window takes that reading once,
    // and a later Form_Load reads the folder as it is then.
    void filesReadBeforeTheWindowAreTakenOnce() {
        folder->write("taven.ini", "32\r\n");
        StartFiles files = readStartFiles(folder->work());
        const QString text = files.functionLines.lines.value(0);
        folder->remove("function.pnt");
        folder->remove("Database/medicam.nam");
        folder->remove("taven.ini");
        w = std::make_unique<MainUi>(folder->work());
        w->useStartFiles(std::move(files));
        w->Form_Load();
        QCOMPARE(log->shown.size(), 0);
        QVERIFY(!text.isEmpty());
        QCOMPARE(w->property("strFunctionLine").toStringList().value(0), text);
        QCOMPARE(w->property("strini").toString(), QStringLiteral("32\r\n"));
        QCOMPARE(w->session().settings().measuringMs, 2000);
        w->Form_Load();
        QCOMPARE(log->shown.size(), 3);
        QCOMPARE(w->property("strFunctionLine").toStringList().value(0), QString());
    }

    void shortDataFilesGiveEmptyTexts() {
        folder->writeNumberedFunctionFile(100);
        folder->writeMedicationFile(3);
        start();
        chooseMeridian("Мочевой пузырь");
        QCOMPARE(functionText(), QString());
        w->opttest->setChecked(true);
        chooseMeridian("Мочевой пузырь");
        QCOMPARE(w->lstpreparat->count(), 0);
        chooseMeridian("Толстая кишка");
        QCOMPARE(w->lstpreparat->count(), 1);
        // Each short file is said once, at start.
        QCOMPARE(log->shown.size(), 2);
        QVERIFY2(log->shown[0].text.contains("function.pnt") && log->shown[0].text.contains("100 строк"),
                 qPrintable(log->shown[0].text));
        QVERIFY2(log->shown[1].text.contains("medicam.nam") && log->shown[1].text.contains("3 из 21"),
                 qPrintable(log->shown[1].text));
    }
};

QTEST_MAIN(MainWindowTest)
#include "tst_frmmain.moc"
