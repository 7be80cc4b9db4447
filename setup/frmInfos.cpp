#include "setup/frmInfos.h"

#include "common/Maker.h"
#include "rtl/win32/Shell.h"
#include "setup/SetupControlIds.h"

TInfos::TInfos(rtl::TComponent* owner, HWND mainWindow) : rtl::TForm(owner), FMainWindow(mainWindow) {
  CreateFormWindow(kInfosFormClass, 297, 161, WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME,
                   WS_EX_DLGMODALFRAME | WS_EX_TOPMOST, mainWindow);
  SetCaption("Info");

  Label1 = std::make_unique<rtl::TLabel>(*this, 80, 8, "Setup");
  Label1->SetFont(19, true);
  Label2 = std::make_unique<rtl::TLabel>(*this, 80, 32, "");
  Bevel1 = std::make_unique<rtl::TBevel>(*this, 16, 12, 49, 49, rtl::TBevel::Shape::Box, true);
  Image1 = std::make_unique<rtl::TImage>(*this, 24, 20, 32, 32);
  Image1->SetIcon("MAINICON");
  Label5 = std::make_unique<rtl::TLabel>(*this, 16, 64, kMakerText);
  Label6 = std::make_unique<rtl::TLabel>(*this, 208, 64, kMakerMail);
  Label6->SetLinkStyle();
  Bevel2 = std::make_unique<rtl::TBevel>(*this, 16, 80, 265, 2, rtl::TBevel::Shape::TopLine);
  Image8 = std::make_unique<rtl::TImage>(*this, 16, 95, 88, 42);
  Image8->SetBitmap("LOGO_MAKER");
  Image8->HandPoint = true;
  Label4 = std::make_unique<rtl::TLabel>(*this, 116, 96, kMakerWeb);
  Label4->SetLinkStyle();
  BitBtn1 = std::make_unique<rtl::TButton>(*this, 208, 120, 75, 25, "&OK", true, "GLYPH_OK");
  BitBtn1->ModalResult = rtl::mrOk;
  Label1->SetDlgID(idInfoLabel1);
  Label2->SetDlgID(idInfoLabel2);
  BitBtn1->SetDlgID(idInfoBitBtn1);
  Bevel3 = std::make_unique<rtl::TBevel>(*this, 0, 0, 297, 161);

  // The web page opens from the logo and the address, not from the maker's
  // name line.
  Image8->OnClick = [this] { Label5Click(); };
  Label4->OnClick = [this] { Label5Click(); };
  Label6->OnClick = [this] { Label6Click(); };
  BitBtn1->OnClick = [this] { BitBtn1Click(); };
}

void TInfos::FormShow() {
  // At every opening: the main window may have moved since the last one.
  CenterOver(FMainWindow);
  BitBtn1->SetFocus();
}

void TInfos::BitBtn1Click() { SetModalResult(rtl::mrOk); }

void TInfos::Label5Click() { rtl::ShellOpen(nullptr, kMakerPage, "", SW_SHOW); }

void TInfos::Label6Click() { rtl::ShellOpen(nullptr, std::string("mailto:") + kMakerMail, "", SW_SHOW); }
