#pragma once
// The proxy settings of the page fetch, kept in the subkey "Proxy" with the
// password scrambled.

#include <memory>

#include "rtl/win32/Controls.h"
#include "rtl/win32/Forms.h"

class TProxy : public rtl::TForm {
public:
  TProxy(rtl::TComponent* owner, HWND mainWindow);

  void LoadProxySettings();

protected:
  void FormShow() override;
  LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
  void BitBtn1Click();
  void BitBtn2Click();

  HWND FMainWindow;
  std::unique_ptr<rtl::TCheckBox> CheckBox1;
  std::unique_ptr<rtl::TLabel> Label1, Label2, Label3, Label4;
  std::unique_ptr<rtl::TEdit> Edit1, Edit2, Edit3, Edit4;
  std::unique_ptr<rtl::TButton> BitBtn1, BitBtn2;
  std::unique_ptr<rtl::TBevel> Bevel1;
};
