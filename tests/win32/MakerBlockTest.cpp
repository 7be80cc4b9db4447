// The maker block that both info dialogs build: where its controls stand,
// what they show, and which of them ask for the page or for a mail.

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "common/Maker.h"
#include "common/MakerBlock.h"
#include "rtl/win32/Forms.h"

namespace {

class MakerForm : public rtl::TForm {
public:
  MakerForm() : TForm(nullptr) {
    CreateFormWindow("OrvMakerTestForm", 300, 170, WS_POPUP | WS_CAPTION, 0, nullptr);
    Block = std::make_unique<TMakerBlock>(*this, TMakerPlaces{{12, 64}, {196, 64}, {104, 92}, {104, 140}},
                                          [this] { Asked += "page "; }, [this] { Asked += "mail "; });
  }
  std::unique_ptr<TMakerBlock> Block;
  std::string Asked;
};

POINT PlaceOf(const rtl::TControl& control) {
  RECT r{};
  ::GetWindowRect(control.Handle(), &r);
  POINT p{r.left, r.top};
  ::ScreenToClient(::GetParent(control.Handle()), &p);
  return p;
}

TEST(MakerBlock, PlacesTextsAndLinks) {
  MakerForm form;
  const TMakerBlock& block = *form.Block;
  const struct {
    rtl::TControl* control;
    POINT place;
    const char* text;
    const char* asks;
  } cases[] = {
      {block.Notice.get(), {12, 64}, kMakerText, ""},
      {block.Mail.get(), {196, 64}, kMakerMail, "mail "},
      {block.Logo.get(), {104, 92}, nullptr, "page "},
      {block.Web.get(), {104, 140}, kMakerWeb, "page "},
  };
  for (const auto& c : cases) {
    const POINT at = PlaceOf(*c.control);
    EXPECT_EQ(c.place.x, at.x) << c.asks;
    EXPECT_EQ(c.place.y, at.y) << c.asks;
    if (c.text) {
      EXPECT_EQ(c.text, c.control->Caption());
    }
    form.Asked.clear();
    c.control->Notify(STN_CLICKED);
    EXPECT_EQ(c.asks, form.Asked) << (c.text ? c.text : "the logo");
    EXPECT_EQ(*c.asks != '\0', c.control->HandPoint) << "a link shows the hand";
  }
}

}  // namespace
