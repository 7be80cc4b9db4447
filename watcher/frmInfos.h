#pragma once
// The watcher's about box: version, maker, and the legend of the tray's
// state images with the current state in bold.

#include <memory>
#include <string>

#include "common/MakerBlock.h"
#include "rtl/win32/Controls.h"
#include "rtl/win32/Forms.h"
#include "rtl/win32/GroupControls.h"
#include "watcher/core/WatchOutcome.h"

class TStateImages;

class TInfos : public rtl::TForm {
public:
  TInfos(rtl::TComponent* owner, HWND mainWindow);

  // Info1Click of the settings window: the state pictures as the tray shows
  // them, the running version, then the dialog without waiting for it.
  void ShowInfo(const TStateImages& images, const std::string& version);
  // Bold for the outcome's label, normal for the other two.
  void SetState(TWatchState state);

protected:
  bool ShortCut(WPARAM key) override;

private:
  void Label5Click();
  void Label6Click();

  HWND FMainWindow;
  std::unique_ptr<rtl::TGroupBox> GroupBox1;
  std::unique_ptr<rtl::TImage> Image1, I1, I2, I3;
  std::unique_ptr<rtl::TLabel> Label1, Label7, L1, L2, L3;
  std::unique_ptr<TMakerBlock> Maker;
  std::unique_ptr<rtl::TBevel> Bevel4, Bevel1;
  std::unique_ptr<rtl::TButton> BitBtn1;
};
