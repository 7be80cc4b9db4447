#pragma once
// The numeric option fields of the settings window: the runtime's plain edit
// with the spin edit's range rules, until the spin edit itself is in place.

#include <string>

#include "rtl/core/SysUtils.h"
#include "rtl/win32/Controls.h"

class TNumberField : public rtl::TEdit {
public:
  TNumberField(rtl::TForm& form, int left, int top, int width, int height, int minValue, int maxValue)
      : rtl::TEdit(form, left, top, width, height), MinValue(minValue), MaxValue(maxValue) {}

  // The text as a number within the range; text that is no number reads
  // as the minimum.
  int Value() const {
    std::int64_t v = 0;
    if (!rtl::TryStrToInt64(Text(), v)) return MinValue;
    return static_cast<int>(Clamp(v));
  }
  void SetValue(std::int64_t value) { SetText(std::to_string(Clamp(value))); }

  const int MinValue, MaxValue;

private:
  std::int64_t Clamp(std::int64_t v) const { return v < MinValue ? MinValue : v > MaxValue ? MaxValue : v; }
};
