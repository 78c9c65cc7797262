// The body map in the picture box. It is told what to draw and asks nothing of the
// selection, which calls it.
#include "catalogue/bodymap.h"
#include "common/messages.h"
#include "common/widgets.h"
#include "measurement/frmmain.h"

void frmmain::drawBodyMap(int m, int Index, bool left, bool kti) {
    if (m_mapWaitsForPaint) {
        m_pendingMap = [this, m, Index, left, kti] { drawBodyMap(m, Index, left, kti); };
        return;
    }
    // "Селезенка" and "Поджелудочная железа" have one picture whatever the side; the
    // table already says so.
    pic->setImage(m_bodyMap->render(m, left, Index, kti));
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
