#pragma once
// A popup menu with images beside the items and a handler per item.

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "rtl/win32/Handles.h"

namespace rtl {

// Small images for menu items, drawn once on the menu's face colour, so
// that every Windows shows them the same way.
class TImageList {
public:
  TImageList(int width, int height) : FWidth(width), FHeight(height) {}
  // Adds a picture of Icon (which stays the caller's); returns its index.
  int AddIcon(HICON icon);
  HBITMAP Picture(int index) const;
  int Count() const { return static_cast<int>(FBitmaps.size()); }

private:
  int FWidth, FHeight;
  std::vector<rtl::Bitmap> FBitmaps;
};

class TPopupMenu {
public:
  TPopupMenu();
  // Appends an item; ImageIndex -1 shows none.
  int AddItem(const std::string& caption, int imageIndex, std::function<void()> onClick);
  void AddSeparator();
  void SetCaption(int item, const std::string& caption);
  TImageList* Images = nullptr;

  // Shows the menu at a screen position for Owner. The chosen item's
  // handler runs after the menu has closed, not inside its loop.
  void Popup(HWND owner, int x, int y);

private:
  struct Item {
    std::string Caption;
    int ImageIndex;
    std::function<void()> OnClick;
  };
  void Build();

  Menu FMenu;
  std::vector<Item> FItems;  // separators have no handler
};

}  // namespace rtl
