#include "setup/frmMain.h"

#include "common/Lang.h"
#include "common/core/Scramble.h"
#include "rtl/core/FileLayer.h"
#include "rtl/core/Paths.h"
#include "rtl/core/SysUtils.h"
#include "rtl/win32/Application.h"
#include "rtl/win32/Dialogs.h"
#include "rtl/win32/Shell.h"
#include "rtl/win32/SystemFiles.h"
#include "setup/SetupControlIds.h"
#include "setup/core/InstallCopy.h"
#include "setup/core/InstallNames.h"
#include "setup/frmInfos.h"

namespace {

const char kPackerAddress[] = "https://upx.github.io/";

}  // namespace

TMain::TMain(rtl::TComponent* owner) : rtl::TForm(owner) {
  IsMainForm = true;
  CreateFormWindow(kMainFormClass, 401, 153, WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX, 0,
                   nullptr);
  ::SendMessageA(Handle(), WM_SETICON, ICON_BIG,
                 reinterpret_cast<LPARAM>(::LoadIconA(rtl::ModuleInstance(), "MAINICON")));
  CreateControls();
  CenterOnScreen();
  try {
    FormCreate();
  } catch (...) {
    rtl::Application().HandleException();
  }
}

TMain::~TMain() = default;

void TMain::CreateControls() {
  // Creation order is the tab order; the label comes right before the edit
  // so that its accelerator moves the focus there.
  Label1 = std::make_unique<rtl::TLabel>(*this, 8, 8, "Target fol&der:");
  Edit1 = std::make_unique<rtl::TEdit>(*this, 8, 24, 237, 21);
  SpeedButton1 = std::make_unique<rtl::TSpeedButton>(*this, 248, 24, 23, 22);
  Memo1 = std::make_unique<rtl::TMemo>(*this, 8, 48, 273, 65);
  CheckBox2 = std::make_unique<rtl::TCheckBox>(*this, 8, 112, 265, 17, "");
  CheckBox1 = std::make_unique<rtl::TCheckBox>(*this, 8, 128, 185, 17, "Close if fini&shed");
  BitBtn1 = std::make_unique<rtl::TButton>(*this, 288, 24, 97, 25, "&OK", true, "GLYPH_OK");
  BitBtn3 = std::make_unique<rtl::TButton>(*this, 288, 56, 97, 25, "&Info", false, "GLYPH_INFO");
  BitBtn2 = std::make_unique<rtl::TButton>(*this, 288, 88, 97, 25, "&Exit", false, "GLYPH_EXIT");
  Image1 = std::make_unique<rtl::TImage>(*this, 312, 120, 70, 27);
  Bevel1 = std::make_unique<rtl::TBevel>(*this, 0, 0, 401, 153);
  ExtraResManager1 = new TExtraResManager(this);

  Label1->SetDlgID(idLabel1);
  Edit1->SetDlgID(idEdit1);
  SpeedButton1->SetDlgID(idSpeedButton1);
  Memo1->SetDlgID(idMemo1);
  CheckBox2->SetDlgID(idCheckBox2);
  CheckBox1->SetDlgID(idCheckBox1);
  BitBtn1->SetDlgID(idBitBtn1);
  BitBtn3->SetDlgID(idBitBtn3);
  BitBtn2->SetDlgID(idBitBtn2);
  Image1->SetDlgID(idImage1);

  CheckBox2->SetChecked(true);
  CheckBox1->SetChecked(true);
  BitBtn1->SetEnabled(false);
  Image1->SetBitmap("LOGO_UPX");
  Image1->HandPoint = true;
  Image1->SetVisible(false);

  Edit1->OnChange = [this] { Edit1Change(); };
  SpeedButton1->OnClick = [this] { SpeedButton1Click(); };
  BitBtn1->OnClick = [this] { BitBtn1Click(); };
  BitBtn2->OnClick = [this] { BitBtn2Click(); };
  BitBtn3->OnClick = [this] { BitBtn3Click(); };
  Image1->OnClick = [this] { Image1Click(); };
}

void TMain::FormCreate() {
  ReadFolders();
  SetCaptions();
  LoadContainer();
  WriteSetupList();
  const std::string folder = ProposedFolder();
  ShowListTexts();
  ShowReadme();
  OfferAutoStart();
  ShowFolder(folder);
}

void TMain::ReadFolders() {
  FFolders.Windows = NormalizeFolder(rtl::WindowsFolder());
  FFolders.System = NormalizeFolder(rtl::SystemFolder());
  FFolders.Programs = NormalizeFolder(rtl::ProgramsFolder());
  FFolders.Temp = NormalizeFolder(rtl::TempFolder());
}

