#pragma once
// A popup menu that paints its own items and shows a vertical bar along one
// side: a colour gradient, an optional background picture, a picture and a
// caption written at 90 degrees. Separators may be etched or flat lines
// that fade towards their ends, or captioned bands.

#include <windows.h>

#include <functional>
#include <memory>
#include <string>

#include "rtl/core/Component.h"
#include "rtl/core/Exceptions.h"
#include "rtl/win32/Graphics.h"
#include "rtl/win32/Menus.h"
#include "ui/BcDrawModule.h"

namespace ui {

using rtl::TColor;

enum TGradientStyle { gsHorizontal, gsVertical, gsDiagonalLeftRight, gsDiagonalRightLeft };
enum TDrawStyle { dsNormal, dsTile, dsStretch };
enum TVertAlignment { vaTop, vaBottom, vaMiddle };
enum THorzAlignment { haLeft, haRight, haCenter };
enum TSide { sLeft, sRight };
enum TDirection { dDownToUp, dUpToDown };
enum TSeparatorStyle { ssNormal, ssShortLine, ssCaption };
enum TBcMenuStyle { msAuto, msStandard, msWindowsXP };
enum TBarPart { bpGradient, bpPicture, bpBackPicture, bpCaption };
enum TAlignment { taLeftJustify, taRightJustify, taCenter };

// A set of bar parts.
class TBarParts {
public:
  TBarParts() = default;
  TBarParts(std::initializer_list<TBarPart> parts) {
    for (TBarPart p : parts) Include(p);
  }
  bool Contains(TBarPart part) const { return (FBits & Bit(part)) != 0; }
  void Include(TBarPart part) { FBits |= Bit(part); }
  void Exclude(TBarPart part) { FBits &= ~Bit(part); }
  bool operator==(const TBarParts& o) const { return FBits == o.FBits; }

private:
  static unsigned Bit(TBarPart part) { return 1u << static_cast<unsigned>(part); }
  unsigned FBits = 0;
};

class ERequireOwner : public rtl::Exception {
public:
  explicit ERequireOwner(const char* className);
};
class EInvalidPropertyIndex : public rtl::Exception {
public:
  explicit EInvalidPropertyIndex(int index);
};

class TBcCustomBarPopupMenu;

using TOnBeforeDrawBarEvent =
    std::function<void(TBcCustomBarPopupMenu* sender, HDC canvas, const RECT& rect, bool& defaultDraw)>;
using TOnAdvancedBeforeDrawBarEvent =
    std::function<void(TBcCustomBarPopupMenu* sender, HDC canvas, const RECT& rect, TBarParts& drawParts)>;
using TOnAfterDrawBarEvent = std::function<void(TBcCustomBarPopupMenu* sender, HDC canvas, const RECT& rect)>;
using TOnMeasureMenuItemEvent =
    std::function<void(TBcCustomBarPopupMenu* sender, rtl::TMenuItem* menuItem, HDC canvas, int& width, int& height,
                       bool barVisible, bool& defaultMeasure)>;

// A part of the menu. Parts exist only with their menu; a change to one
// makes the bar be painted again.
class TBcMenuPart : public rtl::TPersistent {
public:
  TBcCustomBarPopupMenu* Menu() const { return FMenu; }

protected:
  TBcMenuPart(TBcCustomBarPopupMenu* owner, const char* className);
  void Changed();
  // A property's new value takes effect at the next painting of the bar.
  template <class T>
  void Store(T& field, T value) {
    field = value;
    Changed();
  }

private:
  TBcCustomBarPopupMenu* FMenu;
};

class TBcGradientBar : public TBcMenuPart {
public:
  // 0 = GradientStart, 1 = GradientEnd.
  TColor GetColor(int index) const;
  void SetColor(int index, TColor color);
  TColor GradientStart() const { return GetColor(0); }
  void SetGradientStart(TColor color) { SetColor(0, color); }
  TColor GradientEnd() const { return GetColor(1); }
  void SetGradientEnd(TColor color) { SetColor(1, color); }
  TGradientStyle GradientStyle() const { return FGradientStyle; }
  void SetGradientStyle(TGradientStyle style) { Store(FGradientStyle, style); }

protected:
  TBcGradientBar(TBcCustomBarPopupMenu* owner, const char* className, TColor start, TColor end,
                 TGradientStyle style);
  void AssignGradient(const TBcGradientBar& other);
  TColor Border() const { return FBorder; }
  void SetBorder(TColor color) { Store(FBorder, color); }

private:
  TColor FColors[2];
  TColor FBorder = rtl::clNone;
  TGradientStyle FGradientStyle;
};

class TBcBarPicture : public TBcMenuPart {
public:
  explicit TBcBarPicture(TBcCustomBarPopupMenu* owner) : TBcBarPicture(owner, "TBcBarPicture", vaBottom, haCenter) {}
  void Assign(const TBcBarPicture& other);

