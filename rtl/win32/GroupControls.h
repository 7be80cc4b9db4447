#pragma once
// Controls that group others: the framed group box and the radio button,
// whose siblings of one group go off when it goes on.

#include <string>
#include <vector>

#include "rtl/win32/Controls.h"

namespace rtl {

// A frame with a caption. The controls "in" it are the form's own children
// placed over it, so their notifications reach the form directly.
class TGroupBox : public TControl {
public:
  TGroupBox(TControlParent& form, int left, int top, int width, int height, const std::string& caption);
};

class TRadioButton : public TControl {
public:
  TRadioButton(TControlParent& form, int left, int top, int width, int height, const std::string& caption);
  bool Checked() const;
  // On switches the other buttons of the group off; a button that goes on
  // runs OnClick, as a click does. Off runs nothing.
  void SetChecked(bool checked);
  // Makes the buttons one group.
  static void Group(const std::vector<TRadioButton*>& buttons);
  void Notify(WORD code) override;

private:
  std::vector<TRadioButton*> FGroup;
};

}  // namespace rtl