void TMain::SetCaptions() {
  Label1->SetCaption(ChooseText("Target fol&der:", "Zielor&dner:"));
  BitBtn1->SetCaption(ChooseText("&OK", "&OK"));
  BitBtn2->SetCaption(ChooseText("&Exit", "B&eenden"));
  BitBtn3->SetCaption(ChooseText("&Info", "&Info"));
  CheckBox1->SetCaption(ChooseText("Close if fini&shed", "Nach beenden &schliessen"));
  Image1->SetHint(ChooseText("This archive is compressed with UPX.", "Dieses Archiv wurde mit UPX komprimiert."));
}

void TMain::LoadContainer() {
  const std::string temp = rtl::Trim(rtl::TempFolder());
  ExtraResManager1->TempOptions().SetTempFolder(temp);
  FSetupListPath = NormalizeFolder(temp) + kSetupListName;
  // The load checks the container itself; a separate check before it would
  // hash the whole payload a second time for the same answer. Without a
  // container the installer still opens, with every key at its default.
  try {
    ExtraResManager1->LoadFromFile(rtl::ExecutablePath(), true);
    FContainerLoaded = true;
  } catch (const EExtraResError& e) {
    if (e.Message() != kNoExtraResources) throw;
  }
}

void TMain::WriteSetupList() {
  // The list lives at a fixed path: one left there by an earlier installer
  // that was killed must never speak for this one.
  if (rtl::FileExists(FSetupListPath)) rtl::FileDelete(FSetupListPath);
  const int entry = SetupListEntry(ResourceNames());
  if (entry < 0) return;
  InstallResourceFile(ExtraResManager1->Resources().Items(entry).Stream(), rtl::ExtractFilePath(FSetupListPath),
                      kSetupListName);
  FIni = std::make_unique<rtl::TIniFile>(FSetupListPath);
}

std::string TMain::ProposedFolder() const {
  // An absent "Path" means the temporary folder. It is not passed through
  // the reader as a scrambled default, because the reader cuts blanks off
  // the ends of defaults.
  bool hasPath = false;
  for (const auto& key : ListKeys(kSetupSection)) hasPath = hasPath || rtl::SameText(key, "Path");
  std::string path = FFolders.Temp;
  if (hasPath) path = ScrambleText(ListValue(kSetupSection, "Path", ""), Unscramble, SetupScrambleKey);
  return ResolvePathPlaceholders(path, FFolders);
}

void TMain::ShowListTexts() {
  SetCaption(ScrambleText(ListValue(kSetupSection, "Title", ""), Unscramble, SetupScrambleKey));
  if (ListValue(kSetupSection, "Compressed", "False") == "True") Image1->SetVisible(true);
  const std::string info = ListValue(kSetupSection, "Info", "");
  if (!info.empty()) Memo1->AddLine(info);
}

void TMain::ShowReadme() {
  // Once per marking value, as many times as the list names it.
  TExtraResources& resources = ExtraResManager1->Resources();
  for (const auto& key : ListKeys(kFilesSection)) {
    if (!MarksReadme(ListValue(kFilesSection, key, ""))) continue;
    for (int i = 0; i < resources.Count(); ++i) {
      if (resources.Items(i).Name() != kReadmeResourceName) continue;
      InstallResourceFile(resources.Items(i).Stream(), FFolders.Temp, "readme.txt");
      rtl::ShellOpen(nullptr, FFolders.Temp + "readme.txt", "", SW_SHOW);
    }
  }
}

void TMain::OfferAutoStart() {
  const std::string autoStart = ListValue(kSetupSection, "AutoStart", "");
  if (!autoStart.empty()) {
    CheckBox2->SetCaption(ChooseText("Autorun " + autoStart, autoStart + " automatisch ausführen"));
    CheckBox2->SetVisible(true);
  } else {
    CheckBox2->SetVisible(false);
  }
}

void TMain::ShowFolder(const std::string& folder) {
  Edit1->SetText(folder);
  if (!Edit1->Text().empty() && ListValue(kSetupSection, "Locked", "False") == "True") {
    BitBtn1->SetEnabled(true);
    Edit1->SetReadOnly(true);
    Edit1->ButtonFaceColor = true;
    SpeedButton1->SetEnabled(false);
  }
}

std::string TMain::ListValue(const char* section, const std::string& key, const std::string& defaultValue) const {
  return FIni ? FIni->ReadString(section, key, defaultValue) : defaultValue;
}

std::vector<std::string> TMain::ListKeys(const char* section) const {
  return FIni ? FIni->ReadSection(section) : std::vector<std::string>();
}

std::vector<std::string> TMain::ResourceNames() {
  TExtraResources& resources = ExtraResManager1->Resources();
  std::vector<std::string> names;
  for (int i = 0; i < resources.Count(); ++i) names.push_back(resources.Items(i).Name());
  return names;
}

void TMain::FormShow() {
  // The window is not visible yet: the control named here gets the focus
  // when the window is activated. A locked folder cannot be typed into, so
  // OK takes the focus and Space or Enter installs.
  if (Edit1->ReadOnly() && ActiveControl() == Edit1->Handle()) BitBtn1->SetFocus();
}

