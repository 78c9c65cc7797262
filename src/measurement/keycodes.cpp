#include "measurement/keycodes.h"

namespace keycodes {

int fromQt(int qtKey, Qt::KeyboardModifiers modifiers) {
    if (qtKey == Qt::Key_Delete)
        return kDelete;
    if (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9)
        return ((modifiers & Qt::KeypadModifier) ? kKeypad0 : kDigit0) + (qtKey - Qt::Key_0);
    if (qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z)
        return 65 + (qtKey - Qt::Key_A);
    // Everything else only has to differ from the codes above.
    return 0x10000 | (qtKey & 0xFFFF);
}

int mainDigit(int keyCode) {
    return keyCode >= kDigit0 && keyCode <= kDigit0 + 9 ? keyCode - kDigit0 : -1;
}

} // namespace keycodes
