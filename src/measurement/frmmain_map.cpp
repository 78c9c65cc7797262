// The body map in the picture box.
#include "measurement/frmmain.h"

void frmmain::drawBodyMap(int, int) {}

void frmmain::drawBranchPicture(int) {}
