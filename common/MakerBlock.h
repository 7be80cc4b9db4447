#pragma once
// The maker block of both programs' info dialogs: the maker's notice line,
// the mail address as a link, the logo and the web address as a link. The
// logo and the web address ask for the maker's page, the mail address for
// a new mail; the notice line is no link. Each dialog gives the places and
// what a click does (its Label5Click and Label6Click).

#include <functional>
#include <memory>
#include <string>

#include "rtl/win32/Controls.h"

// The top left corners of the block's four controls on their dialog.
struct TMakerPlaces {
  POINT Notice, Mail, Logo, Web;
};

struct TMakerBlock {
  // Made on Form in this order, each with the next id that the form hands
  // out; the logo is the maker's bitmap resource "LOGO_MAKER", 88 by 42.
  TMakerBlock(rtl::TControlParent& form, const TMakerPlaces& places, std::function<void()> openPage,
              std::function<void()> openMail);

  std::unique_ptr<rtl::TLabel> Notice, Mail;
  std::unique_ptr<rtl::TImage> Logo;
  std::unique_ptr<rtl::TLabel> Web;
};

// The shell's "open" of the maker's web page, shown with ShowCommand.
void OpenMakerPage(int showCommand);
// The shell's "open" of a mail to the maker: "mailto:" with the address and
// Query ("?Subject=..." or nothing).
void OpenMakerMail(const std::string& query, int showCommand);
