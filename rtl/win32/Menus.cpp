#include "rtl/win32/Menus.h"

#include <algorithm>
#include <cctype>

#include "rtl/core/Exceptions.h"
#include "rtl/core/SysUtils.h"
#include "rtl/win32/DeviceContext.h"

namespace rtl {

// ---------------------------------------------------------------- image list

int TImageList::AddIcon(HICON icon) {
  WindowDC screen(nullptr);
  MemoryDC dc(screen.Get());
  rtl::Bitmap picture(::CreateCompatibleBitmap(screen.Get(), FWidth, FHeight));
  {
    Selection s(dc.Get(), picture.Get());
    RECT r = {0, 0, FWidth, FHeight};
    ::FillRect(dc.Get(), &r, ::GetSysColorBrush(COLOR_MENU));
    if (icon) ::DrawIconEx(dc.Get(), 0, 0, icon, FWidth, FHeight, 0, nullptr, DI_NORMAL);
  }
  FBitmaps.push_back(std::move(picture));
  FIcons.emplace_back(icon ? ::CopyIcon(icon) : nullptr);
  return Count() - 1;
}

HBITMAP TImageList::Picture(int index) const {
  return index >= 0 && index < Count() ? FBitmaps[static_cast<size_t>(index)].Get() : nullptr;
}

void TImageList::Draw(HDC dc, int x, int y, int index, bool enabled) const {
  if (index < 0 || index >= Count()) return;
  HICON icon = FIcons[static_cast<size_t>(index)].Get();
  if (!icon) return;
  if (enabled)
    ::DrawIconEx(dc, x, y, icon, FWidth, FHeight, 0, nullptr, DI_NORMAL);
  else
    ::DrawStateA(dc, nullptr, nullptr, reinterpret_cast<LPARAM>(icon), 0, x, y, FWidth, FHeight,
                 DST_ICON | DSS_DISABLED);
}

// ---------------------------------------------------------------- shortcuts

std::string ShortCutToText(WORD shortCut) {
  const UINT key = shortCut & 0xFF;
  if (key == 0) return "";
  std::string name;
  if ((key >= 'A' && key <= 'Z') || (key >= '0' && key <= '9')) {
    name = std::string(1, static_cast<char>(key));
  } else if (key >= VK_F1 && key <= VK_F24) {
    name = Format("F%u", key - VK_F1 + 1);
  } else {
    char text[64] = {};
    const LONG scan = static_cast<LONG>(::MapVirtualKeyA(key, 0)) << 16;
    if (::GetKeyNameTextA(scan, text, sizeof text) <= 0) return "";
    name = text;
  }
  std::string prefix;
  if (shortCut & scShift) prefix += "Shift+";
  if (shortCut & scCtrl) prefix += "Ctrl+";
  if (shortCut & scAlt) prefix += "Alt+";
  return prefix + name;
}

// ---------------------------------------------------------------- items

void TMenuItem::Changed(bool rebuild) {
  if (TPopupMenu* menu = GetParentMenu()) menu->MenuChanged(this, rebuild);
}

void TMenuItem::SetCaption(const std::string& caption) {
  FCaption = caption;
  Changed(true);
}
void TMenuItem::SetHint(const std::string& hint) {
  FHint = hint;
  Changed(false);
}
void TMenuItem::SetEnabled(bool enabled) {
  FEnabled = enabled;
  Changed(false);
}
void TMenuItem::SetVisible(bool visible) {
  FVisible = visible;
  Changed(true);
}
void TMenuItem::SetChecked(bool checked) {
  FChecked = checked;
  Changed(false);
}
void TMenuItem::SetRadioItem(bool radio) {
  FRadioItem = radio;
  Changed(false);
}
void TMenuItem::SetDefault(bool isDefault) {
  FDefault = isDefault;
  Changed(false);
}
void TMenuItem::SetBreak(TMenuBreak menuBreak) {
  FBreak = menuBreak;
  Changed(true);
}
void TMenuItem::SetImageIndex(int index) {
  FImageIndex = index;
  Changed(false);
}
void TMenuItem::SetShortCut(WORD shortCut) {
  FShortCut = shortCut;
  Changed(false);
}

int TMenuItem::MenuIndex() const {
  if (!FParent) return -1;
  for (int i = 0; i < FParent->Count(); ++i)
    if (FParent->Items(i) == this) return i;
  return -1;
}

TMenuItem* TMenuItem::Add(std::unique_ptr<TMenuItem> item) {
  if (!item) throw Exception("No menu item to add");
  item->FParent = this;
  item->FBitmap.OnChange = [raw = item.get()] { raw->Changed(false); };
  FItems.push_back(std::move(item));
  Changed(true);
  return FItems.back().get();
}

void TMenuItem::Delete(int index) {
  TMenuItem* going = FItems.at(static_cast<size_t>(index)).get();
  if (TPopupMenu* menu = GetParentMenu()) menu->Forget(going);
  FItems.erase(FItems.begin() + index);
  Changed(true);
}

TPopupMenu* TMenuItem::GetParentMenu() const {
  const TMenuItem* root = this;
  // Items nest a few levels; the bound only guards against a broken tree.
  for (int depth = 0; root->FParent && depth < 1000; ++depth) root = root->FParent;
  return root->FMenu;
}

namespace {

std::string WithoutPrefixes(const std::string& caption) {
  std::string text;
  for (size_t i = 0; i < caption.size(); ++i) {
    if (caption[i] == '&' && i + 1 < caption.size()) ++i;
    text += caption[i];
  }
  return text;
}

// The character after the caption's single "&", upper-cased; 0 for none.
char MnemonicOf(const std::string& caption) {
  for (size_t i = 0; i + 1 < caption.size(); ++i) {
    if (caption[i] != '&') continue;
    if (caption[i + 1] != '&') return static_cast<char>(std::toupper(static_cast<unsigned char>(caption[i + 1])));
    ++i;  // "&&" is a literal ampersand
  }
  return 0;
}

SIZE TextSize(HDC dc, const std::string& text) {
  SIZE size{};
  ::GetTextExtentPoint32A(dc, text.c_str(), static_cast<int>(text.size()), &size);
  return size;
}

}  // namespace

void TMenuItem::DefaultSize(HDC canvas, int& width, int& height) const {
  if (IsLine()) {
    width = 0;
    height = 8;
    return;
  }
  const TPopupMenu* menu = GetParentMenu();
  const TImageList* images = menu ? menu->Images : nullptr;
  const SIZE text = TextSize(canvas, WithoutPrefixes(FCaption.empty() ? " " : FCaption));
  const std::string shortCut = ShortCutToText(FShortCut);
  width = (images ? images->Width() : 0) + text.cx + 16;
  if (!shortCut.empty()) width += 16 + TextSize(canvas, shortCut).cx;
  height = std::max(images ? images->Height() : 0, static_cast<int>(text.cy)) + 6;
}

void TMenuItem::DefaultDraw(HDC canvas, const RECT& rect, UINT state) const {
  const bool selected = (state & ODS_SELECTED) != 0;
  RECT r = rect;
  ::FillRect(canvas, &r, ::GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_MENU));
  if (IsLine()) {
    r.top += (r.bottom - r.top) / 2;
    ::DrawEdge(canvas, &r, EDGE_ETCHED, BF_TOP);
    return;
  }
  const TPopupMenu* menu = GetParentMenu();
  int left = r.left + 2;
  if (menu && menu->Images) {
    menu->Images->Draw(canvas, left, r.top + (r.bottom - r.top - menu->Images->Height()) / 2, FImageIndex, FEnabled);
    left += menu->Images->Width() + 4;
  }
  ::SetBkMode(canvas, TRANSPARENT);
  ::SetTextColor(canvas, ::GetSysColor(!FEnabled ? COLOR_GRAYTEXT : selected ? COLOR_HIGHLIGHTTEXT : COLOR_MENUTEXT));
  RECT text = {left, r.top, r.right - 4, r.bottom};
  ::DrawTextA(canvas, FCaption.c_str(), -1, &text, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_EXPANDTABS);
  const std::string shortCut = ShortCutToText(FShortCut);
  if (!shortCut.empty())
    ::DrawTextA(canvas, shortCut.c_str(), -1, &text, DT_RIGHT | DT_VCENTER | DT_SINGLELINE);
}