void TMain::FormClose() {
  FIni.reset();
  if (!FSetupListPath.empty() && rtl::FileExists(FSetupListPath)) rtl::FileDelete(FSetupListPath);
}

void TMain::Edit1Change() { BitBtn1->SetEnabled(!rtl::Trim(Edit1->Text()).empty()); }

void TMain::SpeedButton1Click() {
  const std::string chosen = rtl::BrowseForFolder(Handle(), "Wählen Sie das Zielverzeichnis aus");
  if (!rtl::Trim(chosen).empty()) Edit1->SetText(chosen);
}

bool TMain::MyMkDir(const std::string& path) {
  for (const auto& folder : FolderBuildSteps(path)) {
    if (rtl::DirectoryExists(folder)) continue;
    if (!rtl::CreateDir(folder)) {
      const int code = rtl::LastFileError();
      throw rtl::EInOutError(InOutErrorText(code), code);
    }
    if (!rtl::DirectoryExists(folder)) break;
  }
  return rtl::DirectoryExists(path);
}

void TMain::CheckInstallNames() {
  TExtraResources& resources = ExtraResManager1->Resources();
  for (size_t i : InstalledEntries(ResourceNames())) {
    const std::string& name = resources.Items(static_cast<int>(i)).Name();
    const InstallNameFault fault = InstallNameCheck(name);
    if (fault.Refused())
      throw rtl::Exception(rtl::Format(
          ChooseText("The installer holds the file name \"%s\", which cannot be installed safely: %s. "
                     "Nothing was installed.",
                     "Das Installationsprogramm enthält den Dateinamen \"%s\", der nicht sicher installiert "
                     "werden kann: %s. Es wurde nichts installiert.")
              .c_str(),
          name.c_str(), ChooseText(fault.English, fault.German).c_str()));
  }
}

void TMain::ReloadContainer() {
  try {
    ExtraResManager1->LoadFromFile(rtl::ExecutablePath(), true);
  } catch (const EExtraResError& e) {
    // An installer that had no container from the start installs nothing
    // and says so with its count. One whose container was there at start-up
    // and fails now has been changed or cannot be read: the error is shown
    // and nothing is copied.
    if (FContainerLoaded || e.Message() != kNoExtraResources) throw;
  }
}

void TMain::BitBtn1Click() {
  std::string folder = Edit1->Text();
  ReloadContainer();
  if (folder.empty() || folder.back() != '\\') folder += '\\';
  // Before the folder question, so that a refused installer creates nothing.
  CheckInstallNames();

  bool created = true;
  if (!rtl::DirectoryExists(folder)) {
    if (rtl::MessageDlg(ChooseText("The folder does not exist! Will you create the folder?",
                                   "Der Ordner existiert nicht! Soll der Ordner erstellt werden?"),
                        rtl::TMsgDlgType::Confirmation, rtl::mbYes | rtl::mbNo) == rtl::mrYes)
      created = MyMkDir(folder);
  }

  if (rtl::DirectoryExists(folder)) {
    TExtraResources& resources = ExtraResManager1->Resources();
    int count = 0;
    for (size_t i : InstalledEntries(ResourceNames())) {
      TExtraResource& resource = resources.Items(static_cast<int>(i));
      ++count;
      InstallResourceFile(resource.Stream(), folder, resource.Name());
    }
    rtl::MessageDlg(ChooseText(std::to_string(count) + " files copied.",
                               "Es wurden " + std::to_string(count) + " Dateien kopiert."),
                    rtl::TMsgDlgType::Information, rtl::mbOK);
    const std::string autoStart = ListValue(kSetupSection, "AutoStart", "");
    if (!autoStart.empty() && CheckBox2->Checked() && CheckBox2->Visible() && rtl::FileExists(folder + autoStart))
      rtl::ShellOpen(Handle(), folder + autoStart, folder, SW_SHOW);
    if (CheckBox1->Checked()) Close();
  } else if (!created) {
    rtl::MessageDlg(ChooseText("The folder could not be created!", "Der Ordner konnte nicht erstellt werden!"),
                    rtl::TMsgDlgType::Error, rtl::mbOK);
  }
}

void TMain::BitBtn2Click() { Close(); }

void TMain::BitBtn3Click() {
  if (!Infos) return;
  Infos->Label1->SetCaption("Setup " + GetVersion());
  Infos->Label2->SetCaption(ChooseText("Created with Kavarro Builder", "Erstellt mit Kavarro Builder"));
  Infos->ShowModal();
}

void TMain::Image1Click() { rtl::ShellOpen(nullptr, kPackerAddress, "", SW_SHOWNORMAL); }

std::string TMain::GetVersion() { return rtl::FileVersionText(rtl::ExecutablePath()); }
