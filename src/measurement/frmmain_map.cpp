// The body map in the picture box.
#include "catalogue/bodymap.h"
#include "common/messages.h"
#include "common/widgets.h"
#include "measurement/frmmain.h"

#include <QCheckBox>

void frmmain::drawBodyMap(int m, int Index) {
    if (m_mapWaitsForPaint) {
        m_pendingMap = [this, m, Index] { drawBodyMap(m, Index); };
        return;
    }
    // "Селезенка" and "Поджелудочная железа" have one picture whatever the side; the
    // table already says so.
    pic->setImage(m_bodyMap->render(m, leftSide(), Index, chkkti->isChecked()));
    tellMapProblems();
}

void frmmain::drawBranchPicture(int branch) {
    if (m_mapWaitsForPaint) {
        m_pendingMap = [this, branch] { drawBranchPicture(branch); };
        return;
    }
    pic->setImage(m_bodyMap->branch(branch));
    tellMapProblems();
}

void frmmain::tellMapProblems() {
    // Taken before the boxes are up: device events handled meanwhile may draw again.
    const QStringList problems = m_bodyMap->takeProblems();
    for (const QString& p : problems)
        msgbox::info(this, p);
}
