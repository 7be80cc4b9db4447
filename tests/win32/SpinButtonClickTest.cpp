// Clicking the spin edit's buttons with the mouse steps the value, brings
// the focus to the edit, and beeps when the edit is read-only. A spin button
// on its own fires its events and handles its keys.

#include <gtest/gtest.h>

#include <vector>

#include "tests/win32/SpinTestForm.h"

namespace {

TEST(SpinButtonClick, ButtonsStepTheEditAndTakeTheFocusToIt) {
  SpinTestForm form;
  form.Prepare(1, 6000, "300");
  HWND up = form.Spin->Button().UpButton().Handle();
  HWND down = form.Spin->Button().DownButton().Handle();
  ASSERT_TRUE(form.Other->Focused());

  ClickMouse(up);
  EXPECT_EQ("301", form.Spin->Text());
  EXPECT_TRUE(form.Spin->Focused()) << "the edit is the button's focus control";
  ClickMouse(down);
  ClickMouse(down);
  EXPECT_EQ("299", form.Spin->Text());

  form.Prepare(1, 6000, "6000");
  ClickMouse(up);
  EXPECT_EQ("6000", form.Spin->Text());
  EXPECT_EQ(0, form.Spin->Beeps);
}

TEST(SpinButtonClick, ReleasedOffTheButtonIsNoClick) {
  SpinTestForm form;
  form.Prepare(1, 6000, "300");
  HWND up = form.Spin->Button().UpButton().Handle();
  MouseDown(up);
  EXPECT_TRUE(form.Spin->Button().UpButton().Down());
  ::SendMessageA(up, WM_MOUSEMOVE, MK_LBUTTON, ClientPoint(-20, -20));
  EXPECT_FALSE(form.Spin->Button().UpButton().Down());
  ::SendMessageA(up, WM_LBUTTONUP, 0, ClientPoint(-20, -20));
  Pump(10);
  EXPECT_EQ("300", form.Spin->Text());
}

TEST(SpinButtonClick, ReadOnlyEditBeeps) {
  SpinTestForm form;
  form.Prepare(1, 6000, "300");
  form.Spin->SetReadOnly(true);
  ClickMouse(form.Spin->Button().UpButton().Handle());
  ClickMouse(form.Spin->Button().DownButton().Handle());
  EXPECT_EQ("300", form.Spin->Text());
  EXPECT_EQ(2, form.Spin->Beeps);
}

TEST(SpinButtonClick, OnChangeFollowsEverySteppedValue) {
  SpinTestForm form;
  form.Prepare(1, 6000, "10");
  std::vector<int> seen;
  form.Spin->OnChange = [&] { seen.push_back(form.Spin->Value()); };
  ClickMouse(form.Spin->Button().UpButton().Handle());
  PressKey(form.Spin->Handle(), VK_UP);
  form.Spin->OnChange = nullptr;
  EXPECT_EQ((std::vector<int>{11, 12}), seen);
}

TEST(SpinButtonClick, StandaloneSpinButtonEventsAndKeys) {
  SpinTestForm form;
  ui::TSpinButton button(form.Handle(), 200, 10, 20, 25, true);
  int ups = 0, downs = 0;
  button.OnUpClick = [&] { ++ups; };
  button.OnDownClick = [&] { ++downs; };
  EXPECT_EQ(&button.UpButton(), &button.FocusedButton());

  ClickMouse(button.DownButton().Handle());
  EXPECT_EQ(1, downs);
  EXPECT_EQ(::GetFocus(), button.Handle()) << "a tab-stop spin button takes the focus itself";
  EXPECT_EQ(&button.DownButton(), &button.FocusedButton());
  EXPECT_TRUE(button.DownButton().ShowFocusRect());
  EXPECT_FALSE(button.UpButton().ShowFocusRect());

  PressKey(button.Handle(), VK_SPACE);
  EXPECT_EQ(2, downs);
  PressKey(button.Handle(), VK_UP);
  EXPECT_EQ(1, ups);
  EXPECT_EQ(&button.UpButton(), &button.FocusedButton());
  PressKey(button.Handle(), VK_SPACE);
  EXPECT_EQ(2, ups);

  form.Other->SetFocus();
  EXPECT_FALSE(button.UpButton().ShowFocusRect()) << "the rectangle goes with the focus";
}

TEST(SpinButtonClick, FocusControlIsClearedWhenItsWindowGoes) {
  SpinTestForm form;
  ui::TSpinButton button(form.Handle(), 200, 10, 20, 25);
  {
    rtl::TEdit target(form, 200, 60, 50, 21);
    button.SetFocusControl(target.Handle());
    EXPECT_EQ(target.Handle(), button.FocusControl());
    ClickMouse(button.UpButton().Handle());
    EXPECT_TRUE(target.Focused());
  }
  EXPECT_EQ(nullptr, button.FocusControl());
  ClickMouse(button.UpButton().Handle());  // nothing to focus, nothing breaks
}

}  // namespace
