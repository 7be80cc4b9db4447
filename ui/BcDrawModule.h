#pragma once
// A hook that takes over the measuring and painting of a side-bar menu's
// items. A menu points at one module; the module knows its menu through
// what it asks of it (IDrawModuleMenu), and a module that goes away leaves
// its menu without one.

#include <windows.h>

#include <string>

#include "rtl/core/Component.h"
#include "rtl/win32/Menus.h"

namespace ui {

enum TOperation { opInsert, opRemove };

// The menu as its module reaches it; the side-bar menu implements it.
class IDrawModuleMenu {
public:
  // A component that goes away; the menu forgets it when it is its module.
  virtual void Notification(rtl::TComponent* component, TOperation operation) = 0;
  // Marks the bar for measuring and painting afresh.
  virtual void Refresh() = 0;

protected:
  ~IDrawModuleMenu() = default;
};

class TBcBarMenusDrawModule : public rtl::TComponent {
public:
  explicit TBcBarMenusDrawModule(rtl::TComponent* owner) : rtl::TComponent(owner) {}
  ~TBcBarMenusDrawModule() override;

  std::string Description;

  // Paints an item; clearing DefaultDraw keeps the menu's own painting out.
  virtual void DrawMenuItem(rtl::TMenuItem* item, HDC canvas, const RECT& rect, UINT state, bool barVisible,
                            bool& defaultDraw) = 0;
  // Measures an item; clearing DefaultMeasure keeps the short-line width out.
  virtual void MeasureMenuItem(rtl::TMenuItem* item, HDC canvas, int& width, int& height, bool barVisible,
                               bool& defaultMeasure) = 0;
  // Asks the menu to measure and paint its bar afresh at its next showing.
  void RefreshMenu();

  IDrawModuleMenu* Menu() const { return FMenu; }

private:
  friend class TBcCustomBarPopupMenu;
  IDrawModuleMenu* FMenu = nullptr;
};

}  // namespace ui
