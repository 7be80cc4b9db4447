#include "rtl/win32/Menus.h"

#include "rtl/core/Exceptions.h"

namespace rtl {

int TImageList::AddIcon(HICON icon) {
  HDC screen = ::GetDC(nullptr);
  HDC dc = ::CreateCompatibleDC(screen);
  rtl::Bitmap picture(::CreateCompatibleBitmap(screen, FWidth, FHeight));
  ::ReleaseDC(nullptr, screen);
  HGDIOBJ old = ::SelectObject(dc, picture.Get());
  RECT r = {0, 0, FWidth, FHeight};
  ::FillRect(dc, &r, ::GetSysColorBrush(COLOR_MENU));
  if (icon) ::DrawIconEx(dc, 0, 0, icon, FWidth, FHeight, 0, nullptr, DI_NORMAL);
  ::SelectObject(dc, old);
  ::DeleteDC(dc);
  FBitmaps.push_back(std::move(picture));
  return Count() - 1;
}

HBITMAP TImageList::Picture(int index) const {
  return index >= 0 && index < Count() ? FBitmaps[static_cast<size_t>(index)].Get() : nullptr;
}

TPopupMenu::TPopupMenu() : FMenu(::CreatePopupMenu()) {
  if (!FMenu) throw Exception("The popup menu cannot be created");
}

int TPopupMenu::AddItem(const std::string& caption, int imageIndex, std::function<void()> onClick) {
  FItems.push_back({caption, imageIndex, std::move(onClick)});
  Build();
  return static_cast<int>(FItems.size()) - 1;
}

void TPopupMenu::AddSeparator() {
  FItems.push_back({"-", -1, nullptr});
  Build();
}

void TPopupMenu::SetCaption(int item, const std::string& caption) {
  FItems.at(static_cast<size_t>(item)).Caption = caption;
  Build();
}

void TPopupMenu::Build() {
  while (::GetMenuItemCount(FMenu.Get()) > 0) ::DeleteMenu(FMenu.Get(), 0, MF_BYPOSITION);
  for (size_t i = 0; i < FItems.size(); ++i) {
    const Item& item = FItems[i];
    MENUITEMINFOA info{};
    info.cbSize = sizeof info;
    if (item.Caption == "-") {
      info.fMask = MIIM_FTYPE;
      info.fType = MFT_SEPARATOR;
    } else {
      info.fMask = MIIM_ID | MIIM_STRING | (Images ? MIIM_BITMAP : 0);
      // Ids start at 1: TrackPopupMenu reports no choice as 0.
      info.wID = static_cast<UINT>(i + 1);
      info.dwTypeData = const_cast<char*>(item.Caption.c_str());
      if (Images) info.hbmpItem = Images->Picture(item.ImageIndex);
    }
    ::InsertMenuItemA(FMenu.Get(), static_cast<UINT>(i), TRUE, &info);
  }
}

void TPopupMenu::Popup(HWND owner, int x, int y) {
  Build();  // images added after the items
  const UINT chosen = static_cast<UINT>(::TrackPopupMenu(FMenu.Get(), TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_NONOTIFY,
                                                         x, y, 0, owner, nullptr));
  // The system's advice for menus of background windows: without a message
  // after it, the menu of a tray icon opens only every second time.
  ::PostMessageA(owner, WM_NULL, 0, 0);
  if (chosen == 0 || chosen > FItems.size()) return;
  const std::function<void()>& handler = FItems[chosen - 1].OnClick;
  if (handler) handler();
}

}  // namespace rtl
