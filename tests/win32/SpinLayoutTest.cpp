// Sizes and places of the spin edit's parts on a real window: the button
// inside the right edge and never narrower than 15 pixels, its halves, the
// text kept clear of it, the minimum and the automatic height.

#include <gtest/gtest.h>

#include <algorithm>

#include "tests/win32/SpinTestForm.h"

namespace {

RECT ChildRect(HWND child) {
  RECT r;
  ::GetWindowRect(child, &r);
  ::MapWindowPoints(nullptr, ::GetParent(child), reinterpret_cast<POINT*>(&r), 2);
  return r;
}

SIZE SizeOf(HWND window) {
  RECT r;
  ::GetWindowRect(window, &r);
  return {r.right - r.left, r.bottom - r.top};
}

TEST(SpinLayout, ButtonSitsInsideTheRightEdge) {
  SpinTestForm form;
  struct Case {
    int width, height;
  };
  const Case cases[] = {{121, 22}, {60, 30}, {200, 24}};
  form.Spin->SetAutoSize(false);
  for (const auto& c : cases) {
    form.Spin->SetBounds(10, 10, c.width, c.height);
    const SIZE edit = SizeOf(form.Spin->Handle());
    ASSERT_EQ(c.width, edit.cx);
    ASSERT_EQ(c.height, edit.cy);
    const RECT button = ChildRect(form.Spin->Button().Handle());
    EXPECT_EQ(15, button.right - button.left);
    EXPECT_EQ(c.width - 15 - 5, button.left) << c.width << "x" << c.height;
    EXPECT_EQ(0, button.top);
    EXPECT_EQ(c.height - 5, button.bottom - button.top) << c.width << "x" << c.height;

    RECT format;
    ::SendMessageA(form.Spin->Handle(), EM_GETRECT, 0, reinterpret_cast<LPARAM>(&format));
    EXPECT_LE(format.right, button.left) << "the text stops before the button";
    EXPECT_GT(format.right, button.left - 10) << "and not much before";
  }
}

TEST(SpinLayout, HalvesOfTheButton) {
  SpinTestForm form;
  ui::TSpinButton button(form.Handle(), 200, 10, 20, 25);
  const RECT up = ChildRect(button.UpButton().Handle());
  const RECT down = ChildRect(button.DownButton().Handle());
  EXPECT_EQ((RECT{0, 0, 20, 12}).bottom, up.bottom);
  EXPECT_EQ(0, up.top);
  EXPECT_EQ(11, down.top) << "one pixel of overlap";
  EXPECT_EQ(25, down.bottom);
  EXPECT_EQ(20, down.right - down.left);

  button.SetBounds(200, 10, 16, 31);
  EXPECT_EQ(15, ChildRect(button.UpButton().Handle()).bottom);
  EXPECT_EQ(14, ChildRect(button.DownButton().Handle()).top);
  EXPECT_EQ(31, ChildRect(button.DownButton().Handle()).bottom);
}

TEST(SpinLayout, NeverNarrowerThan15) {
  SpinTestForm form;
  ui::TSpinButton narrow(form.Handle(), 200, 10, 8, 25);
  EXPECT_EQ(15, narrow.Width());
  const int widths[][2] = {{3, 15}, {14, 15}, {15, 15}, {22, 22}, {0, 15}};
  for (const auto& w : widths) {
    narrow.SetBounds(200, 10, w[0], 25);
    EXPECT_EQ(w[1], narrow.Width()) << w[0];
    EXPECT_EQ(w[1], SizeOf(narrow.UpButton().Handle()).cx) << w[0];
  }
  ::MoveWindow(narrow.Handle(), 200, 10, 5, 25, TRUE);
  EXPECT_EQ(15, narrow.Width()) << "also when the system moves it";
}

TEST(SpinLayout, MinimumHeight) {
  SpinTestForm form;
  form.Spin->SetAutoSize(false);
  const int minHeight = form.Spin->MinHeight();
  EXPECT_GT(minHeight, 10);
  for (const int height : {1, 5, minHeight - 1}) {
    form.Spin->SetBounds(10, 10, 121, height);
    EXPECT_EQ(minHeight, SizeOf(form.Spin->Handle()).cy) << height;
  }
  form.Spin->SetBounds(10, 10, 121, minHeight + 7);
  EXPECT_EQ(minHeight + 7, SizeOf(form.Spin->Handle()).cy);
}

TEST(SpinLayout, AutoSizeFollowsTheFont) {
  SpinTestForm form;
  // Set at creation: the form's font gives the height.
  HDC dc = ::GetDC(nullptr);
  HGDIOBJ old = ::SelectObject(dc, form.FontHandle());
  TEXTMETRICA metrics{};
  ::GetTextMetricsA(dc, &metrics);
  ::SelectObject(dc, old);
  ::ReleaseDC(nullptr, dc);
  // The font's height and the border, but never below the minimum (which
  // wins with the dialog font: 22 pixels).
  const int expected =
      std::max<int>(metrics.tmHeight + 8 * ::GetSystemMetrics(SM_CYBORDER), form.Spin->MinHeight());
  EXPECT_EQ(expected, SizeOf(form.Spin->Handle()).cy);
  EXPECT_TRUE(form.Spin->AutoSize());

  ui::TSpinEdit fixed(form, 150, 10, 80, 40);
  EXPECT_EQ(expected, SizeOf(fixed.Handle()).cy) << "auto size is on by default";
  fixed.SetAutoSize(false);
  fixed.SetBounds(150, 10, 80, 40);
  EXPECT_EQ(40, SizeOf(fixed.Handle()).cy);
}

TEST(SpinLayout, GlyphsComeFromTheResources) {
  SpinTestForm form;
  ui::TSpinButton& button = form.Spin->Button();
  ASSERT_NE(nullptr, button.UpGlyph());
  ASSERT_NE(nullptr, button.DownGlyph());
  EXPECT_EQ(1, button.UpNumGlyphs());
  BITMAP bm{};
  ::GetObjectA(button.UpGlyph(), sizeof bm, &bm);
  EXPECT_GT(bm.bmWidth, 0);
  EXPECT_LE(bm.bmHeight, 8) << "small enough for half a button";

  // A glyph of the caller's own, then back to the default.
  button.SetUpGlyph(rtl::Bitmap(::CreateBitmap(8, 4, 1, 32, nullptr)));
  button.SetUpNumGlyphs(2);
  EXPECT_EQ(2, button.UpNumGlyphs());
  button.SetUpGlyph(rtl::Bitmap());
  EXPECT_EQ(1, button.UpNumGlyphs());
  ::GetObjectA(button.UpGlyph(), sizeof bm, &bm);
  EXPECT_LE(bm.bmHeight, 8);
}

}  // namespace
