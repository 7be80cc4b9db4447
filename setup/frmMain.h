#pragma once
// The installer window: checks the container appended to the program,
// reads the setup list, proposes the target folder and installs. A damaged
// installer opens no window: start-up finds the damage, and the program
// entry says so and ends. Started with "/S", the window is never shown:
// the program entry installs at once, without a question.

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "rtl/win32/Controls.h"
#include "rtl/win32/Forms.h"
#include "setup/core/CommandLine.h"
#include "setup/core/ExtraResManager.h"
#include "setup/core/OwnContainer.h"
#include "setup/core/SetupList.h"
#include "setup/EarlyCheck.h"

class TInfos;

class TMain : public rtl::TForm {
public:
  // Silent: start-up shows nothing (no readme) and leaves its error to the
  // caller (StartFault) instead of showing it.
  // Check holds the container's reader, and its load that start-up waits
  // for; it outlives the window.
  TMain(rtl::TComponent* owner, const SetupCommandLine& options, TEarlyCheck& check);
  ~TMain() override;

  // The info dialog, created after this window.
  TInfos* Infos = nullptr;

  std::string GetVersion();
  // False when Path is no folder at the end; Fault holds the input/output
  // error of a creation that the platform refused.
  bool MyMkDir(const std::string& path, SetupFault& fault);

  // The error that ended start-up early, if any; the window shows it itself.
  const std::optional<SetupFault>& StartFault() const { return FStartFault; }

  // What start-up found at the end of the program; a damaged container is
  // never installed from.
  ContainerState Container() const { return FContainer.State; }
  // The message for a damaged installer, in the user's language.
  std::string DamageText() const;
  // Why this installer must not open its window nor install, in the user's
  // language (a damaged container, or a "/D=" folder where the list fixes
  // another); empty when it may.
  std::string Refusal() const;

  // Installs into the folder in the folder field, without a question or a
  // message, and starts nothing. A failure's message goes to Error.
  SetupExitCode InstallSilently(std::string& error);
  // What the run comes to: cancelled until an install succeeds, then the
  // outcome of the last install.
  SetupExitCode ExitCode() const { return FExitCode; }

protected:
  void FormShow() override;

private:
  void CreateControls();
  // False, with FStartFault, when a step fails; the later steps are skipped.
  bool FormCreate();
  // The steps of FormCreate, in their order.
  void ReadFolders();
  void SetCaptions();
  void LoadContainer();
  bool ReadList();
  std::string ProposedFolder() const;
  void ShowListTexts();
  bool ShowReadme();
  void OfferAutoStart();
  void ShowFolder(const std::string& folder);
  void TakeFolderOption();
  bool FolderLocked() const;
  // A failure's message goes to Error; the code says what it stands for.
  SetupExitCode Install(std::string folder, std::string& error);

  std::vector<std::string> ResourceNames();
  bool ContainerUnchanged();
  void Edit1Change();
  void SpeedButton1Click();
  void BitBtn1Click();
  void BitBtn2Click();
  void BitBtn3Click();
  void Image1Click();
  // Why the container must not be installed from, or empty.
  std::string InstallPlanRefusal();
  void StartAutoStart(const std::string& folder);

  std::unique_ptr<rtl::TLabel> Label1;
  std::unique_ptr<rtl::TEdit> Edit1;
  std::unique_ptr<rtl::TSpeedButton> SpeedButton1;
  std::unique_ptr<rtl::TMemo> Memo1;
  std::unique_ptr<rtl::TCheckBox> CheckBox2;
  std::unique_ptr<rtl::TCheckBox> CheckBox1;
  std::unique_ptr<rtl::TButton> BitBtn1;
  std::unique_ptr<rtl::TButton> BitBtn3;
  std::unique_ptr<rtl::TButton> BitBtn2;
  std::unique_ptr<rtl::TImage> Image1;
  std::unique_ptr<rtl::TBevel> Bevel1;
  TEarlyCheck& FCheck;
  TExtraResManager* ExtraResManager1;  // the check's

  SetupFolders FFolders;
  OwnContainer FContainer;
  // Read once at start-up; every key holds its default when the container
  // carries no list.
  SetupListValues FList;
  const bool FSilent;
  const std::optional<std::string> FFolderOption;
  std::string FFolderRefusal;
  std::optional<SetupFault> FStartFault;
  SetupExitCode FExitCode = SetupExitCode::Cancelled;
};
