// A side-bar menu opened for real, in both styles: a disabled item's text
// is embossed on screen, and the bar sits beside the items. The screen
// copies are kept as bar-menu-disabled-<style>.bmp.

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "tests/win32/ScreenPixels.h"
#include "ui/BarMenus.h"

namespace {

constexpr int kMaxTicks = 200;  // 50 ms each

// What looks at the open menu from a timer inside its loop; a timer
// procedure has no context of its own.
struct Probe {
  std::function<bool(HWND menu)> inspect;  // true: seen enough
  int ticks = 0;
  bool seen = false;
};
Probe* gProbe = nullptr;

void CALLBACK ProbeTick(HWND, UINT, UINT_PTR, DWORD) {
  if (!gProbe || gProbe->seen) return;
  ++gProbe->ticks;
  HWND menu = rtl::TPopupMenu::OpenMenuWindow();
  if (menu && gProbe->inspect(menu)) gProbe->seen = true;
  if (gProbe->seen || gProbe->ticks >= kMaxTicks) ::EndMenu();
}

// Opens Menu and calls Inspect while it is open, until it is content or
// the ticks run out; then closes the menu.
bool WithOpenMenu(rtl::TPopupMenu& menu, std::function<bool(HWND)> inspect) {
  Probe probe{std::move(inspect)};
  gProbe = &probe;
  const UINT_PTR timer = ::SetTimer(nullptr, 0, 50, ProbeTick);
  HWND owner = ::CreateWindowExA(WS_EX_TOOLWINDOW, "STATIC", "", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
  menu.Popup(owner, 100, 100);
  ::KillTimer(nullptr, timer);
  ::DestroyWindow(owner);
  gProbe = nullptr;
  return probe.seen;
}

// Pixels within Tolerance of the colour; text is smoothed, so its pixels
// only come near the colour it is drawn in.
int CountNear(const ScreenPixels& shot, const RECT& r, COLORREF colour, int tolerance) {
  int n = 0;
  for (int y = r.top; y < r.bottom; ++y)
    for (int x = r.left; x < r.right; ++x) n += Near(shot.At(x, y), colour, tolerance);
  return n;
}

int Darkest(const ScreenPixels& shot, const RECT& r) {
  int darkest = 255;
  for (int y = r.top; y < r.bottom; ++y)
    for (int x = r.left; x < r.right; ++x) {
      const COLORREF c = shot.At(x, y);
      darkest = std::min({darkest, int(GetRValue(c)), int(GetGValue(c)), int(GetBValue(c))});
    }
  return darkest;
}

TEST(BarMenuPopup, DisabledItemEmbossedOnScreen) {
  rtl::TImageList images(16, 16);
  images.AddIcon(::LoadIconA(nullptr, IDI_APPLICATION));
  for (ui::TBcMenuStyle style : {ui::msStandard, ui::msWindowsXP}) {
    SCOPED_TRACE(style == ui::msStandard ? "classic" : "xp");
    ui::TBcBarPopupMenu menu;
    menu.SetMenuStyle(style);
    menu.Images = &images;
    menu.Bar().SetWidth(25);
    menu.Bar().BarCaption().SetVisible(false);
    menu.AddItem("&Enabled", 0, nullptr);
    menu.AddItem("&Disabled item", -1, nullptr);
    menu.Items().Items(1)->SetEnabled(false);
    menu.AddSeparator();
    menu.AddItem("E&xit", -1, nullptr);

    const COLORREF shadow = ::GetSysColor(COLOR_BTNSHADOW);
    const int shadowLevel = std::min({GetRValue(shadow), GetGValue(shadow), GetBValue(shadow)});
    int shadowPixels = 0, darkest = 0, barPixels = 0;
    const bool seen = WithOpenMenu(menu, [&](HWND window) {
      auto hmenu = reinterpret_cast<HMENU>(::SendMessageA(window, MN_GETHMENU, 0, 0));
      RECT item{}, whole{};
      if (!hmenu || !::GetMenuItemRect(window, hmenu, 1, &item) || !::GetWindowRect(window, &whole)) return false;
      const ScreenPixels shot(window);
      const RECT content{item.left - whole.left + 26, item.top - whole.top, item.right - whole.left,
                         item.bottom - whole.top};
      shadowPixels = CountNear(shot, content, shadow, 12);
      darkest = Darkest(shot, content);
      barPixels = CountNear(shot, {content.left - 26, content.top, content.left - 1, content.bottom},
                            ::GetSysColor(COLOR_MENU), 0);
      shot.SaveBmp(ShotPath(std::string("bar-menu-disabled-") + (style == ui::msStandard ? "classic" : "xp") + ".bmp"));
      // The menu paints after it shows; wait for all of it.
      return shadowPixels > 20 && barPixels == 0;
    });
    ASSERT_TRUE(seen) << "the menu showed its disabled item within " << kMaxTicks * 50 << " ms";
    EXPECT_GT(shadowPixels, 20) << "the text in the shadow colour";
    EXPECT_GE(darkest, shadowLevel - 12) << "and nothing darker: not in the menu's text colour";
    EXPECT_EQ(0, barPixels) << "the bar, not the menu's background, beside the item";
  }
}

TEST(BarMenuPopup, ShowingOrChangingTheOpenMenuFromItsLoop) {
  ui::TBcBarPopupMenu menu;
  bool clicked = false;
  menu.AddItem("&First", -1, [&] { clicked = true; });
  menu.AddSeparator();
  menu.AddItem("&Second", -1, nullptr);
  bool stillOpen = false;
  const bool seen = WithOpenMenu(menu, [&](HWND window) {
    menu.Popup(nullptr, 0, 0);  // as a tray click handled inside the loop
    menu.Items().Delete(2);
    menu.Items().Items(0)->SetCaption("Changed");
    ::InvalidateRect(window, nullptr, TRUE);
    ::UpdateWindow(window);  // paints with an item gone and the bar to paint again
    stillOpen = rtl::TPopupMenu::OpenMenuWindow() == window && ::IsWindow(window);
    return true;
  });
  ASSERT_TRUE(seen);
  EXPECT_TRUE(stillOpen) << "the second call left the open menu alone";
  EXPECT_FALSE(menu.Tracking());

  // Afterwards it opens as ever, with what is left.
  int paintedItems = 0;
  menu.Items().Items(0)->OnAdvancedDrawItem = [&](rtl::TMenuItem* item, HDC dc, const RECT& r, UINT state) {
    ++paintedItems;
    menu.DrawMenuItem(item, dc, r, state);
  };
  ASSERT_TRUE(WithOpenMenu(menu, [&](HWND) { return paintedItems > 0; }));
  EXPECT_EQ(2, menu.Items().Count());
  EXPECT_FALSE(clicked);
}

TEST(BarMenuPopup, MnemonicsAskedOfTheOwner) {
  ui::TBcBarPopupMenu menu;
  menu.AddItem("&First", -1, nullptr);
  menu.AddSeparator();
  menu.AddItem("&Second", -1, nullptr);
  menu.AddItem("S&ixth && &Seventh", -1, nullptr);  // "&&" is no mnemonic
  menu.AddItem("&Same", -1, nullptr);
  const struct {
    char key;
    LRESULT expected;
  } cases[] = {{'f', MAKELRESULT(0, MNC_EXECUTE)}, {'F', MAKELRESULT(0, MNC_EXECUTE)},
               {'i', MAKELRESULT(3, MNC_EXECUTE)}, {'s', MAKELRESULT(2, MNC_SELECT)},
               {'z', 0},                           {'&', 0}};
  std::vector<LRESULT> answers;
  ASSERT_TRUE(WithOpenMenu(menu, [&](HWND window) {
    auto hmenu = reinterpret_cast<LPARAM>(::SendMessageA(window, MN_GETHMENU, 0, 0));
    HWND owner = ::FindWindowA("OrvPopupMenuOwner", nullptr);
    if (!hmenu || !owner) return false;
    for (const auto& c : cases)
      answers.push_back(::SendMessageA(owner, WM_MENUCHAR, MAKEWPARAM(static_cast<unsigned char>(c.key), MF_POPUP), hmenu));
    return true;
  }));
  ASSERT_EQ(std::size(cases), answers.size());
  for (size_t i = 0; i < answers.size(); ++i) EXPECT_EQ(cases[i].expected, answers[i]) << cases[i].key;
}

}  // namespace
