#include "ui/BarMenus.h"

#include "rtl/core/SysUtils.h"
#include "ui/BcDrawModule.h"
#include "ui/core/BarGeometry.h"

namespace ui {

ERequireOwner::ERequireOwner(const char* className)
    : rtl::Exception(rtl::Format("Tried to create %s with no owner.", className)) {}

EInvalidPropertyIndex::EInvalidPropertyIndex(int index)
    : rtl::Exception(rtl::Format("Invalid property index %d.", index)) {}

// ---------------------------------------------------------------- parts

TBcMenuPart::TBcMenuPart(TBcCustomBarPopupMenu* owner, const char* className) : FMenu(owner) {
  if (!owner) throw ERequireOwner(className);
}

void TBcMenuPart::Changed() { FMenu->Refresh(); }

TBcGradientBar::TBcGradientBar(TBcCustomBarPopupMenu* owner, const char* className, TColor start, TColor end,
                               TGradientStyle style)
    : TBcMenuPart(owner, className), FColors{start, end}, FGradientStyle(style) {}

TColor TBcGradientBar::GetColor(int index) const {
  if (index != 0 && index != 1) throw EInvalidPropertyIndex(index);
  return FColors[index];
}

void TBcGradientBar::SetColor(int index, TColor color) {
  if (index != 0 && index != 1) throw EInvalidPropertyIndex(index);
  FColors[index] = color;
  Changed();
}

void TBcGradientBar::AssignGradient(const TBcGradientBar& other) {
  FColors[0] = other.FColors[0];
  FColors[1] = other.FColors[1];
  FBorder = other.FBorder;
  FGradientStyle = other.FGradientStyle;
  Changed();
}

TBcBarPicture::TBcBarPicture(TBcCustomBarPopupMenu* owner, const char* className, TVertAlignment vertical,
                             THorzAlignment horizontal)
    : TBcMenuPart(owner, className), FVertAlignment(vertical), FHorzAlignment(horizontal) {}

rtl::TBitmap& TBcBarPicture::Picture() {
  if (!FPicture) {
    FPicture = std::make_unique<rtl::TBitmap>();
    FPicture->OnChange = [this] { Changed(); };
  }
  return *FPicture;
}

void TBcBarPicture::Assign(const TBcBarPicture& other) {
  if (&other == this) return;
  FTransparent = other.FTransparent;
  if (other.FPicture)
    Picture().Assign(*other.FPicture);
  else if (FPicture)
    FPicture->SetHandle(rtl::Bitmap());
  FOffsetX = other.FOffsetX;
  FOffsetY = other.FOffsetY;
  FVertAlignment = other.FVertAlignment;
  FHorzAlignment = other.FHorzAlignment;
  FVisible = other.FVisible;
  Changed();
}

void TBcBarBackPicture::Assign(const TBcBarBackPicture& other) {
  if (&other == this) return;
  FDrawStyle = other.FDrawStyle;
  TBcBarPicture::Assign(other);
}

TBcBarCaption::TBcBarCaption(TBcCustomBarPopupMenu* owner) : TBcMenuPart(owner, "TBcBarCaption") {
  FFont.SetName("Tahoma");
  FFont.SetSize(14);
  FFont.SetColor(rtl::clWhite);
  FFont.SetStyle(rtl::fsBold | rtl::fsItalic);
  FFont.OnChange = [this] { Changed(); };
}

void TBcBarCaption::Assign(const TBcBarCaption& other) {
  if (&other == this) return;
  FFont.Assign(other.FFont);
  FShadowColor = other.FShadowColor;
  FHighlightColor = other.FHighlightColor;
  FDepth = other.FDepth;
  FCaption = other.FCaption;
  FOffsetY = other.FOffsetY;
  FAlignment = other.FAlignment;
  FDirection = other.FDirection;
  FVisible = other.FVisible;
  Changed();
}

void TBcBarCaption::SetCaption(const std::string& caption) {
  FCaption = caption;
  Changed();
}
TBcBar::TBcBar(TBcCustomBarPopupMenu* owner)
    : TBcGradientBar(owner, "TBcBar", 14204335, rtl::clBlack, gsVertical),
      FBarPicture(owner),
      FBarBackPicture(owner),
      FBarCaption(owner) {}

void TBcBar::Assign(const TBcBar& other) {
  if (&other == this) return;
  AssignGradient(other);
  FWidth = other.FWidth;
  FSpace = other.FSpace;
  FSide = other.FSide;
  FBarPicture.Assign(other.FBarPicture);
  FBarBackPicture.Assign(other.FBarBackPicture);
  FBarCaption.Assign(other.FBarCaption);
  SetVisible(other.FVisible);
}

void TBcBar::SetVisible(bool visible) {
  FVisible = visible;
  if (!visible) {
    Menu()->GetBarCache().FreeBarBitmap();
    Menu()->GetBarCache().SetNeedsRebuild(true);
  }
  Changed();
}
TBcSeparators::TBcSeparators(TBcCustomBarPopupMenu* owner)
    : TBcGradientBar(owner, "TBcSeparators", rtl::clGray, rtl::clSilver, gsHorizontal) {
  FFont.OnChange = [this] { Changed(); };
}

void TBcSeparators::Assign(const TBcSeparators& other) {
  if (&other == this) return;
  AssignGradient(other);
  FFade = other.FFade;
  FFadeWidth = other.FFadeWidth;
  FFadeColor = other.FFadeColor;
  FFlatLines = other.FFlatLines;
  FFont.Assign(other.FFont);
  FAlignment = other.FAlignment;
  FSeparatorStyle = other.FSeparatorStyle;
  FUseSystemFont = other.FUseSystemFont;
  Changed();
}

rtl::TBitmap& TBcBarProtected::BarBitmap() {
  if (!FBarBitmap) FBarBitmap = std::make_unique<rtl::TBitmap>();
  return *FBarBitmap;
}

void TBcBarProtected::SetNeedsRebuild(bool rebuild) {
  FNeedsRebuild = rebuild;
  if (rebuild) BarHeight = 0;
}

// ---------------------------------------------------------------- menu

TBcCustomBarPopupMenu::TBcCustomBarPopupMenu() : FBar(this), FSeparators(this) {
  FMenuFont.OnChange = [this] { Refresh(); };
  SetOwnerDraw(true);
}

TBcCustomBarPopupMenu::~TBcCustomBarPopupMenu() { SetDrawModule(nullptr); }

void TBcCustomBarPopupMenu::SetMenuStyle(TBcMenuStyle style) {
  FMenuStyle = style;
  Refresh();
}

void TBcCustomBarPopupMenu::SetUseSystemFont(bool use) {
  FUseSystemFont = use;
  Refresh();
}

void TBcCustomBarPopupMenu::SetDrawModule(TBcBarMenusDrawModule* module) {
  if (module == FDrawModule) return;
  if (FDrawModule) FDrawModule->FMenu = nullptr;
  // A module serves one menu: it leaves the one it served before.
  if (module && module->FMenu) module->FMenu->Notification(module, opRemove);
  FDrawModule = module;
  if (module) module->FMenu = this;
  Refresh();
}

void TBcCustomBarPopupMenu::Notification(rtl::TComponent* component, TOperation operation) {
  if (operation == opRemove && component != nullptr && component == FDrawModule) {
    FDrawModule = nullptr;
    Refresh();
  }
}

void TBcCustomBarPopupMenu::Refresh() {
  FBarCache.SetNeedsRebuild(true);
  FBarCache.Drawn = false;
}

void TBcCustomBarPopupMenu::Popup(HWND owner, int x, int y) {
  if (Tracking()) return;  // the open menu keeps its bar
  FBarCache.SetNeedsRebuild(true);
  rtl::TPopupMenu::Popup(owner, x, y);
}

void TBcCustomBarPopupMenu::HookItems(rtl::TMenuItem& item) {
  if (&item != &Items()) {
    if (!item.OnMeasureItem)
      item.OnMeasureItem = [this](rtl::TMenuItem* sender, HDC canvas, int& width, int& height) {
        MeasureMenuItem(sender, canvas, width, height);
      };
    if (!item.OnDrawItem && !item.OnAdvancedDrawItem)
      item.OnAdvancedDrawItem = [this](rtl::TMenuItem* sender, HDC canvas, const RECT& rect, UINT state) {
        DrawMenuItem(sender, canvas, rect, state);
      };
  }
  for (int i = 0; i < item.Count(); ++i) HookItems(*item.Items(i));
}

void TBcCustomBarPopupMenu::MenuChanged(rtl::TMenuItem* source, bool rebuild) {
  if (!Loading()) {
    HookItems(source ? *source : Items());
    if (!source || source->GetParentMenu() == this) Refresh();
  }
  rtl::TPopupMenu::MenuChanged(source, rebuild);
}

void TBcCustomBarPopupMenu::Loaded() {
  rtl::TPopupMenu::Loaded();
  HookItems(Items());
  SetOwnerDraw(true);
}

bool TBcCustomBarPopupMenu::ItemCarriesBar(const rtl::TMenuItem& item) const {
  const rtl::TMenuItem* parent = item.Parent();
  if (parent != &Items()) return false;  // in a submenu
  std::vector<SiblingState> siblings;
  siblings.reserve(static_cast<size_t>(parent->Count()));
  for (int i = 0; i < parent->Count(); ++i) {
    const rtl::TMenuItem* sibling = parent->Items(i);
    siblings.push_back({sibling->Visible(), sibling->Break() != rtl::mbNone});
  }
  return ui::CarriesBar(FBar.Visible(), true, siblings, item.MenuIndex());
}

TBcMenuStyle TBcCustomBarPopupMenu::EffectiveStyle() const {
  OSVERSIONINFOA version{};
  version.dwOSVersionInfoSize = sizeof version;
  const bool read = ::GetVersionExA(&version) != 0;
  const BarMenuStyle style =
      EffectiveMenuStyle(static_cast<BarMenuStyle>(FMenuStyle), read && version.dwPlatformId == VER_PLATFORM_WIN32_NT,
                         read ? static_cast<int>(version.dwMajorVersion) : 0,
                         read ? static_cast<int>(version.dwMinorVersion) : 0);
  return static_cast<TBcMenuStyle>(style);
}

HFONT TBcCustomBarPopupMenu::MeasureFont() const {
  // Items are measured in the font they are painted in.
  return FUseSystemFont ? rtl::TPopupMenu::MeasureFont() : FMenuFont.Handle();
}

void TBcCustomBarPopupMenu::MeasureMenuItem(rtl::TMenuItem* item, HDC canvas, int& width, int& height) {
  const bool xp = EffectiveStyle() == msWindowsXP;
  if (item->IsLine()) {
    height = SeparatorHeight(item->Enabled(), !item->Hint().empty(), xp);
  } else {
    const ItemSize size = ItemSizeBeforeHooks({width, height}, Images != nullptr, !item->Bitmap().Empty(), xp);
    width = size.Width;
    height = size.Height;
  }
  const bool barVisible = FBar.Visible() && item->Parent() == &Items();
  bool defaultMeasure = true;
  DoMeasureMenuItem(item, canvas, width, height, barVisible, defaultMeasure);
  if (defaultMeasure && FDrawModule)
    FDrawModule->MeasureMenuItem(item, canvas, width, height, barVisible, defaultMeasure);
  const bool carries = ItemCarriesBar(*item);
  const ItemSize size = ItemSizeAfterHooks({width, height}, defaultMeasure,
                                           FSeparators.SeparatorStyle() == ssShortLine, carries, FBar.Width(),
                                           FBar.Space());
  width = size.Width;
  height = size.Height;
  if (carries && FBarCache.NeedsRebuild() && item->Visible()) FBarCache.BarHeight += height;
}

void TBcCustomBarPopupMenu::DoBeforeDrawBar(HDC canvas, const RECT& rect, bool& defaultDraw) {
  if (OnBeforeDrawBar) OnBeforeDrawBar(this, canvas, rect, defaultDraw);
}

void TBcCustomBarPopupMenu::DoAdvancedBeforeDrawBar(HDC canvas, const RECT& rect, TBarParts& drawParts) {
  if (OnAdvancedBeforeDrawBar) OnAdvancedBeforeDrawBar(this, canvas, rect, drawParts);
}

void TBcCustomBarPopupMenu::DoAfterDrawBar(HDC canvas, const RECT& rect) {
  if (OnAfterDrawBar) OnAfterDrawBar(this, canvas, rect);
}

void TBcCustomBarPopupMenu::DoMeasureMenuItem(rtl::TMenuItem* item, HDC canvas, int& width, int& height,
                                              bool barVisible, bool& defaultMeasure) {
  if (OnMeasureMenuItem) OnMeasureMenuItem(this, item, canvas, width, height, barVisible, defaultMeasure);
}

}  // namespace ui
