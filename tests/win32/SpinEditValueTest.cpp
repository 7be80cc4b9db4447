// Value of a spin edit on a real window: read from the text, written
// clamped, and the defaults a new spin edit starts with.

#include <gtest/gtest.h>

#include "tests/win32/SpinTestForm.h"

namespace {

TEST(SpinEditValue, Defaults) {
  SpinTestForm form;
  ui::TSpinEdit spin(form, 150, 10, 80, 21);
  EXPECT_EQ("0", spin.Text());
  EXPECT_EQ(0, spin.Value());
  EXPECT_EQ(0, spin.MinValue());
  EXPECT_EQ(0, spin.MaxValue());
  EXPECT_EQ(1, spin.Increment());
  EXPECT_TRUE(spin.EditorEnabled);
  EXPECT_TRUE(spin.AutoSelect);
  EXPECT_FALSE(spin.ReadOnly());
  EXPECT_FALSE(spin.Button().TabStop());
  EXPECT_EQ(spin.Handle(), spin.Button().FocusControl());
  EXPECT_EQ(spin.Handle(), ::GetParent(spin.Button().Handle()));
  EXPECT_TRUE(::GetWindowLongA(spin.Handle(), GWL_STYLE) & WS_TABSTOP);
}

struct WriteCase {
  int minValue, maxValue, written;
  const char* text;
};

TEST(SpinEditValue, WritesAreClamped) {
  SpinTestForm form;
  const WriteCase cases[] = {
      {1, 10000, 500, "500"},  {1, 10000, 0, "1"},        {1, 6000, 9000, "6000"},
      {1, 6000, -3, "1"},      {0, 0, -2147483647 - 1, "-2147483648"}, {0, 0, 77, "77"},
  };
  for (const auto& c : cases) {
    form.Prepare(c.minValue, c.maxValue, "");
    form.Spin->SetValue(c.written);
    EXPECT_EQ(c.text, form.Spin->Text()) << c.written;
  }
}

TEST(SpinEditValue, TheWatchersTwoSpinEdits) {
  SpinTestForm form;
  ui::TSpinEdit timeout(form, 150, 10, 80, 21);
  timeout.SetMinValue(1);
  timeout.SetMaxValue(10000);
  timeout.SetValue(500);
  ui::TSpinEdit interval(form, 150, 40, 80, 21);
  interval.SetMinValue(1);
  interval.SetMaxValue(6000);
  interval.SetValue(300);
  interval.SetMaxLength(4);
  EXPECT_EQ(500, timeout.Value());
  EXPECT_EQ(300, interval.Value());
  interval.SetValue(20000);
  EXPECT_EQ(6000, interval.Value());
  timeout.SetValue(20000);
  EXPECT_EQ(10000, timeout.Value());
}

TEST(SpinEditValue, DisabledColoursForTheSettingsWindow) {
  SpinTestForm form;
  form.Spin->ButtonFaceColor = true;
  form.Spin->SetFontColor(::GetSysColor(COLOR_GRAYTEXT));
  form.Spin->SetEnabled(false);
  HDC dc = ::GetDC(form.Spin->Handle());
  const LRESULT brush = ::SendMessageA(form.Handle(), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                                       reinterpret_cast<LPARAM>(form.Spin->Handle()));
  EXPECT_EQ(reinterpret_cast<LRESULT>(::GetSysColorBrush(COLOR_BTNFACE)), brush);
  EXPECT_EQ(::GetSysColor(COLOR_GRAYTEXT), ::GetTextColor(dc));
  ::ReleaseDC(form.Spin->Handle(), dc);
  form.Spin->SetEnabled(true);
}

}  // namespace
