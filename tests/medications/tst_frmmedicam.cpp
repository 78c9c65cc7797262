#include "catalogue/catalogue.h"
#include "common/messages.h"
#include "common/text1251.h"
#include "common/workfolder.h"
#include "medications/frmmedicam.h"

#include "uicheck.h"
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>

#include <QtTest>
#include <memory>

namespace {

const QString kFile = QStringLiteral("Database/medicam.nam");

// A complete file with a head and a blank tail; point record k of meridian m lists "m<m>k<k>".
QByteArray completeFile() {
    QString out = QStringLiteral("head");
    for (int m = 0; m < catalogue::kMeridianCount; ++m) {
        out += "][" + catalogue::meridianName(m) + "\r\n";
        const int n = catalogue::pointCount(m);
        for (int k = 1; k <= n; ++k) {
            const auto p = catalogue::point(m, n - k);
            out +=
                "><" + p.number + ' ' + p.description + "\r\n" + QStringLiteral("m%1k%2\r\n").arg(m).arg(k);
        }
    }
    return cp1251::encode(out + "][\r\n\r\n");
}

QStringList texts(const QListWidget* l) {
    QStringList out;
    for (int i = 0; i < l->count(); ++i)
        out << l->item(i)->text();
    return out;
}

void clickRow(QListWidget* l, int row) {
    QTest::mouseClick(l->viewport(), Qt::LeftButton, {}, l->visualItemRect(l->item(row)).center());
}

} // namespace

class FrmMedicamTest : public QObject {
    Q_OBJECT
    std::unique_ptr<QTemporaryDir> m_tmp;
    QList<msgbox::Shown> m_shown;
    msgbox::Answer m_answer = msgbox::Answer::Yes;

    void put(const QByteArray& bytes) {
        QVERIFY(QDir(m_tmp->path()).mkpath("Database"));
        QFile f(m_tmp->filePath(kFile));
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(bytes);
    }
    QByteArray onDisk() const {
        QFile f(m_tmp->filePath(kFile));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("(missing)");
    }
    // An editor shown on the complete file with "new" added to meridian 0, point 0 by Enter.
    void openAndAdd(frmmedicam& w) {
        put(completeFile());
        w.show();
        QTest::keyClicks(w.txtadd, QStringLiteral("new"));
        QTest::keyClick(w.txtadd, Qt::Key_Return);
        QCOMPARE(texts(w.lstmedicam), QStringList({"m0k1", "new"}));
    }

  private slots:
    void init() {
        m_tmp = std::make_unique<QTemporaryDir>();
        m_shown.clear();
        m_answer = msgbox::Answer::Yes;
        msgbox::setHandler([this](const msgbox::Shown& s) {
            m_shown << s;
            return m_answer;
        });
    }
    void cleanup() { msgbox::setHandler({}); }

    void controlsNamedAndCaptionsFit() {
        frmmedicam w{WorkFolder(m_tmp->path())};
        QCOMPARE(w.windowTitle(), QStringLiteral("Медицинские препараты"));
        QCOMPARE(w.size(), QSize(7380 / 15, 5115 / 15));
        const QList<QWidget*> all{w.Label1, w.Label2, w.Label3,      w.txtadd,   w.cmdexit,
                                  w.cmdadd, w.cmddel, w.lstmeridian, w.lstpoint, w.lstmedicam};
        for (QWidget* c : all)
            QVERIFY2(!c->accessibleName().isEmpty(), c->metaObject()->className());
        for (QLabel* l : {w.Label1, w.Label2, w.Label3})
            QVERIFY2(l->fontMetrics().horizontalAdvance(l->text()) <= l->width(), qPrintable(l->text()));
        for (QPushButton* b : {w.cmdexit, w.cmdadd, w.cmddel})
            QVERIFY2(b->fontMetrics().horizontalAdvance(b->text()) + 8 <= b->width(), qPrintable(b->text()));
        const QStringList found = uicheck::problems(&w);
        QVERIFY2(found.isEmpty(), qPrintable(found.join(u'\n')));
        // Tab order: box, Выход, Добавить, Удалить, then the three lists.
        QWidget* at = w.txtadd;
        for (QWidget* next : {(QWidget*)w.cmdexit, (QWidget*)w.cmdadd, (QWidget*)w.cmddel,
                              (QWidget*)w.lstmeridian, (QWidget*)w.lstpoint, (QWidget*)w.lstmedicam}) {
            do // a list's viewport follows it in the chain
                at = at->nextInFocusChain();
            while (at->parentWidget() != &w);
            QCOMPARE(at, next);
        }
    }

