#include "measurement/keycodes.h"

#include <cstdlib>

namespace keycodes {

int fromQt(int qtKey, Qt::KeyboardModifiers modifiers) {
    if (qtKey == Qt::Key_Delete)
        return kDelete;
    if (qtKey == Qt::Key_Backspace)
        return kBackspace;
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

Edited editResult(const QString& text, int keyCode) {
    if (keyCode == kDelete)
        return {QString()};
    if (keyCode == kBackspace)
        return {text.chopped(text.isEmpty() ? 0 : 1)};
    const int digit = mainDigit(keyCode);
    if (digit < 0)
        return {text};
    const QString typed = text + QString::number(digit);
    // A measured drop may be negative; its digits are typed after the minus.
    if (std::abs(typed.toInt()) > kMaxFigure)
        return {text, true};
    return {typed};
}

} // namespace keycodes
