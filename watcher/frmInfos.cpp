#include "watcher/frmInfos.h"

#include "common/Lang.h"
#include "watcher/Help.h"
#include "watcher/StateImages.h"
#include "watcher/WatcherControlIds.h"

TInfos::TInfos(rtl::TComponent* owner, HWND mainWindow) : rtl::TForm(owner), FMainWindow(mainWindow) {
  CreateFormWindow(kInfosFormClass, 305, 169, WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME,
                   WS_EX_DLGMODALFRAME, mainWindow, COLOR_WINDOW);
  SetCaption("Info");

  GroupBox1 = std::make_unique<rtl::TGroupBox>(*this, 12, 4, 49, 51, "");
  Image1 = std::make_unique<rtl::TImage>(*this, 20, 16, 32, 32);
  Image1->SetIcon("MAINICON");
  Label1 = std::make_unique<rtl::TLabel>(*this, 72, 10, "Orvandel");
  Label1->SetFont(19, true);
  Label7 = std::make_unique<rtl::TLabel>(*this, 72, 36, "Version");
  Label7->SetBold(true);
  // Label2 the notice, Label6 the mail address, Image8 the logo, Label5 the
  // web address.
  Maker = std::make_unique<TMakerBlock>(*this, TMakerPlaces{{12, 64}, {196, 64}, {104, 92}, {104, 140}},
                                        [this] { Label5Click(); }, [this] { Label6Click(); });
  Bevel4 = std::make_unique<rtl::TBevel>(*this, 12, 82, 281, 2, rtl::TBevel::Shape::TopLine);
  I1 = std::make_unique<rtl::TImage>(*this, 12, 92, 16, 16);
  L1 = std::make_unique<rtl::TLabel>(*this, 32, 93, "Local");
  I2 = std::make_unique<rtl::TImage>(*this, 12, 114, 16, 16);
  L2 = std::make_unique<rtl::TLabel>(*this, 32, 115, "Web");
  I3 = std::make_unique<rtl::TImage>(*this, 12, 136, 16, 16);
  L3 = std::make_unique<rtl::TLabel>(*this, 32, 137, "Error");
  BitBtn1 = std::make_unique<rtl::TButton>(*this, 218, 132, 75, 25, "&OK", true, "GLYPH_OK");
  Bevel1 = std::make_unique<rtl::TBevel>(*this, 4, 4, 297, 161);

  const struct {
    rtl::TControl* control;
    int id;
  } ids[] = {
      {Label1.get(), idInfosLabel1}, {Maker->Notice.get(), idInfosLabel2}, {Maker->Web.get(), idInfosLabel5},
      {Maker->Mail.get(), idInfosLabel6}, {Label7.get(), idInfosLabel7}, {I1.get(), idInfosI1}, {I2.get(), idInfosI2},
      {I3.get(), idInfosI3}, {L1.get(), idInfosL1}, {L2.get(), idInfosL2}, {L3.get(), idInfosL3},
      {Image1.get(), idInfosImage1}, {Maker->Logo.get(), idInfosImage8}, {BitBtn1.get(), idInfosBitBtn1},
  };
  for (const auto& entry : ids) entry.control->SetDlgID(entry.id);

  BitBtn1->OnClick = [this] { Hide(); };

  // FormCreate
  L1->SetCaption(ChooseText("Local", "Lokal"));
  L1->SetHint(ChooseText("lokal connection", "lokale Verbindung"));
  L2->SetCaption(ChooseText("Web", "Web"));
  L2->SetHint(ChooseText("internet connection", "internet Verbindung"));
  L3->SetCaption(ChooseText("Error", "Fehler"));
  L3->SetHint(ChooseText("not found", "nicht gefunden"));
  BitBtn1->SetCaption(ChooseText("&OK", "&OK"));
  CenterOnScreen();
}

void TInfos::ShowInfo(const TStateImages& images, const std::string& version) {
  I1->SetIconHandle(images.Image(TStateImage::Home));
  I2->SetIconHandle(images.Image(TStateImage::Web));
  I3->SetIconHandle(images.Image(TStateImage::Error));
  Label7->SetCaption("Version " + version);
  Show();
  ::SetForegroundWindow(Handle());
}

void TInfos::SetState(TWatchState state) {
  L1->SetBold(state == TWatchState::Home);
  L2->SetBold(state == TWatchState::Web);
  L3->SetBold(state == TWatchState::Error);
}

bool TInfos::ShortCut(WPARAM key) {
  if (key != VK_F1) return false;
  OpenHelpTopic(Handle(), HelpTopic());  // Action1
  return true;
}

void TInfos::Label5Click() { OpenMakerPage(SW_SHOWNORMAL); }

void TInfos::Label6Click() { OpenMakerMail("?Subject=Orvandel", SW_SHOWNORMAL); }
