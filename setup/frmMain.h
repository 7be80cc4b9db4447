#pragma once
// The installer window: checks the container appended to the program,
// reads the setup list, proposes the target folder and installs. A damaged
// installer opens no window: start-up finds the damage, and the program
// entry says so and ends. Started with "/S", the window is never shown:
// the program entry installs at once, without a question.

#include <exception>
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

class TInfos;

class TMain : public rtl::TForm {
public:
  // Silent: start-up shows nothing (no readme) and lets its errors pass to
  // the caller instead of showing them.
  TMain(rtl::TComponent* owner, const SetupCommandLine& options);
  ~TMain() override;

  // The info dialog, created after this window.
  TInfos* Infos = nullptr;

  std::string GetVersion();
  bool MyMkDir(const std::string& path);

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
  // message, and starts nothing. Raises on failure.
  void InstallSilently();
  // What the run comes to: cancelled until an install succeeds, then the
  // outcome of the last install.
  SetupExitCode ExitCode() const { return FExitCode; }

protected:
  void FormShow() override;

private:
  void CreateControls();
  void FormCreate();
  // The steps of FormCreate, in their order.
  void ReadFolders();
  void SetCaptions();
  void LoadContainer();
  void ReadList();
  std::string ProposedFolder() const;
  void ShowListTexts();
  void ShowReadme();
  void OfferAutoStart();
  void ShowFolder(const std::string& folder);
  void TakeFolderOption();
  bool FolderLocked() const;
  SetupExitCode Install(std::string folder);

  std::vector<std::string> ResourceNames();
  bool ContainerUnchanged();
  void Edit1Change();
  void SpeedButton1Click();
  void BitBtn1Click();
  void BitBtn2Click();
  void BitBtn3Click();
  void Image1Click();
  void CheckInstallPlan();
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
  TExtraResManager* ExtraResManager1;  // owned by this form as its component

  SetupFolders FFolders;
  OwnContainer FContainer;
  // Read once at start-up; every key holds its default when the container
  // carries no list.
  SetupListValues FList;
  const bool FSilent;
  const std::optional<std::string> FFolderOption;
  std::string FFolderRefusal;
  SetupExitCode FExitCode = SetupExitCode::Cancelled;
};

// The exit code that an error raised by an install stands for: a folder or
// a file that could not be written, or else damage.
SetupExitCode ExitCodeOf(const std::exception& Error);
