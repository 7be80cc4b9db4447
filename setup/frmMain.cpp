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
#include "setup/SetupListFile.h"
#include "setup/StartInstalled.h"
#include "setup/frmInfos.h"

namespace {

const char kPackerAddress[] = "https://upx.github.io/";

// A file that could not be written is the target's fault; bytes that could
// not be read from the container are damage.
SetupFault FaultOf(const CopyOutcome& Outcome) {
  return {Outcome.Kind == CopyOutcome::Fault::Write ? SetupExitCode::CannotWrite : SetupExitCode::Damaged,
          Outcome.Text};
}

}  // namespace

TMain::TMain(rtl::TComponent* owner, const SetupCommandLine& options, TEarlyCheck& check)
    : rtl::TForm(owner), FCheck(check), ExtraResManager1(&check.Manager()), FSilent(options.Silent),
      FFolderOption(options.Folder) {
  IsMainForm = true;
  CreateFormWindow(kMainFormClass, 401, 153, WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX, 0,
                   nullptr);
  ::SendMessageA(Handle(), WM_SETICON, ICON_BIG,
                 reinterpret_cast<LPARAM>(::LoadIconA(rtl::ModuleInstance(), "MAINICON")));
  CreateControls();
  CenterOnScreen();
  // Shown as the runtime shows any error; the window then opens as far as
  // start-up got.
  if (!FormCreate() && !FSilent) rtl::Application().ShowException(FStartFault->Text);
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

  const struct {
    rtl::TControl* control;
    int id;
  } ids[] = {
      {Label1.get(), idLabel1}, {Edit1.get(), idEdit1}, {SpeedButton1.get(), idSpeedButton1},
      {Memo1.get(), idMemo1}, {CheckBox2.get(), idCheckBox2}, {CheckBox1.get(), idCheckBox1},
      {BitBtn1.get(), idBitBtn1}, {BitBtn3.get(), idBitBtn3}, {BitBtn2.get(), idBitBtn2},
      {Image1.get(), idImage1},
  };
  for (const auto& entry : ids) entry.control->SetDlgID(entry.id);

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

bool TMain::FormCreate() {
  ReadFolders();
  SetCaptions();
  LoadContainer();
  if (FContainer.State == ContainerState::Damaged) return true;
  if (!ReadList()) return false;
  const std::string folder = ProposedFolder();
  ShowListTexts();
  // A refused folder opens nothing, and a silent install shows nothing.
  ShowFolder(folder);
  TakeFolderOption();
  if (!FSilent && FFolderRefusal.empty() && !ShowReadme()) return false;
  OfferAutoStart();
  return true;
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
  // The load checks the container itself; a separate check before it would
  // hash the whole payload a second time for the same answer. Without a
  // container the installer still opens, with every key at its default.
  FContainer = FCheck.Wait();
  ExtraResManager1->TempOptions().SetTempFolder(rtl::Trim(rtl::TempFolder()));
}

bool TMain::ReadList() {
  const int entry = SetupListEntry(ResourceNames());
  if (entry < 0) return true;
  SetupFault fault;
  if (ReadSetupList(ExtraResManager1->Resources().Items(entry).Stream(), FFolders.Temp, FList, fault)) return true;
  FStartFault = fault;
  return false;
}

std::string TMain::DamageText() const {
  if (!FContainer.Unreadable.empty())
    return ChooseText("This installer is damaged: it cannot be read (" + FContainer.Unreadable +
                          "). It installs nothing; please get a new copy of it.",
                      "Dieses Installationsprogramm ist beschädigt: es kann nicht gelesen werden (" +
                          FContainer.Unreadable + "). Es installiert nichts; bitte besorgen Sie eine neue Kopie.");
  return ChooseText("This installer is damaged: its contents are not as they were made. It installs nothing; "
                    "please get a new copy of it.",
                    "Dieses Installationsprogramm ist beschädigt: sein Inhalt ist nicht mehr, wie er erstellt "
                    "wurde. Es installiert nichts; bitte besorgen Sie eine neue Kopie.");
}

std::string TMain::Refusal() const {
  if (FContainer.State == ContainerState::Damaged) return DamageText();
  return FFolderRefusal;
}

std::string TMain::ProposedFolder() const {
  // An absent "Path" means the temporary folder. It is not passed through
  // the reader as a scrambled default, because the reader cuts blanks off
  // the ends of defaults.
  std::string path = FFolders.Temp;
  if (FList.Path) path = ScrambleText(*FList.Path, Unscramble, SetupScrambleKey);
  return ResolvePathPlaceholders(path, FFolders);
}

void TMain::ShowListTexts() {
  SetCaption(ScrambleText(FList.Title, Unscramble, SetupScrambleKey));
  if (FList.Compressed == "True") Image1->SetVisible(true);
  if (!FList.Info.empty()) Memo1->AddLine(FList.Info);
}

bool TMain::ShowReadme() {
  // Once per marking value, as many times as the list names it.
  TExtraResources& resources = ExtraResManager1->Resources();
  for (const auto& value : FList.Files) {
    if (!MarksReadme(value)) continue;
    for (int i = 0; i < resources.Count(); ++i) {
      if (resources.Items(i).Name() != kReadmeResourceName) continue;
      const CopyOutcome written = InstallResourceFile(resources.Items(i).Stream(), FFolders.Temp, "readme.txt");
      if (!written.Ok()) {
        FStartFault = FaultOf(written);
        return false;
      }
      std::string reason;
      if (!OpenReadme(FFolders.Temp + "readme.txt", reason))
        rtl::MessageDlg(ChooseText("The readme could not be shown. ", "Die Hinweise konnten nicht angezeigt werden. ") +
                            reason,
                        rtl::TMsgDlgType::Error, rtl::mbOK);
    }
  }
  return true;
}

void TMain::OfferAutoStart() {
  const std::string& autoStart = FList.AutoStart;
  if (!autoStart.empty()) {
    CheckBox2->SetCaption(ChooseText("Autorun " + autoStart, autoStart + " automatisch ausführen"));
    CheckBox2->SetVisible(true);
  } else {
    CheckBox2->SetVisible(false);
  }
}

bool TMain::FolderLocked() const { return !Edit1->Text().empty() && FList.Locked == "True"; }

void TMain::ShowFolder(const std::string& folder) {
  Edit1->SetText(folder);
  if (FolderLocked()) {
    BitBtn1->SetEnabled(true);
    Edit1->SetReadOnly(true);
    Edit1->ButtonFaceColor = true;
    SpeedButton1->SetEnabled(false);
  }
}

void TMain::TakeFolderOption() {
  // "/D=" counts as typed into the folder field: as it stands, placeholders
  // included. A locked folder cannot be typed into, so another one is
  // refused.
  if (!FFolderOption) return;
  if (!FolderLocked()) {
    Edit1->SetText(*FFolderOption);
    return;
  }
  if (SameFolder(*FFolderOption, Edit1->Text())) return;
  FFolderRefusal = ChooseText("This installer installs only into " + Edit1->Text() + "; /D= cannot choose " +
                                  *FFolderOption + ".",
                              "Dieses Installationsprogramm installiert nur nach " + Edit1->Text() +
                                  "; /D= kann nicht " + *FFolderOption + " wählen.");
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

void TMain::Edit1Change() { BitBtn1->SetEnabled(!rtl::Trim(Edit1->Text()).empty()); }

void TMain::SpeedButton1Click() {
  const std::string chosen = rtl::BrowseForFolder(Handle(), "Wählen Sie das Zielverzeichnis aus");
  if (!rtl::Trim(chosen).empty()) Edit1->SetText(chosen);
}

bool TMain::MyMkDir(const std::string& path, SetupFault& fault) {
  for (const auto& folder : FolderBuildSteps(path)) {
    if (rtl::DirectoryExists(folder)) continue;
    if (!rtl::CreateDir(folder)) {
      fault = {SetupExitCode::CannotWrite, InOutErrorText(rtl::LastFileError())};
      return false;
    }
    if (!rtl::DirectoryExists(folder)) break;
  }
  return rtl::DirectoryExists(path);
}

std::string TMain::InstallPlanRefusal() {
  // A container that the builder would never make is refused as a whole,
  // before anything is written.
  auto refuse = [](const std::string& english, const std::string& german, const std::string& name,
                   const std::string& reason) {
    return rtl::Format(ChooseText(english, german).c_str(), name.c_str(), reason.c_str());
  };
  const std::vector<std::string> names = ResourceNames();
  for (size_t i : InstalledEntries(names)) {
    const InstallNameFault fault = InstallNameCheck(names[i]);
    if (fault.Refused())
      return refuse("The installer holds the file name \"%s\", which cannot be installed safely: %s. "
                   "Nothing was installed.",
                   "Das Installationsprogramm enthält den Dateinamen \"%s\", der nicht sicher installiert "
                   "werden kann: %s. Es wurde nichts installiert.",
                   names[i], ChooseText(fault.English, fault.German));
  }
  const std::string& autoStart = FList.AutoStart;
  if (autoStart.empty()) return std::string();
  const InstallNameFault fault = InstallNameCheck(autoStart);
  if (fault.Refused())
    return refuse("The installer names \"%s\" as the program to start after installing, which cannot be "
                 "started safely: %s. Nothing was installed.",
                 "Das Installationsprogramm nennt \"%s\" als Programm, das nach der Installation startet; "
                 "es kann nicht sicher gestartet werden: %s. Es wurde nichts installiert.",
                 autoStart, ChooseText(fault.English, fault.German));
  if (AutoStartEntry(names, autoStart) < 0)
    return refuse("The installer names \"%s\" as the program to start after installing, but installs no "
                 "file of that name. Nothing was installed.",
                 "Das Installationsprogramm nennt \"%s\" als Programm, das nach der Installation startet, "
                 "installiert aber keine Datei dieses Namens. Es wurde nichts installiert.",
                 autoStart, "");  // the text itself says why
  return std::string();
}

bool TMain::ContainerUnchanged() {
  // The install copies from the container that start-up checked and read
  // the list from, or from none. Another file under the program's name
  // (the running program can be renamed, and a new one put in its place)
  // or a container that no longer checks out is damage.
  const OwnContainer now = LoadOwnContainer(*ExtraResManager1, rtl::ExecutablePath());
  return now.State == FContainer.State && now.Digest == FContainer.Digest;
}

void TMain::StartAutoStart(const std::string& folder) {
  // Started by the name this install wrote, which the check before the
  // install found; the list's spelling may differ in case.
  const std::vector<std::string> names = ResourceNames();
  const int entry = AutoStartEntry(names, FList.AutoStart);
  if (entry < 0) return;
  const std::string& name = names[static_cast<size_t>(entry)];
  std::string reason;
  switch (StartInstalled(Handle(), folder, name, ExtraResManager1->Resources().Items(entry).Stream(), reason)) {
    case StartOutcome::Started: return;
    case StartOutcome::Changed:
      rtl::MessageDlg(ChooseText(name + " was not started: another program changed or removed it after it was "
                                        "installed.",
                                 name + " wurde nicht gestartet: ein anderes Programm hat es nach der Installation "
                                        "geändert oder entfernt."),
                      rtl::TMsgDlgType::Error, rtl::mbOK);
      return;
    case StartOutcome::NotAProgram:
      rtl::MessageDlg(ChooseText(name + " was not opened: an installer with administrator rights starts programs "
                                        "only, since the program that opens a document is chosen by settings that "
                                        "every program of the user can change.",
                                 name + " wurde nicht geöffnet: ein Installationsprogramm mit Administratorrechten "
                                        "startet nur Programme, da das Programm, das ein Dokument öffnet, in "
                                        "Einstellungen steht, die jedes Programm des Benutzers ändern kann."),
                      rtl::TMsgDlgType::Warning, rtl::mbOK);
      return;
    case StartOutcome::Failed:
      rtl::MessageDlg(ChooseText(name + " could not be started: " + reason,
                                 name + " konnte nicht gestartet werden: " + reason),
                      rtl::TMsgDlgType::Error, rtl::mbOK);
      return;
  }
}

void TMain::BitBtn1Click() {
  std::string error;
  FExitCode = Install(Edit1->Text(), error);
  if (!error.empty()) rtl::Application().ShowException(error);
}

SetupExitCode TMain::InstallSilently(std::string& error) {
  FExitCode = Install(Edit1->Text(), error);
  if (FExitCode != SetupExitCode::Installed && error.empty()) {
    // Nothing was refused, and still no folder to install into.
    error = ChooseText("The folder could not be created!", "Der Ordner konnte nicht erstellt werden!");
    FExitCode = SetupExitCode::CannotWrite;
  }
  return FExitCode;
}

SetupExitCode TMain::Install(std::string folder, std::string& error) {
  // A silent install follows start-up at once and copies from the container
  // that start-up checked, through the handle held since then; the window
  // may have waited for long, and loads and checks the file again.
  if (!FSilent && !ContainerUnchanged()) {
    rtl::MessageDlg(DamageText(), rtl::TMsgDlgType::Error, rtl::mbOK);
    return SetupExitCode::Damaged;
  }
  if (folder.empty() || folder.back() != '\\') folder += '\\';
  // Before the folder question, so that a refused installer creates nothing.
  error = InstallPlanRefusal();
  if (!error.empty()) return SetupExitCode::Damaged;

  bool created = true;
  if (!rtl::DirectoryExists(folder)) {
    if (FSilent || rtl::MessageDlg(ChooseText("The folder does not exist! Will you create the folder?",
                                              "Der Ordner existiert nicht! Soll der Ordner erstellt werden?"),
                                   rtl::TMsgDlgType::Confirmation, rtl::mbYes | rtl::mbNo) == rtl::mrYes) {
      SetupFault fault;
      created = MyMkDir(folder, fault);
      if (!fault.Text.empty()) {
        error = fault.Text;
        return fault.Code;
      }
    }
  }

  if (!rtl::DirectoryExists(folder)) {
    // After No nothing is shown, and the run comes to what it came to so far.
    if (created) return FExitCode;
    if (!FSilent)
      rtl::MessageDlg(ChooseText("The folder could not be created!", "Der Ordner konnte nicht erstellt werden!"),
                      rtl::TMsgDlgType::Error, rtl::mbOK);
    return SetupExitCode::CannotWrite;
  }

  SweepScratchFiles(folder);
  TExtraResources& resources = ExtraResManager1->Resources();
  int count = 0;
  for (size_t i : InstalledEntries(ResourceNames())) {
    TExtraResource& resource = resources.Items(static_cast<int>(i));
    ++count;
    const CopyOutcome written = InstallResourceFile(resource.Stream(), folder, resource.Name());
    if (!written.Ok()) {
      const SetupFault fault = FaultOf(written);
      error = fault.Text;
      return fault.Code;
    }
  }
  if (FSilent) return SetupExitCode::Installed;
  FExitCode = SetupExitCode::Installed;
  rtl::MessageDlg(ChooseText(std::to_string(count) + " files copied.",
                             "Es wurden " + std::to_string(count) + " Dateien kopiert."),
                  rtl::TMsgDlgType::Information, rtl::mbOK);
  if (!FList.AutoStart.empty() && CheckBox2->Checked() && CheckBox2->Visible()) StartAutoStart(folder);
  if (CheckBox1->Checked()) Close();
  return SetupExitCode::Installed;
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
