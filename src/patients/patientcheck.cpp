#include "patients/patientcheck.h"

#include "common/text1251.h"

namespace patients {

namespace {

Error badText(const QString& message) {
    return {Fault::BadText, message};
}

// The separators a card text must not hold: its visit record's.
bool isCardSeparator(QChar c) {
    return c == kVisitField || c == kVisitEnd;
}

QString where(const QString& text, qsizetype at) {
    const int line = int(text.left(at).count(u'\n')) + 1;
    const qsizetype lineStart = text.lastIndexOf(u'\n', at - 1) + 1;
    return QStringLiteral("строка %1, позиция %2").arg(line).arg(at - lineStart + 1);
}

} // namespace

Error checkIndexText(const QString& text, const QString& what) {
    if (text.contains(u'\r') || text.contains(u'\n'))
        return badText(QStringLiteral("Перевод строки нельзя использовать в поле \"%1\"").arg(what));
    for (QChar c : {QChar(kRecordEnd), QChar(kFieldEnd)})
        if (text.contains(c))
            return badText(QStringLiteral("Знак \"%1\" нельзя использовать в поле \"%2\"").arg(c).arg(what));
    const qsizetype bad = cp1251::firstUnencodable(text);
    if (bad >= 0)
        return badText(
            QStringLiteral("Знак \"%1\" в поле \"%2\" нельзя сохранить в карте").arg(text[bad]).arg(what));
    return {};
}

qsizetype firstCardRefusal(const QString& text) {
    for (qsizetype k = 0; k < text.size(); ++k)
        if (isCardSeparator(text[k]))
            return k;
    return cp1251::firstUnencodable(text);
}

Error checkCardText(const QString& text, const QString& what) {
    const qsizetype bad = firstCardRefusal(text);
    if (bad < 0)
        return {};
    const QString message = isCardSeparator(text[bad])
                                ? QStringLiteral("Знак \"%1\" нельзя использовать в поле \"%2\" (%3)")
                                : QStringLiteral("Знак \"%1\" в поле \"%2\" (%3) нельзя сохранить в карте");
    return badText(message.arg(text[bad]).arg(what, where(text, bad)));
}

Error checkResults(const session::ResultsMatrix& results, const session::ResultsMatrix& asRead) {
    for (int r = 0; r < session::kResultRows; ++r)
        for (int c = 0; c < session::kResultColumns; ++c) {
            const QString& cell = results.cell(r, c);
            if (cell == asRead.cell(r, c))
                continue;
            for (QChar ch : cell)
                if (ch == kCellEnd || isCardSeparator(ch) || ch == u'\r' || ch == u'\n' ||
                    cp1251::firstUnencodable(QString(ch)) >= 0)
                    return badText(QStringLiteral("Результат \"%1\" нельзя сохранить в карте").arg(cell));
        }
    return {};
}

Error checkSaveTarget(const session::Choice& chosen, const session::Choice& loaded) {
    if (!chosen.hasPatient())
        return {Fault::NoPatient, kNoPatient};
    if (!chosen.hasVisit() || !loaded.hasVisit() || loaded.cardFile != chosen.cardFile ||
        loaded.visit != chosen.visit || loaded.visitDate != chosen.visitDate || loaded.token != chosen.token)
        return {Fault::NoVisit, kNoVisit};
    return {};
}

} // namespace patients
