// The side-bar menu's painting, through the hooks the system calls, into a
// bitmap of the test's own: the bar and its parts, the bar cache, items and
// separators.

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

#include "tests/win32/BarMenuCanvas.h"
#include "ui/BarMenus.h"

namespace {

using ui::TBcBarPopupMenu;

COLORREF Sys(int index) { return ::GetSysColor(index); }

rtl::TMenuItem& Add(TBcBarPopupMenu& menu, const std::string& caption) {
  auto item = std::make_unique<rtl::TMenuItem>();
  item->SetCaption(caption);
  return *menu.Items().Add(std::move(item));
}

// Three plain items beside a 25-pixel bar with neither caption nor picture,
// in a real font (a memory context's own is the bold System font).
void PlainMenu(TBcBarPopupMenu& menu) {
  menu.SetMenuStyle(ui::msStandard);
  menu.SetUseSystemFont(false);
  menu.MenuFont().SetName("Tahoma");
  menu.MenuFont().SetHeight(-11);
  menu.Bar().SetWidth(25);
  menu.Bar().BarCaption().SetVisible(false);
  for (const char* caption : {"One", "Two", "Three"}) Add(menu, caption);
}

struct Painted {
  std::vector<RECT> rects;
  std::unique_ptr<BarMenuCanvas> canvas;
  int height() const { return rects.back().bottom; }
};

Painted Paint(TBcBarPopupMenu& menu, int selected = -1) {
  Painted p;
  menu.Refresh();
  p.rects = MeasureMenu(menu);
  int bottom = 0, right = 0;
  for (const RECT& r : p.rects) bottom = std::max(bottom, static_cast<int>(r.bottom)), right = std::max(right, static_cast<int>(r.right));
  p.canvas = std::make_unique<BarMenuCanvas>(right + 10, bottom);
  p.canvas->Fill(Sys(COLOR_MENU));  // as the menu window is before its items paint
  DrawMenu(menu, *p.canvas, p.rects, selected);
  return p;
}

void SolidPicture(rtl::TBitmap& picture, int width, int height, COLORREF colour) {
  picture.SetSize32(width, height);
  for (int i = 0; i < width * height; ++i)
    picture.Bits()[i] = GetBValue(colour) | GetGValue(colour) << 8 | GetRValue(colour) << 16;
}

TEST(BarMenuPaint, BarParts) {
  const COLORREF start = RGB(0xAF, 0xBD, 0xD8), red = RGB(255, 0, 0), blue = RGB(0, 0, 255);
  struct Case {
    const char* name;
    std::function<void(TBcBarPopupMenu&)> setup;
    std::function<void(const Painted&)> check;
  };
  const Case cases[] = {
      {"a vertical gradient", [](TBcBarPopupMenu&) {},
       [&](const Painted& p) {
         const int h = p.height();
         for (int x : {0, 12, 24}) {
           EXPECT_EQ(start, p.canvas->At(x, 0));
           // Towards black, truncating: S + (H - 1) * (0 - S) / H.
           EXPECT_EQ(RGB(0xAF - (h - 1) * 0xAF / h, 0xBD - (h - 1) * 0xBD / h, 0xD8 - (h - 1) * 0xD8 / h),
                     p.canvas->At(x, h - 1));
         }
       }},
      {"equal colours: a flat fill", [](TBcBarPopupMenu& m) { m.Bar().SetGradientEnd(m.Bar().GradientStart()); },
       [&](const Painted& p) { EXPECT_EQ(25 * p.height(), p.canvas->Count({0, 0, 25, p.height()}, start)); }},
      {"an opaque tiled background hides the gradient",
       [&](TBcBarPopupMenu& m) {
         SolidPicture(m.Bar().BarBackPicture().Picture(), 4, 4, red);
         m.Bar().BarBackPicture().SetTransparent(false);
         m.Bar().BarBackPicture().SetDrawStyle(ui::dsTile);
       },
       [&](const Painted& p) { EXPECT_EQ(25 * p.height(), p.canvas->Count({0, 0, 25, p.height()}, red)); }},
      {"an opaque stretched background too",
       [&](TBcBarPopupMenu& m) {
         SolidPicture(m.Bar().BarBackPicture().Picture(), 3, 7, red);
         m.Bar().BarBackPicture().SetTransparent(false);
         m.Bar().BarBackPicture().SetDrawStyle(ui::dsStretch);
       },
       [&](const Painted& p) { EXPECT_EQ(25 * p.height(), p.canvas->Count({0, 0, 25, p.height()}, red)); }},
      {"a transparent one lets it through",
       [&](TBcBarPopupMenu& m) {
         SolidPicture(m.Bar().BarBackPicture().Picture(), 4, 4, red);
         m.Bar().BarBackPicture().SetDrawStyle(ui::dsTile);
       },
       [&](const Painted& p) { EXPECT_EQ(start, p.canvas->At(12, 0)); }},
      {"a transparent stretched one lets it through where its colour is",
       [&](TBcBarPopupMenu& m) {
         // Left column blue, the transparent colour (bottom left); right red.
         rtl::TBitmap& picture = m.Bar().BarBackPicture().Picture();
         SolidPicture(picture, 2, 2, blue);
         picture.Bits()[1] = picture.Bits()[3] = 0xFF0000;
         m.Bar().BarBackPicture().SetDrawStyle(ui::dsStretch);
       },
       [&](const Painted& p) {
         EXPECT_EQ(start, p.canvas->At(3, 0));
         EXPECT_EQ(0, p.canvas->Count({0, 0, 25, p.height()}, blue));
         EXPECT_EQ(red, p.canvas->At(20, p.height() - 1));
       }},
      {"a normal background at its place",
       [&](TBcBarPopupMenu& m) {
         SolidPicture(m.Bar().BarBackPicture().Picture(), 4, 4, red);
         m.Bar().BarBackPicture().SetTransparent(false);
         m.Bar().BarBackPicture().SetOffsetX(2);
         m.Bar().BarBackPicture().SetOffsetY(3);
       },
       [&](const Painted& p) {
         EXPECT_EQ(16, p.canvas->Count({0, 0, 25, p.height()}, red));
         EXPECT_EQ(red, p.canvas->At(2, 3));
         EXPECT_EQ(red, p.canvas->At(5, 6));
       }},
      {"a border with the background part", [&](TBcBarPopupMenu& m) { m.Bar().SetBorder(blue); },
       [&](const Painted& p) {
         EXPECT_EQ(blue, p.canvas->At(0, 0));
         EXPECT_EQ(blue, p.canvas->At(24, p.height() / 2));
         EXPECT_EQ(blue, p.canvas->At(12, p.height() - 1));
         EXPECT_NE(blue, p.canvas->At(12, 1));
       }},
      {"no border without it",
       [&](TBcBarPopupMenu& m) {
         m.Bar().SetBorder(blue);
         m.OnAdvancedBeforeDrawBar = [](ui::TBcCustomBarPopupMenu*, HDC, const RECT&, ui::TBarParts& parts) {
           EXPECT_TRUE(parts.Contains(ui::bpBackPicture) && parts.Contains(ui::bpGradient));
           EXPECT_FALSE(parts.Contains(ui::bpCaption)) << "the caption is not visible";
           parts.Exclude(ui::bpBackPicture);
         };
       },
       [&](const Painted& p) { EXPECT_EQ(0, p.canvas->Count({0, 0, 25, p.height()}, blue)); }},
      {"nothing when the handler says so",
       [&](TBcBarPopupMenu& m) {
         m.OnBeforeDrawBar = [](ui::TBcCustomBarPopupMenu*, HDC, const RECT&, bool& draw) { draw = false; };
       },
       [&](const Painted& p) { EXPECT_EQ(0, p.canvas->Count({0, 0, 25, p.height()}, start)); }},
      {"a caption with highlight and shadow",
       [&](TBcBarPopupMenu& m) {
         m.Bar().BarCaption().SetVisible(true);
         m.Bar().BarCaption().SetCaption("Caption");
         m.Bar().BarCaption().SetHighlightColor(red);
         m.Bar().BarCaption().SetShadowColor(blue);
       },
       [&](const Painted& p) {
         const RECT bar{0, 0, 25, p.height()};
         EXPECT_GT(p.canvas->Count(bar, RGB(255, 255, 255)), 10) << "the face";
         EXPECT_GT(p.canvas->Count(bar, red), 3) << "the highlight";
         EXPECT_GT(p.canvas->Count(bar, blue), 3) << "the shadow";
       }},
      {"on the right", [](TBcBarPopupMenu& m) { m.Bar().SetSide(ui::sRight); },
       [&](const Painted& p) {
         const int right = p.rects[0].right;
         EXPECT_EQ(start, p.canvas->At(right - 1, 0));
         EXPECT_EQ(start, p.canvas->At(right - 25, 0));
         EXPECT_NE(start, p.canvas->At(right - 26, 0));
         EXPECT_NE(start, p.canvas->At(0, 0));
       }},
      {"no bar when it is hidden", [](TBcBarPopupMenu& m) { m.Bar().SetVisible(false); },
       [&](const Painted& p) {
         EXPECT_EQ(0, p.canvas->Count({0, 0, 25, p.height()}, start));
         EXPECT_EQ(Sys(COLOR_MENU), p.canvas->At(0, 0)) << "the item starts at the left";
       }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    TBcBarPopupMenu menu;
    PlainMenu(menu);
    c.setup(menu);
    c.check(Paint(menu));
  }
}

// The lowest row of the bar with a pixel of the caption's white.
int LowestWhiteRow(const Painted& p) {
  for (int y = p.height() - 1; y >= 0; --y)
    for (int x = 0; x < 25; ++x)
      if (p.canvas->At(x, y) == RGB(255, 255, 255)) return y;
  return -1;
}

TEST(BarMenuPaint, CaptionMovesAboveABottomPicture) {
  const struct {
    const char* name;
    ui::TVertAlignment pictureAlignment;
    bool picture;
    int lift;
  } cases[] = {{"no picture", ui::vaBottom, false, 0},
               {"bottom picture", ui::vaBottom, true, 24},
               {"top picture", ui::vaTop, true, 0}};
  int plain = -1;
  for (const auto& c : cases) {
    TBcBarPopupMenu menu;
    PlainMenu(menu);
    for (int i = 0; i < 6; ++i) Add(menu, "More");
    menu.Bar().SetGradientEnd(menu.Bar().GradientStart());
    menu.Bar().BarCaption().SetVisible(true);
    menu.Bar().BarCaption().SetCaption("Caption");
    menu.Bar().BarPicture().SetVertAlignment(c.pictureAlignment);
    if (c.picture) SolidPicture(menu.Bar().BarPicture().Picture(), 10, 24, RGB(0, 128, 0));
    const int lowest = LowestWhiteRow(Paint(menu));
    ASSERT_GT(lowest, 0) << c.name << ": the caption is painted";
    if (plain < 0) plain = lowest;
    EXPECT_EQ(plain - c.lift, lowest) << c.name;
  }
}

TEST(BarMenuPaint, BarPaintedOnceThenCopiedBySlices) {
  TBcBarPopupMenu menu;
  PlainMenu(menu);
  const COLORREF start = RGB(0xAF, 0xBD, 0xD8), magenta = RGB(255, 0, 255);
  int afterDraws = 0;
  menu.OnAfterDrawBar = [&](ui::TBcCustomBarPopupMenu*, HDC canvas, const RECT& r) {
    ++afterDraws;
    rtl::Brush brush(::CreateSolidBrush(magenta));
    ::FillRect(canvas, &r, brush.Get());  // into the bitmap: only later copies show it
  };
  Painted first = Paint(menu);
  EXPECT_EQ(1, afterDraws);
  EXPECT_EQ(start, first.canvas->At(3, 0)) << "the first item's paint copies the whole bar";
  EXPECT_EQ(magenta, first.canvas->At(3, first.rects[1].top)) << "the next items copy their slice of the bitmap";
  EXPECT_TRUE(menu.GetBarCache().Drawn);

  // Shown again at the same size: the kept bar is copied, not painted.
  menu.GetBarCache().SetNeedsRebuild(true);
  BarMenuCanvas again(first.canvas->Width(), first.canvas->Height());
  MeasureMenu(menu);
  DrawMenu(menu, again, first.rects);
  EXPECT_EQ(1, afterDraws);
  EXPECT_EQ(magenta, again.At(3, 0));

  // A change to an item, or to the bar, paints it afresh.
  menu.Items().Items(0)->SetCaption("Changed");
  Paint(menu);
  EXPECT_EQ(2, afterDraws);
  menu.Bar().SetGradientEnd(rtl::clWhite);
  Paint(menu);
  EXPECT_EQ(3, afterDraws);

  menu.Bar().SetVisible(false);
  EXPECT_FALSE(menu.GetBarCache().HasBarBitmap()) << "hiding the bar frees its bitmap";
  EXPECT_TRUE(menu.GetBarCache().NeedsRebuild());
}

// Pixels of the colour whose neighbour one down and right has the other:
// the mark of embossed text.
int EmbossedPairs(const BarMenuCanvas& c, const RECT& r, COLORREF face, COLORREF below) {
  int n = 0;
  for (int y = r.top; y < r.bottom - 1; ++y)
    for (int x = r.left; x < r.right - 1; ++x) n += c.At(x, y) == face && c.At(x + 1, y + 1) == below;
  return n;
}

TEST(BarMenuPaint, NormalItems) {
  const COLORREF highlight = Sys(COLOR_HIGHLIGHT), shadow = Sys(COLOR_BTNSHADOW), text = Sys(COLOR_MENUTEXT);
  struct Case {
    const char* name;
    ui::TBcMenuStyle style;
    std::function<void(rtl::TMenuItem&)> setup;
    bool selected;
    std::function<void(const Painted&, const RECT& content)> check;
    bool rightToLeft = false;
  };
  const Case cases[] = {
      {"disabled: embossed", ui::msStandard, [](rtl::TMenuItem& i) { i.SetEnabled(false); }, false,
       [&](const Painted& p, const RECT& c) {
         EXPECT_GT(EmbossedPairs(*p.canvas, c, shadow, Sys(COLOR_BTNHIGHLIGHT)), 5);
         EXPECT_EQ(0, p.canvas->Count(c, text));
       }},
      {"disabled and selected: shadow on the highlight", ui::msStandard, [](rtl::TMenuItem& i) { i.SetEnabled(false); },
       true,
       [&](const Painted& p, const RECT& c) {
         EXPECT_GT(p.canvas->Count(c, highlight == shadow ? Sys(COLOR_BTNHIGHLIGHT) : shadow), 10);
         EXPECT_EQ(0, p.canvas->Count(c, text));
       }},
      {"selected, classic: from right of the glyph box", ui::msStandard, [](rtl::TMenuItem& i) { i.SetImageIndex(0); },
       true,
       [&](const Painted& p, const RECT& c) {
         EXPECT_EQ(highlight, p.canvas->At(c.right - 2, c.top + 2));
         EXPECT_NE(highlight, p.canvas->At(c.left + 1, c.top + 2));
       }},
      {"selected, XP: from the content's left", ui::msWindowsXP, [](rtl::TMenuItem& i) { i.SetImageIndex(0); }, true,
       [&](const Painted& p, const RECT& c) {
         EXPECT_EQ(highlight, p.canvas->At(c.right - 2, c.top + 2));
         EXPECT_EQ(highlight, p.canvas->At(c.left, c.top + 2));
       }},
      {"a checked radio item gets the bullet", ui::msStandard,
       [](rtl::TMenuItem& i) {
         i.SetChecked(true);
         i.SetRadioItem(true);
       },
       false,
       [&](const Painted& p, const RECT& c) {
         EXPECT_GE(p.canvas->Count({c.left, c.top, c.left + 14, c.bottom}, Sys(COLOR_BTNTEXT)), 20);
       }},
      {"unchecked: no mark", ui::msStandard, nullptr, false,
       [&](const Painted& p, const RECT& c) {
         EXPECT_EQ(0, p.canvas->Count({c.left, c.top, c.left + 14, c.bottom}, Sys(COLOR_BTNTEXT)));
       }},
      {"right to left: the caption against the right edge", ui::msStandard, nullptr, false,
       [&](const Painted& p, const RECT& c) {
         const int middle = (c.left + c.right) / 2;
         EXPECT_EQ(0, p.canvas->Count({c.left, c.top, middle, c.bottom}, text));
         EXPECT_GT(p.canvas->Count({middle, c.top, c.right, c.bottom}, text), 10);
       },
       true},
      {"a shortcut, right-aligned 10 pixels in", ui::msStandard,
       [](rtl::TMenuItem& i) { i.SetShortCut(rtl::scCtrl | 'O'); }, false,
       [&](const Painted& p, const RECT& c) {
         EXPECT_GT(p.canvas->Count({c.right - 40, c.top, c.right - 11, c.bottom}, text), 10);
         EXPECT_EQ(0, p.canvas->Count({c.right - 10, c.top, c.right, c.bottom}, text));
       }},
  };
  rtl::TImageList images(16, 16);
  images.AddIcon(nullptr);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    TBcBarPopupMenu menu;
    PlainMenu(menu);
    menu.Images = &images;
    menu.RightToLeft = c.rightToLeft;
    menu.SetMenuStyle(c.style);
    if (c.setup) c.setup(*menu.Items().Items(1));
    const Painted p = Paint(menu, c.selected ? 1 : -1);
    RECT content = p.rects[1];
    content.left += 26;
    c.check(p, content);
  }

  // A default item is bold: more text pixels for the same caption.
  int counts[2] = {};
  for (bool isDefault : {false, true}) {
    TBcBarPopupMenu menu;
    PlainMenu(menu);
    menu.Items().Items(1)->SetDefault(isDefault);
    const Painted p = Paint(menu);
    counts[isDefault] = p.canvas->Count(p.rects[1], text);
  }
  EXPECT_GT(counts[1], counts[0] + 5) << "bold";
}

TEST(BarMenuPaint, Separators) {
  const COLORREF gray = RGB(128, 128, 128), shadow = Sys(COLOR_BTNSHADOW), menuColour = Sys(COLOR_MENU);
  struct Case {
    const char* name;
    std::function<void(TBcBarPopupMenu&, rtl::TMenuItem&)> setup;
    std::function<void(const Painted&, const RECT& content)> check;
  };
  const Case cases[] = {
      {"a captioned band",
       [](TBcBarPopupMenu& m, rtl::TMenuItem& s) {
         m.Separators().SetSeparatorStyle(ui::ssCaption);
         s.SetHint("Band");
       },
       [&](const Painted& p, const RECT& c) {
         EXPECT_EQ(14, c.bottom - c.top);
         EXPECT_EQ(gray, p.canvas->At(c.left, c.top)) << "the separators' gradient from grey";
         EXPECT_EQ(gray, p.canvas->At(c.left, c.bottom - 1));
         EXPECT_NE(gray, p.canvas->At(c.right - 1, c.top)) << "to silver";
       }},
      {"disabled with a hint: a plain etched line",
       [](TBcBarPopupMenu& m, rtl::TMenuItem& s) {
         m.Separators().SetSeparatorStyle(ui::ssCaption);
         s.SetHint("Band");
         s.SetEnabled(false);
       },
       [&](const Painted& p, const RECT& c) {
         EXPECT_EQ(12, c.bottom - c.top);
         EXPECT_EQ(0, p.canvas->Count(c, gray == shadow ? RGB(1, 1, 1) : gray));
         EXPECT_EQ(shadow, p.canvas->At(c.left + 20, c.top + 5));
         EXPECT_EQ(Sys(COLOR_BTNHIGHLIGHT), p.canvas->At(c.left + 20, c.top + 6));
       }},
      {"faded: the line colour in the middle, what was there at the ends",
       [](TBcBarPopupMenu& m, rtl::TMenuItem&) {
         m.Separators().SetFade(true);
         m.Separators().SetFadeColor(RGB(0, 0, 0));
         m.Separators().SetFadeWidth(8);
       },
       [&](const Painted& p, const RECT& c) {
         const int row = c.top + 4, middle = (c.left + c.right) / 2;
         EXPECT_EQ(RGB(0, 0, 0), p.canvas->At(middle, row));
         EXPECT_EQ(menuColour, p.canvas->At(c.left, row)) << "distance 0: the old colour";
         EXPECT_EQ(menuColour, p.canvas->At(c.right - 1, row));
         const COLORREF fading = p.canvas->At(c.left + 4, row);
         EXPECT_LT(GetRValue(fading), GetRValue(menuColour));
         EXPECT_GT(GetRValue(fading), 0);
       }},
      {"faded round a text: a gap for it",
       [](TBcBarPopupMenu& m, rtl::TMenuItem& s) {
         m.Separators().SetFade(true);
         m.Separators().SetFadeColor(RGB(0, 0, 0));
         m.Separators().SetFadeWidth(4);
         s.SetHint("iii");  // upright strokes: a row through them is mostly free
       },
       [&](const Painted& p, const RECT& c) {
         const int row = c.top + 7, middle = (c.left + c.right) / 2;
         EXPECT_EQ(RGB(0, 0, 0), p.canvas->At(c.left + 6, row));
         EXPECT_EQ(RGB(0, 0, 0), p.canvas->At(c.right - 7, row));
         EXPECT_LT(p.canvas->Count({middle - 3, row, middle + 4, row + 1}, RGB(0, 0, 0)), 5)
             << "the text's place stays free of the line";
       }},
      {"short lines keep 12 pixels at either end",
       [](TBcBarPopupMenu& m, rtl::TMenuItem&) { m.Separators().SetSeparatorStyle(ui::ssShortLine); },
       [&](const Painted& p, const RECT& c) {
         EXPECT_EQ(menuColour, p.canvas->At(c.left + 11, c.top + 5));
         EXPECT_EQ(shadow, p.canvas->At(c.left + 12, c.top + 5));
         EXPECT_EQ(shadow, p.canvas->At(c.right - 13, c.top + 5));
         EXPECT_EQ(menuColour, p.canvas->At(c.right - 12, c.top + 5));
       }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    TBcBarPopupMenu menu;
    PlainMenu(menu);
    rtl::TMenuItem& line = Add(menu, "-");
    Add(menu, "After");
    c.setup(menu, line);
    const Painted p = Paint(menu);
    RECT content = p.rects[3];
    content.left += 26;
    c.check(p, content);
  }
}

}  // namespace
