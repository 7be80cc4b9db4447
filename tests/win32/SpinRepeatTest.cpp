// A held spin button clicks again and again: first after a longer delay,
// then faster, until it is released or the pointer leaves it. The test
// counts repeats with bounded waits and never measures time.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "rtl/core/Exceptions.h"
#include "tests/win32/SpinTestForm.h"

namespace {

TEST(SpinRepeat, HeldButtonRepeatsUntilReleased) {
  SpinTestForm form;
  form.Prepare(1, 10000, "100");
  ui::TTimerSpeedButton& up = form.Spin->Button().UpButton();

  MouseDown(up.Handle());
  ASSERT_NE(nullptr, up.RepeatTimer());
  EXPECT_TRUE(up.RepeatTimer()->Enabled());
  EXPECT_EQ(400u, up.RepeatTimer()->Interval()) << "the first repeat waits longer";
  EXPECT_EQ("100", form.Spin->Text()) << "the press itself is no click";

  ASSERT_TRUE(PumpUntil([&] { return form.Spin->Value() >= 103; }, 15000))
      << "still " << form.Spin->Text();
  EXPECT_EQ(100u, up.RepeatTimer()->Interval()) << "then it repeats faster";

  MouseUp(up.Handle());
  EXPECT_FALSE(up.RepeatTimer()->Enabled()) << "the release stops the repeats";
  Pump(10);
  const int released = form.Spin->Value();
  Pump(250);
  EXPECT_EQ(released, form.Spin->Value());
}

TEST(SpinRepeat, NoRepeatsWhileThePointerIsOffTheButton) {
  SpinTestForm form;
  form.Prepare(1, 10000, "100");
  ui::TTimerSpeedButton& down = form.Spin->Button().DownButton();

  MouseDown(down.Handle());
  ::SendMessageA(down.Handle(), WM_MOUSEMOVE, MK_LBUTTON, ClientPoint(-30, -30));
  ASSERT_FALSE(down.Down());
  // The timer has run once when it has switched to the short interval.
  ASSERT_TRUE(PumpUntil([&] { return down.RepeatTimer()->Interval() == 100u; }, 15000));
  Pump(250);
  EXPECT_EQ("100", form.Spin->Text());

  // Back on the button, it repeats again.
  RECT r;
  ::GetClientRect(down.Handle(), &r);
  ::SendMessageA(down.Handle(), WM_MOUSEMOVE, MK_LBUTTON, ClientPoint(r.right / 2, r.bottom / 2));
  ASSERT_TRUE(PumpUntil([&] { return form.Spin->Value() <= 98; }, 15000)) << form.Spin->Text();
  MouseUp(down.Handle());
  EXPECT_FALSE(down.RepeatTimer()->Enabled());
}

TEST(SpinRepeat, LostCaptureEndsTheRepeats) {
  SpinTestForm form;
  form.Prepare(1, 10000, "100");
  ui::TTimerSpeedButton& up = form.Spin->Button().UpButton();
  MouseDown(up.Handle());
  ::SetCapture(form.Handle());  // as a message box would take the mouse
  EXPECT_FALSE(up.Down());
  ASSERT_TRUE(PumpUntil([&] { return !up.RepeatTimer()->Enabled(); }, 15000));
  ::ReleaseCapture();
  EXPECT_EQ("100", form.Spin->Text());
}

TEST(SpinRepeat, ExceptionInARepeatStopsTheTimerAndReachesTheErrorDisplay) {
  SpinTestForm form;
  std::vector<std::string> errors;
  rtl::Application().OnException = [&](const std::string& text) { errors.push_back(text); };
  ui::TSpinButton button(form.Handle(), 200, 10, 20, 25);
  int clicks = 0;
  button.OnUpClick = [&] {
    ++clicks;
    throw rtl::Exception("repeat failed");
  };
  MouseDown(button.UpButton().Handle());
  ASSERT_TRUE(PumpUntil([&] { return !errors.empty(); }, 15000));
  EXPECT_FALSE(button.UpButton().RepeatTimer()->Enabled());
  Pump(250);
  EXPECT_EQ(1, clicks);
  EXPECT_EQ("repeat failed", errors.front());
  MouseUp(button.UpButton().Handle());
  rtl::Application().OnException = nullptr;
}

}  // namespace
