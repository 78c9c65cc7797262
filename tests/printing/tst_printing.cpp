#include "printing/printing.h"

#include <QFile>
#include <QPainter>
#include <QTemporaryDir>
#include <QtTest>

using namespace printing;

namespace {

const Card kCard{"Иванов Иван Иванович", "1950", "01.02.2024", "Головная боль", "Здоров", "Чай"};

QByteArray contents(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

class PrintingTest : public QObject {
    Q_OBJECT
  private slots:
    void initTestCase() { QVERIFY(m_dir.isValid()); }
    void cleanup() { setModules(std::nullopt); }

    // Without a usable module every call fails with a text naming it; nothing opens or is
    // written, and a preview reports nothing of its own.
    void withoutTheModule_data() {
        QTest::addColumn<QByteArray>("file"); // the module's contents; empty: no file at all
        QTest::addColumn<QString>("says");
        QTest::newRow("absent") << QByteArray() << QStringLiteral("не найден модуль печати");
        QTest::newRow("not a library")
            << QByteArray("not a library") << QStringLiteral("не удалось загрузить");
    }
    void withoutTheModule() {
        QFETCH(QByteArray, file);
        QFETCH(QString, says);
        const QString module =
            m_dir.filePath(QStringLiteral("%1/libtavenprint.so").arg(QTest::currentDataTag()));
        if (!file.isEmpty()) {
            QVERIFY(QDir().mkpath(QFileInfo(module).path()));
            QFile f(module);
            QVERIFY(f.open(QIODevice::WriteOnly) && f.write(file) == file.size());
        }
        setModules(QStringList{module});
        const QString pdf = m_dir.filePath(QStringLiteral("absent.pdf"));
        int reported = 0;
        const Report report = [&](QWidget*, const Outcome&) { ++reported; };
        for (const Outcome& o :
             {saveCardPdfTo(pdf, kCard), previewCard(nullptr, kCard, report), savePagesPdfTo(pdf, Pages{})}) {
            QVERIFY(o.failed());
            QVERIFY2(o.error.startsWith(QStringLiteral("Печать недоступна: ")), qPrintable(o.error));
            QVERIFY2(o.error.contains(says) && o.error.contains(module), qPrintable(o.error));
        }
        QCOMPARE(reported, 0);
        QVERIFY(!QFile::exists(pdf));
    }

    // The built module is found after a path that is not there, writes both PDFs, and its
    // own failures come back as text.
    void throughTheBuiltModule() {
        setModules(QStringList{m_dir.filePath(QStringLiteral("none/libtavenprint.so")),
                               QStringLiteral(TAVEN_BUILT_PRINT_MODULE)});
        const QString card = m_dir.filePath(QStringLiteral("card.pdf"));
        QCOMPARE(saveCardPdfTo(card, kCard).kind, Outcome::Kind::Done);
        QVERIFY(contents(card).startsWith("%PDF"));

        Pages pages;
        pages.count = 2;
        pages.title = QStringLiteral("График");
        QList<int> painted;
        pages.paint = [&](QPainter& p, const QRectF& area, int index) {
            p.drawRect(area.adjusted(10, 10, -10, -10));
            painted << index;
        };
        const QString chart = m_dir.filePath(QStringLiteral("chart.pdf"));
        QCOMPARE(savePagesPdfTo(chart, pages).kind, Outcome::Kind::Done);
        QVERIFY(contents(chart).startsWith("%PDF"));
        QCOMPARE(painted, (QList<int>{0, 1}));

        const QString nowhere = m_dir.filePath(QStringLiteral("no such folder/card.pdf"));
        const Outcome o = saveCardPdfTo(nowhere, kCard);
        QVERIFY(o.failed());
        QVERIFY2(o.error.contains(nowhere), qPrintable(o.error));
    }

    // Installed, the program sits in bin/ and the module in lib/taven/; from a build folder
    // they sit side by side.
    void foundBesideOrInstalled_data() {
        QTest::addColumn<QString>("moduleDir");
        QTest::newRow("beside the program") << "bin";
        QTest::newRow("installed library folder") << "lib/taven";
    }
    void foundBesideOrInstalled() {
        QFETCH(QString, moduleDir);
        QTemporaryDir root;
        QVERIFY(QDir(root.path()).mkpath("bin") && QDir(root.path()).mkpath(moduleDir));
        const QString built = QStringLiteral(TAVEN_BUILT_PRINT_MODULE);
        QVERIFY(QFile::copy(built, root.filePath(moduleDir + u'/' + QFileInfo(built).fileName())));
        setModules(modulesFor(root.filePath("bin")));
        const QString pdf = root.filePath(QStringLiteral("card.pdf"));
        const Outcome o = saveCardPdfTo(pdf, kCard);
        QVERIFY2(!o.failed(), qPrintable(o.error));
        QVERIFY(contents(pdf).startsWith("%PDF"));
    }

  private:
    QTemporaryDir m_dir;
};

QTEST_MAIN(PrintingTest)
#include "tst_printing.moc"
