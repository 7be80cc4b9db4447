#pragma once
// Popup menus in the UI library's manner: a tree of items with images, a
// handler per item, and, for owner-drawn menus, measure and draw hooks per
// item that the menu's own hidden window calls.

#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "rtl/win32/Graphics.h"
#include "rtl/win32/Handles.h"
#include "rtl/win32/Window.h"

namespace rtl {

// Small images for menu items. Each is kept as an icon, for drawing
// enabled or disabled, and as a picture on the menu's face colour for
// menus that the system draws.
class TImageList {
public:
  TImageList(int width, int height) : FWidth(width), FHeight(height) {}
  // Adds a copy of Icon (which stays the caller's); returns its index.
  int AddIcon(HICON icon);
  HBITMAP Picture(int index) const;
  int Count() const { return static_cast<int>(FBitmaps.size()); }
  int Width() const { return FWidth; }
  int Height() const { return FHeight; }
  // Disabled: embossed in the system's manner.
  void Draw(HDC dc, int x, int y, int index, bool enabled) const;

private:
  int FWidth, FHeight;
  std::vector<rtl::Bitmap> FBitmaps;
  std::vector<rtl::Icon> FIcons;
};

class TPopupMenu;
class TMenuItem;

enum TMenuBreak { mbNone, mbBreak, mbBarBreak };

using TMenuMeasureItemEvent = std::function<void(TMenuItem* sender, HDC canvas, int& width, int& height)>;
using TMenuDrawItemEvent = std::function<void(TMenuItem* sender, HDC canvas, const RECT& rect, bool selected)>;
// State: the ODS_ flags of the system's draw request.
using TAdvancedMenuDrawItemEvent =
    std::function<void(TMenuItem* sender, HDC canvas, const RECT& rect, UINT state)>;

// The library's text of a shortcut (a virtual key with scShift, scCtrl,
// scAlt), "Ctrl+O" and the like; empty for none.
constexpr WORD scShift = 0x2000, scCtrl = 0x4000, scAlt = 0x8000;
std::string ShortCutToText(WORD shortCut);

class TMenuItem {
public:
  TMenuItem() = default;
  TMenuItem(const TMenuItem&) = delete;
  TMenuItem& operator=(const TMenuItem&) = delete;

  const std::string& Caption() const { return FCaption; }
  void SetCaption(const std::string& caption);
  const std::string& Hint() const { return FHint; }
  void SetHint(const std::string& hint);
  bool Enabled() const { return FEnabled; }
  void SetEnabled(bool enabled);
  bool Visible() const { return FVisible; }
  void SetVisible(bool visible);
  bool Checked() const { return FChecked; }
  void SetChecked(bool checked);
  bool RadioItem() const { return FRadioItem; }
  void SetRadioItem(bool radio);
  bool Default() const { return FDefault; }
  void SetDefault(bool isDefault);
  TMenuBreak Break() const { return FBreak; }
  void SetBreak(TMenuBreak menuBreak);
  int ImageIndex() const { return FImageIndex; }
  void SetImageIndex(int index);
  WORD ShortCut() const { return FShortCut; }
  void SetShortCut(WORD shortCut);
  // The item's own picture, shown when no list image is.
  TBitmap& Bitmap() { return FBitmap; }
  const TBitmap& Bitmap() const { return FBitmap; }

  // The library's separator test.
  bool IsLine() const { return FCaption == "-"; }

  int Count() const { return static_cast<int>(FItems.size()); }
  TMenuItem* Items(int index) const { return FItems.at(static_cast<size_t>(index)).get(); }
  TMenuItem* Parent() const { return FParent; }
  int MenuIndex() const;
  // Takes the item; returns it.
  TMenuItem* Add(std::unique_ptr<TMenuItem> item);
  void Delete(int index);
  // The menu this item belongs to, through its parents.
  TPopupMenu* GetParentMenu() const;

  std::function<void()> OnClick;
  TMenuMeasureItemEvent OnMeasureItem;
  TMenuDrawItemEvent OnDrawItem;
  TAdvancedMenuDrawItemEvent OnAdvancedDrawItem;

  // The library's own size for the item, in the canvas's font.
  void DefaultSize(HDC canvas, int& width, int& height) const;
  // The library's own painting, for items without draw handlers.
  void DefaultDraw(HDC canvas, const RECT& rect, UINT state) const;

private:
  friend class TPopupMenu;
  void Changed(bool rebuild);

  std::string FCaption, FHint;
  bool FEnabled = true, FVisible = true, FChecked = false, FRadioItem = false, FDefault = false;
  TMenuBreak FBreak = mbNone;
  int FImageIndex = -1;
  WORD FShortCut = 0;
  TBitmap FBitmap;
  std::vector<std::unique_ptr<TMenuItem>> FItems;
  TMenuItem* FParent = nullptr;
  TPopupMenu* FMenu = nullptr;  // set on the root item only
};

class TPopupMenu {
public:
  TPopupMenu();
  virtual ~TPopupMenu();
  TPopupMenu(const TPopupMenu&) = delete;
  TPopupMenu& operator=(const TPopupMenu&) = delete;

  TMenuItem& Items() { return FItems; }
  const TMenuItem& Items() const { return FItems; }

  // Appends a top-level item; ImageIndex -1 shows none. Returns its index.
  int AddItem(const std::string& caption, int imageIndex, std::function<void()> onClick);
  void AddSeparator();
  void SetCaption(int item, const std::string& caption);

  TImageList* Images = nullptr;
  // Items read from right to left, their text against the right edge.
  bool RightToLeft = false;
  // The items are measured and drawn by their hooks (or the library's own
  // painting) instead of by the system.
  bool OwnerDraw() const { return FOwnerDraw; }
  void SetOwnerDraw(bool ownerDraw);
  // Between BeginLoading and Loaded the menu is being set up: item changes
  // are not reacted to one by one.
  bool Loading() const { return FLoading; }
  void BeginLoading() { FLoading = true; }
  virtual void Loaded();

  // Shows the menu at a screen position for Owner. The chosen item's
  // handler runs after the menu has closed, not inside its loop. A call
  // while the menu is open (from a message its loop handles) does nothing.
  virtual void Popup(HWND owner, int x, int y);
  bool Tracking() const { return FTracking; }
  // The menu's window while it is open (for tests and drawing).
  static HWND OpenMenuWindow();

  // An item (Source, or null for many) changed; Rebuild when the menu's
  // structure did.
  virtual void MenuChanged(TMenuItem* source, bool rebuild);

protected:
  // The font items are measured in.
  virtual HFONT MeasureFont() const;

private:
  friend class TMenuItem;
  class OwnerWindow;
  void Build();
  // An item that is about to go, with the items below it: the open menu's
  // requests for it are ignored from now on.
  void Forget(const TMenuItem* item);
  void AppendItems(HMENU menu, const TMenuItem& parent);
  LRESULT OwnerMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);

  TMenuItem FItems;
  Menu FMenu;
  std::unique_ptr<OwnerWindow> FWindow;
  std::vector<TMenuItem*> FCommands;  // command id - 1 -> item
  mutable Font FSystemFont;  // made on first use
  bool FOwnerDraw = false;
  bool FLoading = false;
  bool FTracking = false;
};

}  // namespace rtl