  bool Transparent() const { return FTransparent; }
  void SetTransparent(bool transparent) { Store(FTransparent, transparent); }
  // Made on first use.
  rtl::TBitmap& Picture();
  // A picture with pixels in it.
  bool HasPicture() const { return FPicture && !FPicture->Empty(); }
  int OffsetX() const { return FOffsetX; }
  void SetOffsetX(int offset) { Store(FOffsetX, offset); }
  int OffsetY() const { return FOffsetY; }
  void SetOffsetY(int offset) { Store(FOffsetY, offset); }
  TVertAlignment VertAlignment() const { return FVertAlignment; }
  void SetVertAlignment(TVertAlignment alignment) { Store(FVertAlignment, alignment); }
  THorzAlignment HorzAlignment() const { return FHorzAlignment; }
  void SetHorzAlignment(THorzAlignment alignment) { Store(FHorzAlignment, alignment); }
  bool Visible() const { return FVisible; }
  void SetVisible(bool visible) { Store(FVisible, visible); }

protected:
  TBcBarPicture(TBcCustomBarPopupMenu* owner, const char* className, TVertAlignment vertical,
                THorzAlignment horizontal);

private:
  bool FTransparent = true;
  std::unique_ptr<rtl::TBitmap> FPicture;
  int FOffsetX = 0, FOffsetY = 0;
  TVertAlignment FVertAlignment;
  THorzAlignment FHorzAlignment;
  bool FVisible = true;
};

class TBcBarBackPicture : public TBcBarPicture {
public:
  explicit TBcBarBackPicture(TBcCustomBarPopupMenu* owner)
      : TBcBarPicture(owner, "TBcBarBackPicture", vaTop, haLeft) {}
  void Assign(const TBcBarBackPicture& other);
  TDrawStyle DrawStyle() const { return FDrawStyle; }
  void SetDrawStyle(TDrawStyle style) { Store(FDrawStyle, style); }

private:
  TDrawStyle FDrawStyle = dsNormal;
};

class TBcBarCaption : public TBcMenuPart {
public:
  explicit TBcBarCaption(TBcCustomBarPopupMenu* owner);
  void Assign(const TBcBarCaption& other);

  // Tahoma 14 pt, white, bold and italic.
  rtl::TFont& Font() { return FFont; }
  const rtl::TFont& Font() const { return FFont; }
  TColor ShadowColor() const { return FShadowColor; }
  void SetShadowColor(TColor color) { Store(FShadowColor, color); }
  TColor HighlightColor() const { return FHighlightColor; }
  void SetHighlightColor(TColor color) { Store(FHighlightColor, color); }
  int Depth() const { return FDepth; }
  void SetDepth(int depth) { Store(FDepth, depth); }
  const std::string& Caption() const { return FCaption; }
  void SetCaption(const std::string& caption);
  int OffsetY() const { return FOffsetY; }
  void SetOffsetY(int offset) { Store(FOffsetY, offset); }
  TVertAlignment Alignment() const { return FAlignment; }
  void SetAlignment(TVertAlignment alignment) { Store(FAlignment, alignment); }
  TDirection Direction() const { return FDirection; }
  void SetDirection(TDirection direction) { Store(FDirection, direction); }
  bool Visible() const { return FVisible; }
  void SetVisible(bool visible) { Store(FVisible, visible); }

private:
  rtl::TFont FFont;
  TColor FShadowColor = rtl::clNone, FHighlightColor = rtl::clNone;
  int FDepth = 1;
  std::string FCaption;
  int FOffsetY = 6;
  TVertAlignment FAlignment = vaBottom;
  TDirection FDirection = dDownToUp;
  bool FVisible = true;
};

class TBcBar : public TBcGradientBar {
public:
  explicit TBcBar(TBcCustomBarPopupMenu* owner);
  void Assign(const TBcBar& other);