// ---------------------------------------------------------------- popup menu

// The window that owns the menu while it is open: the system sends it the
// measure and draw requests of owner-drawn items.
class TPopupMenu::OwnerWindow : public TWindow {
public:
  explicit OwnerWindow(TPopupMenu& menu) : FMenu(menu) {
    CreateHandle("OrvPopupMenuOwner", "", WS_POPUP, WS_EX_TOOLWINDOW, 0, 0, 0, 0, nullptr, nullptr, 0, nullptr);
  }

protected:
  LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam) override {
    bool handled = false;
    const LRESULT result = FMenu.OwnerMessage(message, wParam, lParam, handled);
    return handled ? result : TWindow::WndProc(message, wParam, lParam);
  }

private:
  TPopupMenu& FMenu;
};

TPopupMenu::TPopupMenu() { FItems.FMenu = this; }

TPopupMenu::~TPopupMenu() = default;

int TPopupMenu::AddItem(const std::string& caption, int imageIndex, std::function<void()> onClick) {
  auto item = std::make_unique<TMenuItem>();
  item->FCaption = caption;
  item->FImageIndex = imageIndex;
  item->OnClick = std::move(onClick);
  FItems.Add(std::move(item));
  return FItems.Count() - 1;
}

void TPopupMenu::AddSeparator() {
  auto item = std::make_unique<TMenuItem>();
  item->FCaption = "-";
  FItems.Add(std::move(item));
}

