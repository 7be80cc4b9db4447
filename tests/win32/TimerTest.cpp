// The timer component: ticks from the message loop while enabled, none
// after it is stopped, and a handler may free the timer that called it.

#include <gtest/gtest.h>

#include <memory>

#include "rtl/win32/Timer.h"
#include "tests/win32/TestSupport.h"

namespace {

TEST(Timer, TicksWhileEnabledAndStopsWhenDisabled) {
  rtl::TTimer timer;
  int ticks = 0;
  timer.SetInterval(10);
  timer.SetOnTimer([&] {
    if (++ticks == 3) timer.SetEnabled(false);
  });
  ASSERT_TRUE(PumpUntil([&] { return ticks >= 3; }));
  Pump(100);
  EXPECT_EQ(3, ticks) << "no tick after the handler stopped it";

  timer.SetEnabled(true);
  ASSERT_TRUE(PumpUntil([&] { return ticks >= 4; })) << "started again";
  timer.SetInterval(0);
  const int stopped = ticks;
  Pump(100);
  EXPECT_EQ(stopped, ticks) << "interval 0 stops it";
}

TEST(Timer, NothingRunsWithoutAHandler) {
  rtl::TTimer timer;
  timer.SetInterval(10);
  Pump(50);
  int ticks = 0;
  timer.SetOnTimer([&] { ++ticks; });
  ASSERT_TRUE(PumpUntil([&] { return ticks >= 1; }));
}

TEST(Timer, HandlerMayFreeItsTimer) {
  std::unique_ptr<rtl::TTimer> timer(new rtl::TTimer(nullptr));
  int ticks = 0;
  timer->SetInterval(10);
  timer->SetOnTimer([&] {
    ++ticks;
    timer.reset();
  });
  ASSERT_TRUE(PumpUntil([&] { return !timer; }));
  Pump(50);
  EXPECT_EQ(1, ticks);
}

TEST(Timer, OwnerFreesIt) {
  int ticks = 0;
  {
    rtl::TComponent owner(nullptr);
    auto* timer = new rtl::TTimer(&owner);
    timer->SetInterval(10);
    timer->SetOnTimer([&] { ++ticks; });
    EXPECT_EQ(1, owner.ComponentCount());
  }
  const int after = ticks;
  Pump(50);
  EXPECT_EQ(after, ticks);
}

}  // namespace