  using TBcGradientBar::Border;
  using TBcGradientBar::SetBorder;
  int Width() const { return FWidth; }
  void SetWidth(int width) { Store(FWidth, width); }
  int Space() const { return FSpace; }
  void SetSpace(int space) { Store(FSpace, space); }
  bool Visible() const { return FVisible; }
  // False also frees the bar's bitmap and measures the bar afresh.
  void SetVisible(bool visible);
  TSide Side() const { return FSide; }
  void SetSide(TSide side) { Store(FSide, side); }
  TBcBarPicture& BarPicture() { return FBarPicture; }
  const TBcBarPicture& BarPicture() const { return FBarPicture; }
  TBcBarBackPicture& BarBackPicture() { return FBarBackPicture; }
  const TBcBarBackPicture& BarBackPicture() const { return FBarBackPicture; }
  TBcBarCaption& BarCaption() { return FBarCaption; }
  const TBcBarCaption& BarCaption() const { return FBarCaption; }

private:
  int FWidth = 32, FSpace = 1;
  bool FVisible = true;
  TSide FSide = sLeft;
  TBcBarPicture FBarPicture;
  TBcBarBackPicture FBarBackPicture;
  TBcBarCaption FBarCaption;
};

class TBcSeparators : public TBcGradientBar {
public:
  explicit TBcSeparators(TBcCustomBarPopupMenu* owner);
  void Assign(const TBcSeparators& other);

  bool Fade() const { return FFade; }
  void SetFade(bool fade) { Store(FFade, fade); }
  int FadeWidth() const { return FFadeWidth; }
  void SetFadeWidth(int width) { Store(FFadeWidth, width); }
  TColor FadeColor() const { return FFadeColor; }
  void SetFadeColor(TColor color) { Store(FFadeColor, color); }
  bool FlatLines() const { return FFlatLines; }
  void SetFlatLines(bool flat) { Store(FFlatLines, flat); }
  rtl::TFont& Font() { return FFont; }
  const rtl::TFont& Font() const { return FFont; }
  TAlignment Alignment() const { return FAlignment; }
  void SetAlignment(TAlignment alignment) { Store(FAlignment, alignment); }
  TSeparatorStyle SeparatorStyle() const { return FSeparatorStyle; }
  void SetSeparatorStyle(TSeparatorStyle style) { Store(FSeparatorStyle, style); }
  bool UseSystemFont() const { return FUseSystemFont; }
  void SetUseSystemFont(bool use) { Store(FUseSystemFont, use); }

private:
  bool FFade = false;
  int FFadeWidth = 32;
  TColor FFadeColor = rtl::clBtnShadow;
  bool FFlatLines = false;
  rtl::TFont FFont;
  TAlignment FAlignment = taCenter;
  TSeparatorStyle FSeparatorStyle = ssNormal;
  bool FUseSystemFont = true;
};

// The painted bar, kept between item paints and between showings.
class TBcBarProtected {
public:
  // Made on first use.
  rtl::TBitmap& BarBitmap();
  bool HasBarBitmap() const { return FBarBitmap != nullptr; }
  void FreeBarBitmap() { FBarBitmap.reset(); }
  int BarHeight = 0;
  // The bitmap holds a finished bar.
  bool Drawn = false;
  bool NeedsRebuild() const { return FNeedsRebuild; }
  // True also starts the bar's height afresh.
  void SetNeedsRebuild(bool rebuild);

private:
  std::unique_ptr<rtl::TBitmap> FBarBitmap;
  bool FNeedsRebuild = true;
};

// How the painting code reaches the menu's parts.
class IBarMenusIntf {
public:
  virtual TBcBar& GetBar() = 0;
  virtual TBcSeparators& GetSeparators() = 0;
  virtual rtl::TFont& GetMenuFont() = 0;
  virtual bool GetUseSystemFont() const = 0;
  virtual TBcMenuStyle GetMenuStyle() const = 0;
  virtual TBcBarMenusDrawModule* GetDrawModule() const = 0;
  virtual TBcBarProtected& GetBarCache() = 0;
  virtual rtl::TImageList* GetImages() const = 0;
  virtual bool GetRightToLeft() const = 0;

protected:
  ~IBarMenusIntf() = default;
};

class TBcCustomBarPopupMenu : public rtl::TPopupMenu, public IBarMenusIntf, public IDrawModuleMenu {
public:
  TBcCustomBarPopupMenu();
  ~TBcCustomBarPopupMenu() override;

  void Popup(HWND owner, int x, int y) override;
  void MenuChanged(rtl::TMenuItem* source, bool rebuild) override;
  void Loaded() override;
  // A component that goes away; the menu forgets it when it is its module.
  void Notification(rtl::TComponent* component, TOperation operation) override;

