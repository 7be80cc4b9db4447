// The side-bar menu's parts, its item hooks and how it measures items.

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

#include "rtl/win32/DeviceContext.h"
#include "tests/win32/BarMenuCanvas.h"
#include "ui/BarMenus.h"
#include "ui/BcDrawModule.h"

namespace {

using ui::TBcBarPopupMenu;

// Width and height of one item as the menu's hook leaves them, from the
// library's default size.
struct Measured {
  int defaultWidth, defaultHeight, width, height;
};
Measured Measure(rtl::TMenuItem& item) {
  rtl::WindowDC screen(nullptr);
  Measured m{};
  item.DefaultSize(screen.Get(), m.defaultWidth, m.defaultHeight);
  m.width = m.defaultWidth;
  m.height = m.defaultHeight;
  if (item.OnMeasureItem) item.OnMeasureItem(&item, screen.Get(), m.width, m.height);
  return m;
}

rtl::TMenuItem& Add(rtl::TMenuItem& parent, const std::string& caption) {
  auto item = std::make_unique<rtl::TMenuItem>();
  item->SetCaption(caption);
  return *parent.Add(std::move(item));
}

TEST(BarMenuParts, CreatedWithoutOwnerOrReadByAWrongIndex) {
  const struct {
    const char* expected;
    std::function<void()> create;
  } owners[] = {
      {"Tried to create TBcBar with no owner.", [] { ui::TBcBar part(nullptr); }},
      {"Tried to create TBcSeparators with no owner.", [] { ui::TBcSeparators part(nullptr); }},
      {"Tried to create TBcBarPicture with no owner.", [] { ui::TBcBarPicture part(nullptr); }},
      {"Tried to create TBcBarBackPicture with no owner.", [] { ui::TBcBarBackPicture part(nullptr); }},
      {"Tried to create TBcBarCaption with no owner.", [] { ui::TBcBarCaption part(nullptr); }},
  };
  for (const auto& o : owners) {
    try {
      o.create();
      ADD_FAILURE() << "no exception for " << o.expected;
    } catch (const ui::ERequireOwner& e) {
      EXPECT_EQ(o.expected, e.Message());
    }
  }
  TBcBarPopupMenu menu;
  for (int index : {-1, 2, 1000}) {
    try {
      menu.Separators().SetColor(index, 0);
      ADD_FAILURE() << index;
    } catch (const ui::EInvalidPropertyIndex& e) {
      EXPECT_EQ("Invalid property index " + std::to_string(index) + ".", e.Message());
    }
    EXPECT_THROW(menu.Bar().GetColor(index), ui::EInvalidPropertyIndex);
  }
  menu.Bar().SetColor(1, 0x123456);
  EXPECT_EQ(0x123456, menu.Bar().GradientEnd());
}

TEST(BarMenuParts, CopyingCopiesEveryProperty) {
  TBcBarPopupMenu from, to;
  ui::TBcBar& bar = from.Bar();
  bar.SetBorder(0x010203);
  bar.SetGradientStart(0x040506);
  bar.SetGradientEnd(0x070809);
  bar.SetGradientStyle(ui::gsDiagonalRightLeft);
  bar.SetWidth(40);
  bar.SetSpace(3);
  bar.SetSide(ui::sRight);
  bar.SetVisible(false);
  bar.BarPicture().SetTransparent(false);
  bar.BarPicture().Picture().SetSize32(5, 6);
  bar.BarPicture().SetOffsetX(7);
  bar.BarPicture().SetOffsetY(8);
  bar.BarPicture().SetVertAlignment(ui::vaMiddle);
  bar.BarPicture().SetHorzAlignment(ui::haRight);
  bar.BarPicture().SetVisible(false);
  bar.BarBackPicture().SetDrawStyle(ui::dsTile);
  bar.BarBackPicture().SetOffsetY(-4);
  ui::TBcBarCaption& caption = bar.BarCaption();
  caption.Font().SetName("Arial");
  caption.SetShadowColor(0x0A0B0C);
  caption.SetHighlightColor(0x0D0E0F);
  caption.SetDepth(2);
  caption.SetCaption("Bar");
  caption.SetOffsetY(9);
  caption.SetAlignment(ui::vaTop);
  caption.SetDirection(ui::dUpToDown);
  caption.SetVisible(false);
  to.Bar().Assign(bar);

  const ui::TBcBar& copy = to.Bar();
  EXPECT_EQ(0x010203, copy.Border());
  EXPECT_EQ(0x040506, copy.GradientStart());
  EXPECT_EQ(0x070809, copy.GradientEnd());
  EXPECT_EQ(ui::gsDiagonalRightLeft, copy.GradientStyle());
  EXPECT_EQ(40, copy.Width());
  EXPECT_EQ(3, copy.Space());
  EXPECT_EQ(ui::sRight, copy.Side());
  EXPECT_FALSE(copy.Visible());
  EXPECT_FALSE(copy.BarPicture().Transparent());
  EXPECT_TRUE(copy.BarPicture().HasPicture());
  EXPECT_NE(bar.BarPicture().Picture().Handle(), to.Bar().BarPicture().Picture().Handle()) << "a copy, not shared";
  EXPECT_EQ(7, copy.BarPicture().OffsetX());
  EXPECT_EQ(8, copy.BarPicture().OffsetY());
  EXPECT_EQ(ui::vaMiddle, copy.BarPicture().VertAlignment());
  EXPECT_EQ(ui::haRight, copy.BarPicture().HorzAlignment());
  EXPECT_FALSE(copy.BarPicture().Visible());
  EXPECT_EQ(ui::dsTile, copy.BarBackPicture().DrawStyle());
  EXPECT_EQ(-4, copy.BarBackPicture().OffsetY());
  EXPECT_EQ(ui::vaTop, copy.BarBackPicture().VertAlignment()) << "the background picture's own default";
  EXPECT_EQ("Arial", copy.BarCaption().Font().Name());
  EXPECT_EQ(0x0A0B0C, copy.BarCaption().ShadowColor());
  EXPECT_EQ(0x0D0E0F, copy.BarCaption().HighlightColor());
  EXPECT_EQ(2, copy.BarCaption().Depth());
  EXPECT_EQ("Bar", copy.BarCaption().Caption());
  EXPECT_EQ(9, copy.BarCaption().OffsetY());
  EXPECT_EQ(ui::vaTop, copy.BarCaption().Alignment());
  EXPECT_EQ(ui::dUpToDown, copy.BarCaption().Direction());
  EXPECT_FALSE(copy.BarCaption().Visible());

  ui::TBcSeparators& s = from.Separators();
  s.SetFade(true);
  s.SetFadeWidth(5);
  s.SetFadeColor(0x111111);
  s.SetFlatLines(true);
  s.Font().SetHeight(-20);
  s.SetAlignment(ui::taRightJustify);
  s.SetSeparatorStyle(ui::ssCaption);
  s.SetUseSystemFont(false);
  s.SetGradientEnd(0x222222);
  to.Separators().Assign(s);
  const ui::TBcSeparators& t = to.Separators();
  EXPECT_TRUE(t.Fade());
  EXPECT_EQ(5, t.FadeWidth());
  EXPECT_EQ(0x111111, t.FadeColor());
  EXPECT_TRUE(t.FlatLines());
  EXPECT_EQ(-20, t.Font().Height());
  EXPECT_EQ(ui::taRightJustify, t.Alignment());
  EXPECT_EQ(ui::ssCaption, t.SeparatorStyle());
  EXPECT_FALSE(t.UseSystemFont());
  EXPECT_EQ(0x222222, t.GradientEnd());
  EXPECT_EQ(rtl::clGray, t.GradientStart());
}

TEST(BarMenuMeasure, SeparatorHeights) {
  const struct {
    ui::TBcMenuStyle style;
    bool enabled;
    const char* hint;
    int height;
  } cases[] = {
      {ui::msStandard, true, "Band", 14}, {ui::msWindowsXP, true, "Band", 14},
      {ui::msStandard, false, "Band", 12},  // a disabled separator with a hint is a plain line
      {ui::msWindowsXP, false, "Band", 9},  {ui::msStandard, true, "", 12},
      {ui::msWindowsXP, true, "", 9},
  };
  for (const auto& c : cases) {
    TBcBarPopupMenu menu;
    menu.SetMenuStyle(c.style);
    rtl::TMenuItem& line = Add(menu.Items(), "-");
    line.SetEnabled(c.enabled);
    line.SetHint(c.hint);
    EXPECT_EQ(c.height, Measure(line).height) << c.style << c.enabled << c.hint;
  }
}

TEST(BarMenuMeasure, WidthsWithAndWithoutTheBar) {
  rtl::TImageList images(16, 16);
  struct Case {
    const char* name;
    std::function<void(TBcBarPopupMenu&)> setup;
    int item;  // which top-level item; -1: the first item of the first submenu
    int extraWidth;
    bool evenHeight;
  };
  const Case cases[] = {
      {"bar", [](TBcBarPopupMenu&) {}, 0, 26, false},
      {"no bar", [](TBcBarPopupMenu& m) { m.Bar().SetVisible(false); }, 0, 0, false},
      {"wider bar", [](TBcBarPopupMenu& m) { m.Bar().SetSpace(4); }, 0, 29, false},
      {"check mark room", [](TBcBarPopupMenu& m) { m.Images = nullptr; }, 0, 49, false},
      {"own bitmap", [](TBcBarPopupMenu& m) { m.Images = nullptr; m.Items().Items(0)->Bitmap().SetSize32(4, 4); }, 0, 26, false},
      {"xp", [](TBcBarPopupMenu& m) { m.SetMenuStyle(ui::msWindowsXP); }, 0, 28, true},
      {"short lines", [](TBcBarPopupMenu& m) { m.Separators().SetSeparatorStyle(ui::ssShortLine); }, 0, 36, false},
      {"submenu", [](TBcBarPopupMenu&) {}, -1, 0, false},
      {"second column", [](TBcBarPopupMenu& m) { m.Items().Items(1)->SetBreak(rtl::mbBarBreak); }, 2, 0, false},
      {"first column", [](TBcBarPopupMenu& m) { m.Items().Items(1)->SetBreak(rtl::mbBarBreak); }, 0, 26, false},
      {"hidden break", [](TBcBarPopupMenu& m) {
         m.Items().Items(1)->SetBreak(rtl::mbBreak);
         m.Items().Items(1)->SetVisible(false);
       }, 2, 26, false},
      {"measure handler takes over", [](TBcBarPopupMenu& m) {
         m.Separators().SetSeparatorStyle(ui::ssShortLine);
         m.OnMeasureMenuItem = [](ui::TBcCustomBarPopupMenu*, rtl::TMenuItem*, HDC, int& w, int&, bool barVisible,
                                  bool& defaultMeasure) {
           EXPECT_TRUE(barVisible);
           w += 100;
           defaultMeasure = false;  // no short-line room, the bar still
         };
       }, 0, 126, false},
  };
  for (const auto& c : cases) {
    TBcBarPopupMenu menu;
    menu.SetMenuStyle(ui::msStandard);
    menu.Images = &images;
    menu.Bar().SetWidth(25);
    Add(menu.Items(), "&First");
    Add(menu.Items(), "Second");
    Add(Add(menu.Items(), "Third"), "Inner");
    c.setup(menu);
    rtl::TMenuItem& item = c.item < 0 ? *menu.Items().Items(2)->Items(0) : *menu.Items().Items(c.item);
    const Measured m = Measure(item);
    EXPECT_EQ(m.defaultWidth + c.extraWidth, m.width) << c.name;
    if (c.evenHeight)
      EXPECT_EQ(0, m.height % 2) << c.name;
    else
      EXPECT_EQ(m.defaultHeight, m.height) << c.name;
  }
}

TEST(BarMenuMeasure, BarHeightSumsTheBarItemsWhileRebuilding) {
  TBcBarPopupMenu menu;
  for (const char* caption : {"One", "-", "Two", "Three"}) Add(menu.Items(), caption);
  menu.Items().Items(3)->SetBreak(rtl::mbBreak);  // second column: not beside the bar
  menu.Refresh();
  const std::vector<RECT> rects = MeasureMenu(menu);
  const int expected = (rects[0].bottom - rects[0].top) + (rects[1].bottom - rects[1].top) + (rects[2].bottom - rects[2].top);
  EXPECT_EQ(expected, menu.GetBarCache().BarHeight);
  menu.GetBarCache().SetNeedsRebuild(false);
  MeasureMenu(menu);
  EXPECT_EQ(expected, menu.GetBarCache().BarHeight) << "measured again without a rebuild: unchanged";
  menu.GetBarCache().SetNeedsRebuild(true);
  EXPECT_EQ(0, menu.GetBarCache().BarHeight);
}

TEST(BarMenuHooks, EveryItemOnceWithoutTakingItsOwnHandlers) {
  TBcBarPopupMenu menu;
  menu.BeginLoading();
  rtl::TMenuItem& own = Add(menu.Items(), "Own");
  bool ownMeasured = false;
  own.OnMeasureItem = [&](rtl::TMenuItem*, HDC, int&, int&) { ownMeasured = true; };
  own.OnDrawItem = [](rtl::TMenuItem*, HDC, const RECT&, bool) {};
  rtl::TMenuItem& parent = Add(menu.Items(), "Parent");
  rtl::TMenuItem& child = Add(parent, "Child");
  EXPECT_FALSE(child.OnMeasureItem) << "not while loading";
  menu.Loaded();
  EXPECT_TRUE(child.OnMeasureItem && child.OnAdvancedDrawItem) << "submenus too, after loading";
  EXPECT_FALSE(own.OnAdvancedDrawItem) << "an item with a draw handler keeps it";
  Measure(own);
  EXPECT_TRUE(ownMeasured);
  rtl::TMenuItem& later = Add(child, "Later");
  EXPECT_TRUE(later.OnMeasureItem && later.OnAdvancedDrawItem) << "an item added afterwards";
  EXPECT_TRUE(menu.OwnerDraw());
}

class SkippingModule : public ui::TBcBarMenusDrawModule {
public:
  using TBcBarMenusDrawModule::TBcBarMenusDrawModule;
  void DrawMenuItem(rtl::TMenuItem*, HDC, const RECT&, UINT, bool, bool& defaultDraw) override {
    ++Draws;
    defaultDraw = false;
  }
  void MeasureMenuItem(rtl::TMenuItem*, HDC, int& width, int&, bool, bool& defaultMeasure) override {
    width += 7;
    defaultMeasure = false;
  }
  int Draws = 0;
};

TEST(BarMenuModule, TakesOverItemsAndIsForgottenWhenItGoes) {
  TBcBarPopupMenu menu;
  menu.SetMenuStyle(ui::msStandard);
  menu.Bar().SetWidth(20);
  menu.Separators().SetSeparatorStyle(ui::ssShortLine);
  rtl::TMenuItem& item = Add(menu.Items(), "Item");
  auto module = std::make_unique<SkippingModule>(nullptr);
  menu.SetDrawModule(module.get());
  EXPECT_EQ(&menu, module->Menu());
  const Measured m = Measure(item);
  EXPECT_EQ(m.defaultWidth + 23 + 7 + 21, m.width) << "check-mark room, the module's width and the bar, no short-line room";

  menu.Refresh();
  const std::vector<RECT> rects = MeasureMenu(menu);
  BarMenuCanvas canvas(200, 40);
  DrawMenu(menu, canvas, rects);
  EXPECT_EQ(1, module->Draws);
  EXPECT_EQ(RGB(1, 2, 3), canvas.At(rects[0].right - 3, rects[0].top + 2)) << "the item itself is not painted";
  EXPECT_EQ(RGB(0xAF, 0xBD, 0xD8), canvas.At(5, 0)) << "the bar is, from its default start colour";

  module.reset();
  EXPECT_EQ(nullptr, menu.DrawModule());
}

}  // namespace
