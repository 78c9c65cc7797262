#pragma once
// Key codes of the result boxes' key handling, as a keyboard reports them: the keypad's
// digits have codes of their own, so they can be told from the main keyboard's.
#include <Qt>

namespace keycodes {

constexpr int kDelete = 46;
constexpr int kDigit0 = 48;  // .. 57
constexpr int kKeypad0 = 96; // .. 105

int fromQt(int qtKey, Qt::KeyboardModifiers modifiers);
// The digit of a main-keyboard digit key, or -1.
int mainDigit(int keyCode);

} // namespace keycodes
