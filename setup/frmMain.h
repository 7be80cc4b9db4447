#pragma once
// The installer window: checks the container appended to the program,
// reads the setup list, proposes the target folder and installs.

#include <memory>
#include <string>
#include <vector>

#include "rtl/win32/Controls.h"
#include "rtl/win32/Forms.h"
#include "rtl/win32/IniFiles.h"
#include "setup/core/ExtraResManager.h"
#include "setup/core/SetupList.h"

class TInfos;

class TMain : public rtl::TForm {
public:
  explicit TMain(rtl::TComponent* owner);
  ~TMain() override;

  // The info dialog, created after this window.
  TInfos* Infos = nullptr;

  std::string GetVersion();
  bool MyMkDir(const std::string& path);

protected:
  void FormShow() override;
  void FormClose() override;

private:
  void CreateControls();
  void FormCreate();
  // The steps of FormCreate, in their order.
  void ReadFolders();
  void SetCaptions();
  void LoadContainer();
  void WriteSetupList();
  std::string ProposedFolder() const;
  void ShowListTexts();
  void ShowReadme();
  void OfferAutoStart();
  void ShowFolder(const std::string& folder);

  // Values of the setup list; every key reads as its default when the
  // container carries no list.
  std::string ListValue(const char* section, const std::string& key, const std::string& defaultValue) const;
  std::vector<std::string> ListKeys(const char* section) const;
  std::vector<std::string> ResourceNames();
  void ReloadContainer();
  void Edit1Change();
  void SpeedButton1Click();
  void BitBtn1Click();
  void BitBtn2Click();
  void BitBtn3Click();
  void Image1Click();
  void CheckInstallNames();

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
  bool FContainerLoaded = false;
  std::string FSetupListPath;
  std::unique_ptr<rtl::TIniFile> FIni;
};
