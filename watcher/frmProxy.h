#pragma once
// The proxy settings of the page fetch, kept in the subkey "Proxy" with the
// password scrambled.

#include <memory>
#include <string>

#include "rtl/win32/Controls.h"
#include "rtl/win32/Forms.h"

// What the page fetch takes from the dialog.
struct TProxySettings {
  bool Enabled = false;
  std::string Host, Port, Username, Password;
};

class TProxy : public rtl::TForm {
public:
  TProxy(rtl::TComponent* owner, HWND mainWindow);

  // As last loaded or stored; edits that are not stored yet do not count.
  const TProxySettings& Settings() const { return FStored; }

  void LoadProxySettings();

protected:
  void FormShow() override;
  LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
  void BitBtn1Click();
  void BitBtn2Click();

  void KeepStored();

  HWND FMainWindow;
  TProxySettings FStored;
  std::unique_ptr<rtl::TCheckBox> CheckBox1;
  std::unique_ptr<rtl::TLabel> Label1, Label2, Label3, Label4;
  std::unique_ptr<rtl::TEdit> Edit1, Edit2, Edit3, Edit4;
  std::unique_ptr<rtl::TButton> BitBtn1, BitBtn2;
  std::unique_ptr<rtl::TBevel> Bevel1;
};
