#include "ui/core/SpinValue.h"

#include <climits>
#include <cstdint>

#include "rtl/core/SysUtils.h"

namespace ui {

int ClampSpinValue(int value, int minValue, int maxValue) {
  if (minValue == maxValue) return value;
  if (value < minValue) return minValue;
  if (value > maxValue) return maxValue;
  return value;
}

int SpinValueOfText(const std::string& text, int minValue) {
  std::int64_t value = 0;
  if (!rtl::TryStrToInt64(text, value) || value < INT_MIN || value > INT_MAX) return minValue;
  return static_cast<int>(value);
}

int StepSpinValue(int value, std::int64_t delta, int minValue, int maxValue) {
  std::int64_t sum = static_cast<std::int64_t>(value) + delta;
  if (sum < INT_MIN) sum = INT_MIN;
  if (sum > INT_MAX) sum = INT_MAX;
  return ClampSpinValue(static_cast<int>(sum), minValue, maxValue);
}

bool SpinAcceptsChar(char key, char decimalSeparator, bool editorEnabled) {
  const auto code = static_cast<unsigned char>(key);
  const bool control = code < 32 && key != '\r';
  const bool accepted = control || key == '+' || key == '-' || (key >= '0' && key <= '9') ||
                        key == decimalSeparator;
  if (!accepted) return false;
  if (!editorEnabled && (key == '\b' || code >= 32)) return false;
  return true;
}

}  // namespace ui
