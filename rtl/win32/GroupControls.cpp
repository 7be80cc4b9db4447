#include "rtl/win32/GroupControls.h"

namespace rtl {

TGroupBox::TGroupBox(TControlParent& form, int left, int top, int width, int height, const std::string& caption)
    : TControl(form, "BUTTON", BS_GROUPBOX, 0, left, top, width, height, caption) {}

// Plain radio buttons: the system's automatic ones would look for their
// group among the form's window order, which the group box does not bound.
TRadioButton::TRadioButton(TControlParent& form, int left, int top, int width, int height, const std::string& caption)
    : TControl(form, "BUTTON", WS_TABSTOP | BS_RADIOBUTTON, 0, left, top, width, height, caption) {}

bool TRadioButton::Checked() const { return ::SendMessageA(FHandle, BM_GETCHECK, 0, 0) == BST_CHECKED; }

void TRadioButton::SetChecked(bool checked) {
  const bool was = Checked();
  ::SendMessageA(FHandle, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
  if (!checked) return;
  for (TRadioButton* other : FGroup)
    if (other != this) ::SendMessageA(other->FHandle, BM_SETCHECK, BST_UNCHECKED, 0);
  if (!was && OnClick) OnClick();
}

void TRadioButton::Group(const std::vector<TRadioButton*>& buttons) {
  for (TRadioButton* b : buttons) b->FGroup = buttons;
}

void TRadioButton::Notify(WORD code) {
  if (code == BN_CLICKED) SetChecked(true);
}

}  // namespace rtl
