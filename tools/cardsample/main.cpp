// Writes two sample printed cards as PDF for review: a short one that fits its page and
// one whose long texts continue on further pages.
// Usage: cardsample [folder]   (docs/ of the source tree by default)
#include "printing/cardprintui.h"

#include <QDir>
#include <QGuiApplication>
#include <QTextStream>

namespace {

QString numbered(int count, const QString& text) {
    QStringList lines;
    for (int i = 1; i <= count; ++i)
        lines << QStringLiteral("%1. %2").arg(i).arg(text);
    return lines.join(QStringLiteral("\r\n"));
}

printing::Card shortCard() {
    return {QStringLiteral("Иванова Мария Петровна"),
            QStringLiteral("1958"),
            QStringLiteral("12.03.2024"),
            QStringLiteral("Головные боли по утрам, слабость.\r\nПлохой сон."),
            QStringLiteral("Снижение функции печени и желчного пузыря."),
            QStringLiteral("Режим сна, прогулки.\r\nHepar compositum\r\nNux vomica")};
}

printing::Card longCard() {
    const QString sentence = QStringLiteral("Боли в пояснице, усиливаются к вечеру и после нагрузки; "
                                            "отдают в правую ногу, стихают в покое и после тепла.");
    return {QStringLiteral("Сидоров Алексей Николаевич"),
            QStringLiteral("1971"),
            QStringLiteral("05.06.2024"),
            numbered(14, sentence),
            numbered(9, QStringLiteral("Нарушение по меридиану почек, слева ниже нормы.")),
            numbered(30, QStringLiteral("Препарат по тестированию, по 5 капель три раза в день."))};
}

} // namespace

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    const QDir dir(argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(TAVEN_DOCS_DIR));
    QTextStream err(stderr);
    const QList<QPair<QString, printing::Card>> cards{{QStringLiteral("card_short.pdf"), shortCard()},
                                                      {QStringLiteral("card_long.pdf"), longCard()}};
    for (const auto& [name, card] : cards) {
        const printing::Outcome outcome = printing::savePdf(dir.filePath(name), card);
        if (outcome.failed()) {
            err << outcome.error << Qt::endl;
            return 1;
        }
    }
    return 0;
}
