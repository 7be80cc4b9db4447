#pragma once
// The numeric rules of the spin edit: clamping, the value a text stands for,
// stepping, and which typed characters the edit lets through.

#include <cstdint>
#include <string>

namespace ui {

// MinValue == MaxValue means "no limit": the value is kept as it is.
int ClampSpinValue(int value, int minValue, int maxValue);

// The integer a text stands for; MinValue when the text is not one.
int SpinValueOfText(const std::string& text, int minValue);

// Value + Delta (the increment, or its negation), clamped. The sum is taken
// without overflow; without limits it stops at the ends of the int range
// instead of wrapping.
int StepSpinValue(int value, std::int64_t delta, int minValue, int maxValue);

// "+", "-", the digits, the decimal separator and the control characters
// except carriage return. With the editor disabled, only the control
// characters other than backspace remain (Tab, Escape and the like).
bool SpinAcceptsChar(char key, char decimalSeparator, bool editorEnabled);

}  // namespace ui