void TPopupMenu::SetCaption(int item, const std::string& caption) { FItems.Items(item)->SetCaption(caption); }

void TPopupMenu::SetOwnerDraw(bool ownerDraw) {
  FOwnerDraw = ownerDraw;
  MenuChanged(nullptr, true);
}

void TPopupMenu::Loaded() { FLoading = false; }

void TPopupMenu::MenuChanged(TMenuItem*, bool) {}

HFONT TPopupMenu::MeasureFont() const {
  if (!FSystemFont) {
    NONCLIENTMETRICSA metrics{};
    metrics.cbSize = sizeof metrics;
    if (::SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0))
      FSystemFont.Reset(::CreateFontIndirectA(&metrics.lfMenuFont));
  }
  return FSystemFont ? FSystemFont.Get() : static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT));
}

void TPopupMenu::Build() {
  FMenu.Reset(::CreatePopupMenu());
  if (!FMenu) throw Exception("The popup menu cannot be created");
  FCommands.clear();
  AppendItems(FMenu.Get(), FItems);
}

void TPopupMenu::AppendItems(HMENU menu, const TMenuItem& parent) {
  UINT position = 0;
  for (const auto& owned : parent.FItems) {
    TMenuItem* item = owned.get();
    if (!item->Visible()) continue;
    FCommands.push_back(item);
    std::string text = item->Caption();
    const std::string shortCut = ShortCutToText(item->ShortCut());
    if (!shortCut.empty()) text += "\t" + shortCut;
    MENUITEMINFOA info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_FTYPE | MIIM_ID | MIIM_DATA;
    info.wID = static_cast<UINT>(FCommands.size());  // from 1: 0 means no choice
    info.dwItemData = reinterpret_cast<ULONG_PTR>(item);
    if (item->Break() == mbBreak) info.fType |= MFT_MENUBREAK;
    if (item->Break() == mbBarBreak) info.fType |= MFT_MENUBARBREAK;
    if (item->IsLine()) {
      info.fType |= MFT_SEPARATOR;
    } else {
      // Owner-drawn items keep their text too: the system finds the
      // mnemonics in it.
      info.fMask |= MIIM_STRING | MIIM_STATE;
      info.dwTypeData = const_cast<char*>(text.c_str());
      if (item->RadioItem()) info.fType |= MFT_RADIOCHECK;
      if (RightToLeft) info.fType |= MFT_RIGHTORDER;
      info.fState = (item->Checked() ? MFS_CHECKED : 0) | (item->Default() ? MFS_DEFAULT : 0) |
                    (item->Enabled() ? 0 : MFS_GRAYED);
      if (!FOwnerDraw) {
        HBITMAP picture = Images ? Images->Picture(item->ImageIndex()) : nullptr;
        if (!picture && !item->Bitmap().Empty()) picture = item->Bitmap().Handle();
        if (picture) {
          info.fMask |= MIIM_BITMAP;
          info.hbmpItem = picture;
        }
      }
    }
    if (FOwnerDraw) info.fType |= MFT_OWNERDRAW;
    Menu sub;
    if (item->Count() > 0) {
      sub.Reset(::CreatePopupMenu());
      if (!sub) throw Exception("The popup menu cannot be created");
      AppendItems(sub.Get(), *item);
      info.fMask |= MIIM_SUBMENU;
      info.hSubMenu = sub.Get();
    }
    if (!::InsertMenuItemA(menu, position, TRUE, &info))
      throw Exception(Format("The menu item \"%s\" cannot be added (%lu)", item->Caption().c_str(), ::GetLastError()));
    sub.Release();  // the menu owns its submenu now
    ++position;
  }
}

void TPopupMenu::Forget(const TMenuItem* item) {
  for (TMenuItem*& known : FCommands) {
    for (const TMenuItem* up = known; up; up = up->Parent())
      if (up == item) {
        known = nullptr;
        break;
      }
  }
}