    void everyShowingReadsTheFileAnew() {
        put(completeFile());
        frmmedicam w{WorkFolder(m_tmp->path())};
        w.show();
        QCOMPARE(w.lstmeridian->count(), catalogue::kMeridianCount);
        QCOMPARE(w.lstmeridian->currentRow(), 0);
        QCOMPARE(w.lstpoint->currentRow(), 0);
        QCOMPARE(texts(w.lstmedicam), QStringList{"m0k1"});
        clickRow(w.lstmeridian, 20);
        QCOMPARE(w.lstpoint->count(), catalogue::pointCount(20));
        QCOMPARE(w.lstpoint->currentRow(), 0);
        QCOMPARE(texts(w.lstmedicam), QStringList{"m20k1"});
        clickRow(w.lstpoint, 12);
        QCOMPARE(texts(w.lstmedicam), QStringList{"m20k13"});
        QTest::mouseClick(w.cmdexit, Qt::LeftButton);
        QVERIFY(!w.isVisible());
        // Changed behind the editor's back: the second showing has it, each meridian once.
        QByteArray edited = completeFile();
        edited.replace("m0k1\r\n", "m0k1\r\nother\r\n");
        put(edited);
        w.show();
        QCOMPARE(texts(w.lstmeridian), w.document().meridianNames());
        QCOMPARE(w.lstmeridian->count(), catalogue::kMeridianCount);
        QCOMPARE(w.lstmeridian->currentRow(), 0);
        QCOMPARE(texts(w.lstmedicam), QStringList({"m0k1", "other"}));
        QVERIFY2(m_shown.isEmpty(), qPrintable(m_shown.value(0).text));
    }

    void exitWritesOnlyAfterAChange() {
        frmmedicam w{WorkFolder(m_tmp->path())};
        put(completeFile());
        w.show();
        QTest::mouseClick(w.cmdexit, Qt::LeftButton);
        QCOMPARE(onDisk(), completeFile()); // head and tail kept
        openAndAdd(w);
        QTest::mouseClick(w.cmdexit, Qt::LeftButton);
        QVERIFY(!w.isVisible());
        QCOMPARE(onDisk(), w.document().serialise());
        QVERIFY(onDisk().startsWith("head][") && onDisk().endsWith("][\r\n\r\n"));
        QVERIFY(onDisk().contains("\r\nm0k1\r\nnew\r\n"));
    }

    void closeBoxAsksAfterAChange_data() {
        QTest::addColumn<msgbox::Answer>("answer");
        QTest::addColumn<bool>("written");
        QTest::addColumn<bool>("open");
        QTest::newRow("yes saves") << msgbox::Answer::Yes << true << false;
        QTest::newRow("no discards") << msgbox::Answer::No << false << false;
        QTest::newRow("cancel stays") << msgbox::Answer::Cancel << false << true;
    }
    void closeBoxAsksAfterAChange() {
        QFETCH(msgbox::Answer, answer);
        QFETCH(bool, written);
        QFETCH(bool, open);
        put(completeFile());
        frmmedicam w{WorkFolder(m_tmp->path())};
        w.show();
        w.close();
        QVERIFY2(m_shown.isEmpty(), "no change, no question");
        openAndAdd(w);
        m_answer = answer;
        w.close();
        QCOMPARE(m_shown.size(), 1);
        QVERIFY(m_shown[0].question && m_shown[0].cancel);
        QCOMPARE(w.isVisible(), open);
        QCOMPARE(onDisk().contains("\r\nnew\r\n"), written);
        if (open) {
            QVERIFY(w.document().changed());
            QCOMPARE(texts(w.lstmedicam), QStringList({"m0k1", "new"}));
        } else {
            w.show(); // the next opening shows what the file holds
            QCOMPARE(texts(w.lstmedicam), written ? QStringList({"m0k1", "new"}) : QStringList{"m0k1"});
        }
    }

