// Leaving a spin edit corrects a number out of range and leaves a text that
// is no number as it stands; entering it selects the text (AutoSelect).

#include <gtest/gtest.h>

#include "tests/win32/SpinTestForm.h"

namespace {

struct LeaveCase {
  int minValue, maxValue;
  const char* typed;
  const char* after;
  int value;
};

TEST(SpinFocus, LeavingCorrectsOutOfRangeNumbers) {
  SpinTestForm form;
  const LeaveCase cases[] = {
      {1, 6000, "9000", "6000", 6000},
      {1, 6000, "0", "1", 1},
      {1, 6000, "-5", "1", 1},
      {1, 6000, "300", "300", 300},
      {1, 6000, "", "", 1},       // empty stays empty and reads as MinValue
      {1, 6000, "abc", "abc", 1},
      {1, 6000, "-", "-", 1},
      {1, 6000, "99999999999", "99999999999", 1},
      {0, 0, "-123456", "-123456", -123456},
      {0, 0, "2147483647", "2147483647", 2147483647},
  };
  for (const auto& c : cases) {
    form.Prepare(c.minValue, c.maxValue, "1");
    form.Spin->SetFocus();
    form.Spin->SetText(c.typed);
    form.Other->SetFocus();
    Pump(10);
    EXPECT_EQ(c.after, form.Spin->Text()) << "typed \"" << c.typed << "\"";
    EXPECT_EQ(c.value, form.Spin->Value()) << "typed \"" << c.typed << "\"";
  }
}

TEST(SpinFocus, TabLeavesAndCorrects) {
  SpinTestForm form;
  form.Prepare(1, 6000, "1");
  form.Spin->SetFocus();
  form.Spin->SetText("7000");
  PressKey(form.Spin->Handle(), VK_TAB);
  EXPECT_TRUE(form.Other->Focused()) << "Tab belongs to the dialog, not to the text";
  EXPECT_EQ("6000", form.Spin->Text());
}

DWORD Selection(HWND edit) {
  DWORD start = 0, end = 0;
  ::SendMessageA(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
  return MAKELONG(start, end);
}

TEST(SpinFocus, AutoSelectOnEntering) {
  SpinTestForm form;
  HWND edit = form.Spin->Handle();
  for (const bool autoSelect : {true, false}) {
    form.Prepare(1, 6000, "1234");
    form.Spin->AutoSelect = autoSelect;
    ::SendMessageA(edit, EM_SETSEL, 1, 1);
    PressKey(form.Other->Handle(), VK_TAB);
    ASSERT_TRUE(form.Spin->Focused());
    if (autoSelect)
      EXPECT_EQ(MAKELONG(0, 4), Selection(edit));
    else
      EXPECT_NE(MAKELONG(0, 4), Selection(edit));
  }
}

TEST(SpinFocus, ClickIntoTheTextDoesNotSelectAll) {
  SpinTestForm form;
  HWND edit = form.Spin->Handle();
  form.Prepare(1, 6000, "1234");
  ::SendMessageA(edit, WM_LBUTTONDOWN, MK_LBUTTON, ClientPoint(2, 5));
  ::SendMessageA(edit, WM_LBUTTONUP, 0, ClientPoint(2, 5));
  Pump(10);
  ASSERT_TRUE(form.Spin->Focused());
  EXPECT_NE(MAKELONG(0, 4), Selection(edit));
}

}  // namespace
