#include "setup/frmMain.h"

#include "common/Lang.h"
#include "common/core/Scramble.h"
#include "rtl/core/FileLayer.h"
#include "rtl/core/Paths.h"
#include "rtl/core/SysUtils.h"
#include "rtl/win32/Application.h"
#include "rtl/win32/Dialogs.h"
#include "rtl/win32/Registry.h"
#include "rtl/win32/Shell.h"
#include "setup/SetupControlIds.h"
#include "setup/core/InstallCopy.h"
#include "setup/core/InstallNames.h"
#include "setup/frmInfos.h"

namespace {

const char kPackerAddress[] = "https://upx.github.io/";

std::string ProgramsFolderFromRegistry() {
  // Opened with full access and never created, as the installer always did:
  // a user without administrator rights gets an empty folder here.
  rtl::TRegistry reg(KEY_ALL_ACCESS);
  reg.SetRootKey(HKEY_LOCAL_MACHINE);
  if (!reg.OpenKey("SOFTWARE\\Microsoft\\Windows\\CurrentVersion", false)) return std::string();
  try {
    return reg.ReadString("ProgramFilesDir");
  } catch (const rtl::ERegistryException&) {
    return std::string();
  }
}

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
  // 1, 2: the four folders, trimmed, each with a trailing backslash.
  FFolders.Windows = NormalizeFolder(rtl::WindowsFolder());
  FFolders.System = NormalizeFolder(rtl::SystemFolder());
  FFolders.Programs = NormalizeFolder(ProgramsFolderFromRegistry());
  FFolders.Temp = NormalizeFolder(rtl::TempFolder());

  // 3: captions.
  Label1->SetCaption(ChooseText("Target fol&der:", "Zielor&dner:"));
  BitBtn1->SetCaption(ChooseText("&OK", "&OK"));
  BitBtn2->SetCaption(ChooseText("&Exit", "B&eenden"));
  BitBtn3->SetCaption(ChooseText("&Info", "&Info"));
  CheckBox1->SetCaption(ChooseText("Close if fini&shed", "Nach beenden &schliessen"));
  Image1->SetHint(ChooseText("This archive is compressed with UPX.", "Dieses Archiv wurde mit UPX komprimiert."));

  // 4: temporary folder for the container and the setup list.
  const std::string temp = rtl::Trim(rtl::TempFolder());
  ExtraResManager1->TempOptions().SetTempFolder(temp);
  FSetupListPath = NormalizeFolder(temp) + kSetupListName;

  // 5, 6: the container and the setup list out of it. The load checks the
  // container itself; a separate check before it would hash the whole
  // payload a second time for the same answer.
  const std::string self = rtl::ExecutablePath();
  try {
    ExtraResManager1->LoadFromFile(self, true);
  } catch (const EExtraResError& e) {
    if (e.Message() != kNoExtraResources) throw;
  }
  TExtraResources& resources = ExtraResManager1->Resources();
  for (int i = 0; i < resources.Count(); ++i)
    if (resources.Items(i).Name() == kSetupListName)
      InstallResourceFile(resources.Items(0).Stream(), rtl::ExtractFilePath(FSetupListPath), kSetupListName);

  // 7, 8: the INI reader and the target folder. An absent "Path" means the
  // temporary folder; it is not passed through the reader as a scrambled
  // default, because the reader cuts trailing blanks off defaults.
  FIni = std::make_unique<rtl::TIniFile>(FSetupListPath);
  bool hasPath = false;
  for (const auto& key : FIni->ReadSection(kSetupSection)) hasPath = hasPath || rtl::SameText(key, "Path");
  std::string path = FFolders.Temp;
  if (hasPath)
    path = ScrambleText(FIni->ReadString(kSetupSection, "Path", ""), Unscramble, SetupScrambleKey);
  path = ResolvePathPlaceholders(path, FFolders);

