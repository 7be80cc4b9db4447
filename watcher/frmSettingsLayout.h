#pragma once
// The settings window's controls: their places, ids, design state and
// texts; and the tray menu's look and items. What the controls do is the
// window's (frmSettings.cpp).

#include <functional>
#include <memory>

#include "rtl/win32/Controls.h"
#include "rtl/win32/Forms.h"
#include "rtl/win32/GroupControls.h"
#include "rtl/win32/Menus.h"
#include "ui/BarMenus.h"
#include "ui/Spin.h"

class TSettingsControls {
protected:
  // Creation order is the tab order. The controls come after the tray
  // icon, which they would otherwise hold up at the start.
  void CreateControls(rtl::TForm& form);
  // The texts in the user's language.
  void SetCaptions();

  std::unique_ptr<rtl::TGroupBox> GroupBox1, GroupBox2, GroupBox3;
  std::unique_ptr<rtl::TLabel> Label1, Label2, Label3, Label4, Label5, Label6, Label7, Label8, Label9;
  std::unique_ptr<rtl::TEdit> Edit1, Edit2, Edit3, Edit4, Edit5, Edit6, Edit7;
  std::unique_ptr<ui::TSpinEdit> SpinEdit1, SpinEdit2;
  std::unique_ptr<rtl::TCheckBox> CheckBox1, CheckBox2, CheckBox3, CheckBox4, CheckBox5;
  std::unique_ptr<rtl::TRadioButton> RadioButton1, RadioButton2;
  std::unique_ptr<rtl::TSpeedButton> SpeedButton1;
  std::unique_ptr<rtl::TBevel> Bevel1;
  std::unique_ptr<rtl::TButton> BitBtn1, BitBtn2, BitBtn3;
};

// The tray menu's items, top to bottom, by what they do.
struct TTrayMenuActions {
  std::function<void()> Options, Help, Info, Hide, Exit;
};

// Fills the menu and its images; made at the first right click, since its
// pictures and fonts would otherwise cost the start of the tray icon.
void BuildTrayMenu(ui::TBcBarPopupMenu& PopupMenu1, rtl::TImageList& ImageList1, const TTrayMenuActions& actions);
