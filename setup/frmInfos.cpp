#include "setup/frmInfos.h"

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
  // Label5 the notice, Label6 the mail address, Image8 the logo, Label4 the
  // web address. The web page opens from the logo and the address, not
  // from the notice line.
  Maker = std::make_unique<TMakerBlock>(*this, TMakerPlaces{{16, 64}, {208, 64}, {16, 95}, {116, 96}},
                                        [this] { Label5Click(); }, [this] { Label6Click(); });
  Bevel2 = std::make_unique<rtl::TBevel>(*this, 16, 80, 265, 2, rtl::TBevel::Shape::TopLine);
  BitBtn1 = std::make_unique<rtl::TButton>(*this, 208, 120, 75, 25, "&OK", true, "GLYPH_OK");
  BitBtn1->ModalResult = rtl::mrOk;
  const struct {
    rtl::TControl* control;
    int id;
  } ids[] = {
      {Label1.get(), idInfoLabel1}, {Label2.get(), idInfoLabel2}, {BitBtn1.get(), idInfoBitBtn1},
  };
  for (const auto& entry : ids) entry.control->SetDlgID(entry.id);
  Bevel3 = std::make_unique<rtl::TBevel>(*this, 0, 0, 297, 161);

  BitBtn1->OnClick = [this] { BitBtn1Click(); };
}

void TInfos::FormShow() {
  // At every opening: the main window may have moved since the last one.
  CenterOver(FMainWindow);
  BitBtn1->SetFocus();
}

void TInfos::BitBtn1Click() { SetModalResult(rtl::mrOk); }

void TInfos::Label5Click() { OpenMakerPage(SW_SHOW); }

void TInfos::Label6Click() { OpenMakerMail("", SW_SHOW); }