  // Whether the item is drawn beside the bar: the bar is visible, the item
  // belongs to this menu's top level and is in its first column.
  bool ItemCarriesBar(const rtl::TMenuItem& item) const;
  // The style in use: MenuStyle, or by the Windows version for msAuto.
  TBcMenuStyle EffectiveStyle() const;
  // Gives the item, and the items below it, the menu's measure and draw
  // handlers where they have none of their own.
  void HookItems(rtl::TMenuItem& item);
  // The handlers that hooked items get.
  void MeasureMenuItem(rtl::TMenuItem* item, HDC canvas, int& width, int& height);
  void DrawMenuItem(rtl::TMenuItem* item, HDC canvas, const RECT& rect, UINT state);
  // Marks the bar for measuring and painting afresh.
  void Refresh() override;

  // IBarMenusIntf
  TBcBar& GetBar() override { return FBar; }
  TBcSeparators& GetSeparators() override { return FSeparators; }
  rtl::TFont& GetMenuFont() override { return FMenuFont; }
  bool GetUseSystemFont() const override { return FUseSystemFont; }
  TBcMenuStyle GetMenuStyle() const override { return FMenuStyle; }
  TBcBarMenusDrawModule* GetDrawModule() const override { return FDrawModule; }
  TBcBarProtected& GetBarCache() override { return FBarCache; }
  rtl::TImageList* GetImages() const override { return Images; }
  bool GetRightToLeft() const override { return RightToLeft; }

protected:
  TBcBar& Bar() { return FBar; }
  TBcSeparators& Separators() { return FSeparators; }
  rtl::TFont& MenuFont() { return FMenuFont; }
  TBcMenuStyle MenuStyle() const { return FMenuStyle; }
  void SetMenuStyle(TBcMenuStyle style);
  bool UseSystemFont() const { return FUseSystemFont; }
  void SetUseSystemFont(bool use);
  TBcBarMenusDrawModule* DrawModule() const { return FDrawModule; }
  void SetDrawModule(TBcBarMenusDrawModule* module);

  TOnBeforeDrawBarEvent OnBeforeDrawBar;
  TOnAdvancedBeforeDrawBarEvent OnAdvancedBeforeDrawBar;
  TOnAfterDrawBarEvent OnAfterDrawBar;
  TOnMeasureMenuItemEvent OnMeasureMenuItem;

  virtual void DoBeforeDrawBar(HDC canvas, const RECT& rect, bool& defaultDraw);
  virtual void DoAdvancedBeforeDrawBar(HDC canvas, const RECT& rect, TBarParts& drawParts);
  virtual void DoAfterDrawBar(HDC canvas, const RECT& rect);
  virtual void DoMeasureMenuItem(rtl::TMenuItem* item, HDC canvas, int& width, int& height, bool barVisible,
                                 bool& defaultMeasure);

  HFONT MeasureFont() const override;

private:
  void PaintBarInto(HDC canvas);

  // First: the parts' changes reach it while they are being made.
  TBcBarProtected FBarCache;
  TBcBar FBar;
  TBcSeparators FSeparators;
  rtl::TFont FMenuFont;
  TBcMenuStyle FMenuStyle = msAuto;
  bool FUseSystemFont = true;
  int FBarTop = 0;  // client row of the bar bitmap's first row
  TBcBarMenusDrawModule* FDrawModule = nullptr;
};

class TBcBarPopupMenu : public TBcCustomBarPopupMenu {
public:
  using TBcCustomBarPopupMenu::Bar;
  using TBcCustomBarPopupMenu::DrawModule;
  using TBcCustomBarPopupMenu::MenuFont;
  using TBcCustomBarPopupMenu::MenuStyle;
  using TBcCustomBarPopupMenu::OnAdvancedBeforeDrawBar;
  using TBcCustomBarPopupMenu::OnAfterDrawBar;
  using TBcCustomBarPopupMenu::OnBeforeDrawBar;
  using TBcCustomBarPopupMenu::OnMeasureMenuItem;
  using TBcCustomBarPopupMenu::Separators;
  using TBcCustomBarPopupMenu::SetDrawModule;
  using TBcCustomBarPopupMenu::SetMenuStyle;
  using TBcCustomBarPopupMenu::SetUseSystemFont;
  using TBcCustomBarPopupMenu::UseSystemFont;
};

}  // namespace ui
