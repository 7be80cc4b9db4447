#include "watcher/frmInfos.h"

#include "common/Lang.h"
#include "common/Maker.h"
#include "rtl/win32/Shell.h"
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
  Label2 = std::make_unique<rtl::TLabel>(*this, 12, 64, kMakerText);
  Label6 = std::make_unique<rtl::TLabel>(*this, 196, 64, kMakerMail);
  Label6->SetLinkStyle();
  Bevel4 = std::make_unique<rtl::TBevel>(*this, 12, 82, 281, 2, rtl::TBevel::Shape::TopLine);
  I1 = std::make_unique<rtl::TImage>(*this, 12, 92, 16, 16);
  L1 = std::make_unique<rtl::TLabel>(*this, 32, 93, "Local");
  I2 = std::make_unique<rtl::TImage>(*this, 12, 114, 16, 16);
  L2 = std::make_unique<rtl::TLabel>(*this, 32, 115, "Web");
  I3 = std::make_unique<rtl::TImage>(*this, 12, 136, 16, 16);
  L3 = std::make_unique<rtl::TLabel>(*this, 32, 137, "Error");
  Image8 = std::make_unique<rtl::TImage>(*this, 104, 92, 88, 42);
  Image8->SetBitmap("LOGO_MAKER");
  Image8->HandPoint = true;
  Label5 = std::make_unique<rtl::TLabel>(*this, 104, 140, kMakerWeb);
  Label5->SetLinkStyle();
  BitBtn1 = std::make_unique<rtl::TButton>(*this, 218, 132, 75, 25, "&OK", true, "GLYPH_OK");
  Bevel1 = std::make_unique<rtl::TBevel>(*this, 4, 4, 297, 161);

  const struct {
    rtl::TControl* control;
    int id;
  } ids[] = {
      {Label1.get(), idInfosLabel1}, {Label2.get(), idInfosLabel2}, {Label5.get(), idInfosLabel5},
      {Label6.get(), idInfosLabel6}, {Label7.get(), idInfosLabel7}, {I1.get(), idInfosI1}, {I2.get(), idInfosI2},
      {I3.get(), idInfosI3}, {L1.get(), idInfosL1}, {L2.get(), idInfosL2}, {L3.get(), idInfosL3},
      {Image1.get(), idInfosImage1}, {Image8.get(), idInfosImage8}, {BitBtn1.get(), idInfosBitBtn1},
  };
  for (const auto& entry : ids) entry.control->SetDlgID(entry.id);

  Image8->OnClick = [this] { Label5Click(); };
  Label5->OnClick = [this] { Label5Click(); };
  Label6->OnClick = [this] { Label6Click(); };
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
  I1->SetIconHandle(images.Image(2));
  I2->SetIconHandle(images.Image(3));
  I3->SetIconHandle(images.Image(4));
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

void TInfos::Label5Click() { rtl::ShellOpen(nullptr, kMakerPage, "", SW_SHOWNORMAL); }

void TInfos::Label6Click() {
  rtl::ShellOpen(nullptr, std::string("mailto:") + kMakerMail + "?Subject=Orvandel", "", SW_SHOWNORMAL);
}
