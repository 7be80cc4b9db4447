#pragma once
// The installer's about box.

#include <memory>

#include "common/MakerBlock.h"
#include "rtl/win32/Controls.h"
#include "rtl/win32/Forms.h"

class TInfos : public rtl::TForm {
public:
  TInfos(rtl::TComponent* owner, HWND mainWindow);

  // Filled in by the installer window before it shows the dialog.
  std::unique_ptr<rtl::TLabel> Label1;
  std::unique_ptr<rtl::TLabel> Label2;

protected:
  void FormShow() override;

private:
  void BitBtn1Click();
  void Label5Click();
  void Label6Click();

  HWND FMainWindow;
  std::unique_ptr<rtl::TBevel> Bevel1;
  std::unique_ptr<rtl::TImage> Image1;
  std::unique_ptr<TMakerBlock> Maker;
  std::unique_ptr<rtl::TBevel> Bevel2;
  std::unique_ptr<rtl::TButton> BitBtn1;
  std::unique_ptr<rtl::TBevel> Bevel3;
};