    void deleteAsksWithNoTheDefault() {
        frmmedicam w{WorkFolder(m_tmp->path())};
        put(completeFile());
        w.show();
        QTest::mouseClick(w.cmddel, Qt::LeftButton);
        QCOMPARE(m_shown.size(), 1);
        QCOMPARE(m_shown[0].text, QStringLiteral("Препарат не выбран"));
        QCOMPARE(m_shown[0].title, QStringLiteral("Ошибка"));
        clickRow(w.lstmedicam, 0);
        m_answer = msgbox::Answer::No;
        QTest::mouseClick(w.cmddel, Qt::LeftButton);
        QCOMPARE(m_shown.size(), 2);
        QCOMPARE(m_shown[1].text,
                 "Вы действительно хотите удалить лекарственное средство?\n\nПрепарат: m0k1\nТочка: " +
                     w.lstpoint->item(0)->text());
        QCOMPARE(m_shown[1].title, QStringLiteral("Удаление лекарственного средства"));
        QVERIFY(m_shown[1].question && m_shown[1].defaultNo && !m_shown[1].cancel);
        QCOMPARE(texts(w.lstmedicam), QStringList{"m0k1"});
        w.close();
        QCOMPARE(m_shown.size(), 2); // nothing changed, so nothing to ask
        QCOMPARE(onDisk(), completeFile());
        w.show();
        clickRow(w.lstmedicam, 0);
        m_answer = msgbox::Answer::Yes;
        QTest::mouseClick(w.cmddel, Qt::LeftButton);
        QVERIFY(w.lstmedicam->count() == 0);
        QVERIFY(w.document().changed());
    }

    void refusedNamesAreSaid_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("said");
        QTest::newRow("empty") << QString()
                               << QStringLiteral("Введите название нового лекарственного средства");
        QTest::newRow("blanks") << QStringLiteral("   ")
                                << QStringLiteral("Введите название нового лекарственного средства");
        QTest::newRow("marker") << QStringLiteral("a][b") << QStringLiteral("][");
    }
    void refusedNamesAreSaid() {
        QFETCH(QString, typed);
        QFETCH(QString, said);
        put(completeFile());
        frmmedicam w{WorkFolder(m_tmp->path())};
        w.show();
        QTest::keyClicks(w.txtadd, typed);
        QTest::mouseClick(w.cmdadd, Qt::LeftButton);
        QCOMPARE(m_shown.size(), 1);
        QVERIFY2(m_shown[0].text.contains(said), qPrintable(m_shown[0].text));
        QCOMPARE(m_shown[0].title, QStringLiteral("Ошибка"));
        QCOMPARE(w.txtadd->text(), typed); // kept for mending
        QCOMPARE(texts(w.lstmedicam), QStringList{"m0k1"});
        QVERIFY(!w.document().changed());
    }

    void failedWriteKeepsTheChange() {
        frmmedicam w{WorkFolder(m_tmp->path())};
        openAndAdd(w);
        // A folder where the file should be: the write cannot replace it.
        QVERIFY(QFile::remove(m_tmp->filePath(kFile)));
        QVERIFY(QDir(m_tmp->path()).mkpath(kFile));
        QTest::mouseClick(w.cmdexit, Qt::LeftButton);
        QCOMPARE(m_shown.size(), 1);
        QVERIFY2(m_shown[0].text.contains("medicam.nam"), qPrintable(m_shown[0].text));
        QVERIFY(w.isVisible());
        QVERIFY(w.document().changed());
        QVERIFY(QDir(m_tmp->filePath(kFile)).removeRecursively());
        QTest::mouseClick(w.cmdexit, Qt::LeftButton);
        QVERIFY(!w.isVisible());
        QVERIFY(onDisk().contains("\r\nnew\r\n"));
    }

    void brokenFileIsSaidOnceAndShownMended() {
        put(completeFile().left(completeFile().indexOf("m5k2")));
        frmmedicam w{WorkFolder(m_tmp->path())};
        w.show();
        QCOMPARE(m_shown.size(), 1);
        QVERIFY2(m_shown[0].text.contains("medicam.nam"), qPrintable(m_shown[0].text));
        QCOMPARE(m_shown[0].title, QStringLiteral("Ошибка"));
        QCOMPARE(w.lstmeridian->count(), catalogue::kMeridianCount);
        clickRow(w.lstmeridian, 20);
        QCOMPARE(w.lstpoint->count(), catalogue::pointCount(20));
        QCOMPARE(w.lstpoint->item(0)->text().section(' ', 0, 0),
                 catalogue::point(20, catalogue::pointCount(20) - 1).number);
    }
};

QTEST_MAIN(FrmMedicamTest)
#include "tst_frmmedicam.moc"
