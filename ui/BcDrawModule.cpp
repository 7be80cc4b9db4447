#include "ui/BcDrawModule.h"

namespace ui {

TBcBarMenusDrawModule::~TBcBarMenusDrawModule() {
  if (FMenu) FMenu->Notification(this, opRemove);
}

void TBcBarMenusDrawModule::RefreshMenu() {
  if (FMenu) FMenu->Refresh();
}

}  // namespace ui