HWND TPopupMenu::OpenMenuWindow() {
  HWND window = ::FindWindowA("#32768", nullptr);
  return window && ::IsWindowVisible(window) ? window : nullptr;
}

LRESULT TPopupMenu::OwnerMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) {
  // Item data comes back from the system as we gave it; a request that
  // names no item of this menu is left to the default handling.
  auto known = [this](ULONG_PTR data) -> TMenuItem* {
    auto* item = reinterpret_cast<TMenuItem*>(data);
    return item && std::find(FCommands.begin(), FCommands.end(), item) != FCommands.end() ? item : nullptr;
  };
  if (message == WM_MEASUREITEM) {
    auto* request = reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
    TMenuItem* item = request && request->CtlType == ODT_MENU ? known(request->itemData) : nullptr;
    if (!item) return 0;
    handled = true;
    WindowDC screen(nullptr);
    Selection font(screen.Get(), MeasureFont());
    int width = 0, height = 0;
    item->DefaultSize(screen.Get(), width, height);
    if (item->OnMeasureItem) item->OnMeasureItem(item, screen.Get(), width, height);
    request->itemWidth = static_cast<UINT>(std::max(width, 0));
    request->itemHeight = static_cast<UINT>(std::max(height, 0));
    return TRUE;
  }
  if (message == WM_MENUCHAR) {
    // Windows leaves the mnemonics of owner-drawn items to their owner
    // (Wine finds them in the item text itself and never asks).
    auto menu = reinterpret_cast<HMENU>(lParam);
    const char key = static_cast<char>(std::toupper(static_cast<unsigned char>(LOWORD(wParam))));
    const int count = ::GetMenuItemCount(menu);
    int first = -1, afterSelected = -1, selected = -1, matches = 0;
    for (int position = 0; position < count && position < 4096; ++position) {
      MENUITEMINFOA info{};
      info.cbSize = sizeof info;
      info.fMask = MIIM_DATA | MIIM_STATE;
      if (!::GetMenuItemInfoA(menu, static_cast<UINT>(position), TRUE, &info)) continue;
      if (info.fState & MFS_HILITE) selected = position;
      const TMenuItem* item = known(info.dwItemData);
      if (!item || key == 0 || MnemonicOf(item->Caption()) != key) continue;
      ++matches;
      if (first < 0) first = position;
      if (afterSelected < 0 && selected >= 0 && position > selected) afterSelected = position;
    }
    if (matches == 0) return 0;
    handled = true;
    if (matches == 1) return MAKELRESULT(first, MNC_EXECUTE);
    return MAKELRESULT(afterSelected >= 0 ? afterSelected : first, MNC_SELECT);  // several: step through them
  }
  if (message == WM_DRAWITEM) {
    auto* request = reinterpret_cast<DRAWITEMSTRUCT*>(lParam);
    TMenuItem* item = request && request->CtlType == ODT_MENU ? known(request->itemData) : nullptr;
    if (!item) return 0;
    handled = true;
    const int saved = ::SaveDC(request->hDC);
    if (item->OnAdvancedDrawItem)
      item->OnAdvancedDrawItem(item, request->hDC, request->rcItem, request->itemState);
    else if (item->OnDrawItem)
      item->OnDrawItem(item, request->hDC, request->rcItem, (request->itemState & ODS_SELECTED) != 0);
    else
      item->DefaultDraw(request->hDC, request->rcItem, request->itemState);
    ::RestoreDC(request->hDC, saved);
    return TRUE;
  }
  return 0;
}

void TPopupMenu::Popup(HWND owner, int x, int y) {
  // The open menu's loop handles the owner's messages, a tray icon's click
  // among them; building anew here would destroy the menu it is tracking.
  if (FTracking) return;
  Build();
  HWND tracker = owner;
  if (FOwnerDraw) {
    if (!FWindow) FWindow = std::make_unique<OwnerWindow>(*this);
    tracker = FWindow->Handle();
  }
  FTracking = true;
  const UINT chosen = static_cast<UINT>(
      ::TrackPopupMenu(FMenu.Get(), TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_NONOTIFY, x, y, 0, tracker, nullptr));
  FTracking = false;
  // The system's advice for menus of background windows: without a message
  // after it, the menu of a tray icon opens only every second time.
  ::PostMessageA(owner, WM_NULL, 0, 0);
  if (chosen == 0 || chosen > FCommands.size() || !FCommands[chosen - 1]) return;
  // A copy: the handler may change the menu, and with it this item.
  const std::function<void()> handler = FCommands[chosen - 1]->OnClick;
  if (handler) handler();
}

}  // namespace rtl
