#include "common/MakerBlock.h"

#include "common/Maker.h"
#include "rtl/win32/Shell.h"

TMakerBlock::TMakerBlock(rtl::TControlParent& form, const TMakerPlaces& places, std::function<void()> openPage,
                         std::function<void()> openMail) {
  Notice = std::make_unique<rtl::TLabel>(form, places.Notice.x, places.Notice.y, kMakerText);
  Mail = std::make_unique<rtl::TLabel>(form, places.Mail.x, places.Mail.y, kMakerMail);
  Mail->SetLinkStyle();
  Logo = std::make_unique<rtl::TImage>(form, places.Logo.x, places.Logo.y, 88, 42);
  Logo->SetBitmap("LOGO_MAKER");
  Logo->HandPoint = true;
  Web = std::make_unique<rtl::TLabel>(form, places.Web.x, places.Web.y, kMakerWeb);
  Web->SetLinkStyle();

  Logo->OnClick = openPage;
  Web->OnClick = std::move(openPage);
  Mail->OnClick = std::move(openMail);
}

void OpenMakerPage(int showCommand) { rtl::ShellOpen(nullptr, kMakerPage, "", showCommand); }

void OpenMakerMail(const std::string& query, int showCommand) {
  rtl::ShellOpen(nullptr, std::string("mailto:") + kMakerMail + query, "", showCommand);
}
