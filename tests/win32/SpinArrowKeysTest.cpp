// The up and down arrow keys step the value by the increment, within the
// limits; a read-only spin edit beeps and keeps its value.

#include <gtest/gtest.h>

#include "tests/win32/SpinTestForm.h"

namespace {

struct ArrowCase {
  int minValue, maxValue, increment;
  const char* start;
  WPARAM key;
  int presses;
  const char* text;
};

TEST(SpinArrowKeys, StepWithinTheLimits) {
  SpinTestForm form;
  HWND edit = form.Spin->Handle();
  const ArrowCase cases[] = {
      {1, 6000, 1, "300", VK_UP, 1, "301"},
      {1, 6000, 1, "300", VK_DOWN, 2, "298"},
      {1, 6000, 1, "6000", VK_UP, 1, "6000"},
      {1, 6000, 1, "5999", VK_UP, 3, "6000"},
      {1, 6000, 1, "1", VK_DOWN, 1, "1"},
      {1, 10000, 250, "500", VK_UP, 2, "1000"},
      {0, 0, 1, "-1", VK_UP, 3, "2"},
      {1, 6000, 1, "abc", VK_UP, 1, "2"},  // the invalid text counts as MinValue
      {1, 6000, 1, "9000", VK_DOWN, 1, "6000"},
  };
  for (const auto& c : cases) {
    form.Prepare(c.minValue, c.maxValue, c.start);
    form.Spin->SetIncrement(c.increment);
    form.Spin->SetFocus();
    for (int i = 0; i < c.presses; ++i) PressKey(edit, c.key);
    EXPECT_EQ(c.text, form.Spin->Text())
        << (c.key == VK_UP ? "up" : "down") << " x" << c.presses << " from " << c.start;
    EXPECT_EQ(0, form.Spin->Beeps);
  }
  form.Spin->SetIncrement(1);
}

TEST(SpinArrowKeys, ReadOnlyBeepsInsteadOfStepping) {
  SpinTestForm form;
  HWND edit = form.Spin->Handle();
  form.Prepare(1, 6000, "300");
  form.Spin->SetReadOnly(true);
  form.Spin->SetFocus();
  PressKey(edit, VK_UP);
  PressKey(edit, VK_DOWN);
  EXPECT_EQ("300", form.Spin->Text());
  EXPECT_EQ(2, form.Spin->Beeps);
  // Typing is refused by the window itself, without our beep.
  TypeChar(edit, '5');
  EXPECT_EQ("300", form.Spin->Text());
}

TEST(SpinArrowKeys, ArrowsStillStepWithTheEditorDisabled) {
  SpinTestForm form;
  HWND edit = form.Spin->Handle();
  form.Prepare(1, 6000, "10");
  form.Spin->EditorEnabled = false;
  form.Spin->SetFocus();
  PressKey(edit, VK_UP);
  EXPECT_EQ("11", form.Spin->Text());
}

}  // namespace
