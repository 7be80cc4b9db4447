#include "watcher/frmProxy.h"

#include "common/Lang.h"
#include "common/core/Scramble.h"
#include "rtl/core/Exceptions.h"
#include "rtl/win32/Application.h"
#include "rtl/win32/Registry.h"
#include "watcher/SettingsKeys.h"
#include "watcher/WatcherControlIds.h"

namespace {
// The modal result of Abort, as the UI library numbers it.
constexpr int mrAbort = 3;
}  // namespace

TProxy::TProxy(rtl::TComponent* owner, HWND mainWindow) : rtl::TForm(owner), FMainWindow(mainWindow) {
  CreateFormWindow(kProxyFormClass, 241, 165, WS_POPUP | WS_CAPTION | DS_MODALFRAME, WS_EX_DLGMODALFRAME,
                   mainWindow);
  SetCaption("Proxy");
  CheckBox1 = std::make_unique<rtl::TCheckBox>(*this, 16, 12, 137, 17, "En&abled");
  Label1 = std::make_unique<rtl::TLabel>(*this, 16, 38, "Proxy");
  Edit1 = std::make_unique<rtl::TEdit>(*this, 16, 54, 145, 21);
  Label4 = std::make_unique<rtl::TLabel>(*this, 168, 38, "Port");
  Edit4 = std::make_unique<rtl::TEdit>(*this, 168, 54, 57, 21);
  Label2 = std::make_unique<rtl::TLabel>(*this, 16, 80, "Username");
  Edit2 = std::make_unique<rtl::TEdit>(*this, 16, 96, 129, 21);
  Label3 = std::make_unique<rtl::TLabel>(*this, 16, 120, "Password");
  Edit3 = std::make_unique<rtl::TEdit>(*this, 16, 136, 129, 21);
  BitBtn1 = std::make_unique<rtl::TButton>(*this, 152, 96, 75, 25, "&OK", true, "GLYPH_OK");
  BitBtn2 = std::make_unique<rtl::TButton>(*this, 152, 132, 75, 25, "&Abbort", false, "GLYPH_ABORT");
  Bevel1 = std::make_unique<rtl::TBevel>(*this, 4, 4, 233, 157);

  const struct {
    rtl::TControl* control;
    int id;
  } ids[] = {
      {CheckBox1.get(), idProxyCheckBox1}, {Label1.get(), idProxyLabel1}, {Label2.get(), idProxyLabel2},
      {Label3.get(), idProxyLabel3}, {Label4.get(), idProxyLabel4}, {Edit1.get(), idProxyEdit1},
      {Edit2.get(), idProxyEdit2}, {Edit3.get(), idProxyEdit3}, {Edit4.get(), idProxyEdit4},
      {BitBtn1.get(), idProxyBitBtn1}, {BitBtn2.get(), idProxyBitBtn2},
  };
  for (const auto& entry : ids) entry.control->SetDlgID(entry.id);

  Edit3->SetPasswordChar('*');
  Edit4->SetText("80");
  BitBtn1->OnClick = [this] { BitBtn1Click(); };
  BitBtn2->OnClick = [this] { BitBtn2Click(); };
  CenterOnScreen();
  // FormCreate
  try {
    LoadProxySettings();
  } catch (...) {
    rtl::Application().HandleException();
  }
}

void TProxy::FormShow() { CenterOnScreen(); }

LRESULT TProxy::WndProc(UINT message, WPARAM wParam, LPARAM lParam) {
  // Escape leaves the dialog as Abort does, so that its edits are not
  // there at the next opening as if they had been stored.
  if (message == WM_COMMAND && LOWORD(wParam) == IDCANCEL && lParam == 0) {
    BitBtn2Click();
    return 0;
  }
  return rtl::TForm::WndProc(message, wParam, lParam);
}

void TProxy::LoadProxySettings() {
  Label1->SetCaption(ChooseText("Proxy", "Proxy"));
  Label2->SetCaption(ChooseText("Username", "Benutzername"));
  Label3->SetCaption(ChooseText("Password", "Passwort"));
  CheckBox1->SetCaption(ChooseText("En&abled", "&Aktiviert"));
  BitBtn1->SetCaption(ChooseText("&OK", "&OK"));
  BitBtn2->SetCaption(ChooseText("&Abbort", "&Abbrechen"));

  // Back to the design state first, so that Abort also forgets edits of
  // values that were never stored.
  Edit1->SetText("");
  Edit2->SetText("");
  Edit3->SetText("");
  Edit4->SetText("80");
  CheckBox1->SetChecked(false);

  FStored = TProxySettings();
  rtl::TRegistry reg;
  if (!reg.OpenKey(kProxySubkey, false)) return;
  if (reg.ValueExists("Proxy")) Edit1->SetText(reg.ReadString("Proxy"));
  if (reg.ValueExists("Name")) Edit2->SetText(reg.ReadString("Name"));
  if (reg.ValueExists("Password"))
    Edit3->SetText(ScrambleText(reg.ReadString("Password"), Unscramble, WatcherScrambleKey));
  if (reg.ValueExists("Port")) Edit4->SetText(reg.ReadString("Port"));
  if (reg.ValueExists("Enabled")) CheckBox1->SetChecked(reg.ReadBool("Enabled"));
  KeepStored();
}

void TProxy::KeepStored() {
  FStored = {CheckBox1->Checked(), Edit1->Text(), Edit4->Text(), Edit2->Text(), Edit3->Text()};
}

void TProxy::BitBtn1Click() {
  const std::string password = ScrambleText(Edit3->Text(), Scramble, WatcherScrambleKey);
  // The registry text ends at a zero, and the rest of the password with it.
  if (password.find('\0') != std::string::npos)
    throw rtl::Exception(ChooseText("This password cannot be stored; please use a shorter one",
                                    "Dieses Passwort kann nicht gespeichert werden; bitte verwenden Sie ein kürzeres"));
  rtl::TRegistry reg;
  if (!reg.OpenKey(kProxySubkey, true))
    throw rtl::ERegistryException(std::string("Failed to open key '") + kProxySubkey + "'");
  reg.WriteString("Proxy", Edit1->Text());
  reg.WriteString("Name", Edit2->Text());
  reg.WriteString("Password", password);
  reg.WriteString("Port", Edit4->Text());
  reg.WriteBool("Enabled", CheckBox1->Checked());
  KeepStored();
  SetModalResult(rtl::mrOk);
}

void TProxy::BitBtn2Click() {
  LoadProxySettings();
  SetModalResult(mrAbort);
}
