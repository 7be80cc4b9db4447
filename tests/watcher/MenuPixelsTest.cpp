// The tray menu as the user sees it: opened through the tray callback,
// copied from the screen, and checked at chosen pixels, in the XP style
// (Windows XP and later) and the classic one (Windows 2000). The copies are
// kept as tray-menu-<style>-<language>.bmp for a person to look at.

#include "tests/watcher/WatcherFixture.h"

#include <sstream>

#include "tests/win32/ScreenPixels.h"

namespace {

// Wine reports this Windows version to the watcher alone.
constexpr const char* kWineVersionKey = "Software\\Wine\\AppDefaults\\Orvandel.exe";

struct Style {
  const char* name;
  const char* wineVersion;
  bool xp;
};

// For the test's listing: the style's name, not its bytes.
void PrintTo(const Style& style, std::ostream* out) { *out << style.name; }

COLORREF Sys(int index) { return ::GetSysColor(index); }

// S + Step * (E - S) / Span per channel, truncating.
COLORREF Blend(COLORREF s, COLORREF e, int step, int span) {
  auto channel = [&](int a, int b) { return a + step * (b - a) / span; };
  return RGB(channel(GetRValue(s), GetRValue(e)), channel(GetGValue(s), GetGValue(e)),
             channel(GetBValue(s), GetBValue(e)));
}

std::string Hex(COLORREF c) {
  std::ostringstream out;
  out << "rgb(" << int(GetRValue(c)) << "," << int(GetGValue(c)) << "," << int(GetBValue(c)) << ")";
  return out.str();
}

// The caption's length in its font, as the watcher measures it.
int CaptionLength() {
  HDC screen = ::GetDC(nullptr);
  HFONT font = ::CreateFontA(-16, 0, 0, 0, FW_BOLD, TRUE, FALSE, FALSE, ANSI_CHARSET, OUT_DEFAULT_PRECIS,
                             CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, "Arial");
  HGDIOBJ old = ::SelectObject(screen, font);
  SIZE size{};
  ::GetTextExtentPoint32A(screen, "Orvandel", 8, &size);
  ::SelectObject(screen, old);
  ::DeleteObject(font);
  ::ReleaseDC(nullptr, screen);
  return size.cx;
}

class WatcherMenuPixels : public Watcher, public ::testing::WithParamInterface<Style> {
protected:
  void SetUp() override {
    Watcher::SetUp();
    SetString(kWineVersionKey, "Version", GetParam().wineVersion);
  }
  void TearDown() override {
    Watcher::TearDown();
    ::RegDeleteTreeA(HKEY_CURRENT_USER, kWineVersionKey);
  }
};

// Where the bar lies in a copy of the menu window: its top-left pixel is
// the first of a row of 25 in the gradient's start colour.
bool FindBar(const ScreenPixels& shot, COLORREF start, POINT& topLeft, int& height) {
  for (int y = 0; y < 10; ++y)
    for (int x = 0; x < 10; ++x) {
      bool row = true;
      for (int i = 0; i < 25 && row; ++i) row = shot.At(x + i, y) == start;
      if (!row || shot.At(x + 25, y) == start) continue;
      topLeft = {x, y};
      // The bar's left column darkens all the way down; the menu's margin
      // below it does not.
      int bottom = y;
      while (bottom + 1 < shot.Height() && shot.At(x, bottom + 1) != Sys(COLOR_MENU)) ++bottom;
      height = bottom - y + 1;
      return true;
    }
  return false;
}

TEST_P(WatcherMenuPixels, BarCaptionPictureAndSelection) {
  const Style style = GetParam();
  StartKnown();
  ASSERT_TRUE(WaitForTrayStart());
  ::PostMessageA(Settings(), 1044, 100, WM_RBUTTONDOWN);
  HWND menu = watcher->WaitFor("#32768");
  ASSERT_NE(nullptr, menu);
  RECT window{};
  ::GetWindowRect(menu, &window);

  const COLORREF start = Sys(COLOR_BTNFACE), end = Sys(COLOR_WINDOWTEXT);
  POINT bar{};
  int height = 0;
  std::unique_ptr<ScreenPixels> shot;
  // The menu paints after it shows; wait (bounded) until the bar is there.
  PumpUntil([&] {
    shot = std::make_unique<ScreenPixels>(window);
    return FindBar(*shot, start, bar, height) && height > 60;
  }, 10000);
  const std::string name = std::string("tray-menu-") + style.name + "-" + Pick("english", "german") + ".bmp";
  shot->SaveBmp(ShotPath(name));
  ASSERT_TRUE(FindBar(*shot, start, bar, height)) << "no bar in " << name;
  auto at = [&](int x, int y) { return shot->At(bar.x + x, bar.y + y); };

  // The bar's rows: the vertical gradient from button face to window text,
  // with truncating steps, in a column that nothing covers.
  for (int y = 0; y < height; ++y)
    ASSERT_EQ(Hex(Blend(start, end, y, height)), Hex(at(24, y))) << "row " << y << " of " << height;
  for (int x = 0; x < 25; ++x) {
    EXPECT_EQ(Hex(start), Hex(at(x, 0))) << "top row, column " << x;
    EXPECT_EQ(Hex(Blend(start, end, height - 1, height)), Hex(at(x, height - 1))) << "bottom row, column " << x;
  }

  // The picture at the bottom, centred: its white corner and silver desk
  // show, its key colour does not.
  const int pictureTop = height - 24;
  EXPECT_EQ(Hex(RGB(255, 255, 255)), Hex(at(3, pictureTop + 1))) << "the monitor's top-left corner";
  EXPECT_EQ(Hex(RGB(192, 192, 192)), Hex(at(21, pictureTop + 18))) << "the desk unit";
  EXPECT_EQ(Hex(RGB(0, 0, 0)), Hex(at(1, pictureTop + 22))) << "the desk unit's lower edge";
  EXPECT_EQ(Hex(Blend(start, end, pictureTop, height)), Hex(at(0, pictureTop))) << "the key colour is left out";

  // A column through the caption: white text above the picture (OffsetY
  // 6), no longer than the caption, nothing white above it.
  const int base = height - 6 - 24;
  const int length = CaptionLength();
  int white = 0;
  for (int y = 0; y < height; ++y) {
    if (at(12, y) != RGB(255, 255, 255)) continue;
    if (y >= pictureTop) continue;  // the picture's own white
    EXPECT_GE(y, base - length - 2) << "white above the caption";
    EXPECT_LE(y, base + 2) << "white below the caption";
    ++white;
  }
  EXPECT_GE(white, 8) << "the caption's strokes cross the bar's middle column";

  // The first item, selected from the keyboard, gets the highlight up to the
  // right edge; the XP style runs it under the glyph to the bar's space.
  const COLORREF highlight = Sys(COLOR_HIGHLIGHT);
  EXPECT_NE(highlight, at(shot->Width() - bar.x - 8, 4)) << "nothing selected yet";
  ::PostMessageA(menu, WM_KEYDOWN, VK_DOWN, 0);
  PumpUntil([&] {
    shot = std::make_unique<ScreenPixels>(window);
    return at(shot->Width() - bar.x - 8, 4) == highlight;
  }, 10000);
  shot->SaveBmp(ShotPath("selected-" + name));
  EXPECT_EQ(Hex(highlight), Hex(at(shot->Width() - bar.x - 8, 4))) << "the selected item's right part";
  EXPECT_EQ(Hex(start), Hex(at(12, 0))) << "the bar is copied back unchanged beside the selected item";
  if (style.xp)
    EXPECT_EQ(Hex(highlight), Hex(at(26, 4))) << "the XP style's highlight starts at the content's left";
  else
    EXPECT_EQ(Hex(Sys(COLOR_MENU)), Hex(at(26, 4))) << "the classic style leaves the glyph's left alone";
  MenuKey(menu, '\x1b');
}

INSTANTIATE_TEST_SUITE_P(Styles, WatcherMenuPixels,
                         ::testing::Values(Style{"xp", "winxp", true}, Style{"classic", "win2k", false}),
                         [](const ::testing::TestParamInfo<Style>& info) { return std::string(info.param.name); });

}  // namespace
