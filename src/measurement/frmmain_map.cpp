// The body map in the picture box.
#include "catalogue/bodymap.h"
#include "common/widgets.h"
#include "measurement/frmmain.h"

#include <QCheckBox>

void frmmain::drawBodyMap(int m, int Index) {
    // "Селезенка" and "Поджелудочная железа" have one picture whatever the side; the
    // table already says so.
    pic->setImage(m_bodyMap->render(m, leftSide(), Index, chkkti->isChecked()));
}

void frmmain::drawBranchPicture(int branch) {
    pic->setImage(m_bodyMap->branch(branch));
}