  // 9-11: title, packer note, info text.
  SetCaption(ScrambleText(FIni->ReadString(kSetupSection, "Title", ""), Unscramble, SetupScrambleKey));
  if (FIni->ReadString(kSetupSection, "Compressed", "False") == "True") Image1->SetVisible(true);
  const std::string info = FIni->ReadString(kSetupSection, "Info", "");
  if (!info.empty()) Memo1->AddLine(info);

  // 12: the readme, once per marking value.
  for (const auto& key : FIni->ReadSection(kFilesSection)) {
    if (!MarksReadme(FIni->ReadString(kFilesSection, key, ""))) continue;
    for (int i = 0; i < resources.Count(); ++i) {
      if (resources.Items(i).Name() != kReadmeResourceName) continue;
      InstallResourceFile(resources.Items(i).Stream(), FFolders.Temp, "readme.txt");
      rtl::ShellOpen(nullptr, FFolders.Temp + "readme.txt", "", SW_SHOW);
    }
  }

  // 13: the program offered for starting.
  const std::string autoStart = FIni->ReadString(kSetupSection, "AutoStart", "");
  if (!autoStart.empty()) {
    CheckBox2->SetCaption(ChooseText("Autorun " + autoStart, autoStart + " automatisch ausführen"));
    CheckBox2->SetVisible(true);
  } else {
    CheckBox2->SetVisible(false);
  }

  // 14, 15: the folder, and the lock.
  Edit1->SetText(path);
  if (!Edit1->Text().empty() && FIni->ReadString(kSetupSection, "Locked", "False") == "True") {
    BitBtn1->SetEnabled(true);
    Edit1->SetReadOnly(true);
    Edit1->ButtonFaceColor = true;
    SpeedButton1->SetEnabled(false);
  }
}

void TMain::FormShow() {
  if (Edit1->ReadOnly() && Edit1->Focused()) BitBtn1->SetFocus();
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
  for (int i = 1; i < resources.Count(); ++i) {
    const std::string& name = resources.Items(i).Name();
    if (name == kReadmeResourceName) continue;
    const std::string problem = InstallNameProblem(name);
    if (!problem.empty())
      throw rtl::Exception(rtl::Format(
          ChooseText("The installer holds the file name \"%s\", which cannot be installed safely (it %s). "
                     "Nothing was installed.",
                     "Das Installationsprogramm enthält den Dateinamen \"%s\", der nicht sicher installiert "
                     "werden kann (Grund: %s). Es wurde nichts installiert.")
              .c_str(),
          name.c_str(), problem.c_str()));
  }
}

void TMain::BitBtn1Click() {
  std::string folder = Edit1->Text();
  try {
    ExtraResManager1->LoadFromFile(rtl::ExecutablePath(), true);
  } catch (const std::exception&) {
    // The copy works with whatever the collection holds then.
  }
  if (folder.empty() || folder.back() != '\\') folder += '\\';

  bool created = true;
  if (!rtl::DirectoryExists(folder)) {
    if (rtl::MessageDlg(ChooseText("The folder does not exist! Will you create the folder?",
                                   "Der Ordner existiert nicht! Soll der Ordner erstellt werden?"),
                        rtl::TMsgDlgType::Confirmation, rtl::mbYes | rtl::mbNo) == rtl::mrYes)
      created = MyMkDir(folder);
  }

  if (rtl::DirectoryExists(folder)) {
    CheckInstallNames();
    TExtraResources& resources = ExtraResManager1->Resources();
    int count = 0;
    for (int i = 1; i < resources.Count(); ++i) {
      TExtraResource& resource = resources.Items(i);
      if (resource.Name() == kReadmeResourceName) continue;
      ++count;
      InstallResourceFile(resource.Stream(), folder, resource.Name());
    }
    rtl::MessageDlg(ChooseText(std::to_string(count) + " files copied.",
                               "Es wurden " + std::to_string(count) + " Dateien kopiert."),
                    rtl::TMsgDlgType::Information, rtl::mbOK);
    const std::string autoStart = FIni ? FIni->ReadString(kSetupSection, "AutoStart", "") : "";
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
