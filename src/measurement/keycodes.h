#pragma once
// Key codes of the result boxes' key handling, as a keyboard reports them: the keypad's
// digits have codes of their own, so they can be told from the main keyboard's.
#include <QString>
#include <Qt>

namespace keycodes {

constexpr int kBackspace = 8;
constexpr int kDelete = 46;
constexpr int kDigit0 = 48;  // .. 57
constexpr int kKeypad0 = 96; // .. 105

int fromQt(int qtKey, Qt::KeyboardModifiers modifiers);
// The digit of a main-keyboard digit key, or -1.
int mainDigit(int keyCode);

// A result box's text after a key: Delete empties it, Backspace takes its last character
// off, a main-keyboard digit is appended, any other key leaves it. A figure past 100, which no
// reading can give, is refused: the text stays and `refused` tells.
constexpr int kMaxFigure = 100;
struct Edited {
    QString text;
    bool refused = false;
};
Edited editResult(const QString& text, int keyCode);

} // namespace keycodes
