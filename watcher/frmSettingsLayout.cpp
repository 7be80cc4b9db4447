#include "watcher/frmSettingsLayout.h"

#include <windows.h>

#include <commctrl.h>

#include "common/Lang.h"
#include "rtl/win32/SystemFiles.h"
#include "watcher/StateImages.h"
#include "watcher/WatcherControlIds.h"

using rtl::TLabel;

namespace {

// The common controls are bound when the first controls are made, after
// the tray icon: their library and its theme cost the icon's start
// otherwise. By name, so that the program's manifest picks version 6; the
// search path is the system folder's by then.
void InitCommonControlsOnce() {
  static const bool initialised = [] {
    const auto init = rtl::BoundFunction<decltype(&::InitCommonControlsEx)>(::LoadLibraryA("comctl32.dll"),
                                                                             "InitCommonControlsEx");
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES};
    return init && init(&controls);
  }();
  (void)initialised;
}

}  // namespace

void TSettingsControls::CreateControls(rtl::TForm& form) {
  InitCommonControlsOnce();
  // Creation order is the tab order; each label comes right before its
  // field, so that its accelerator moves the focus there.
  GroupBox1 = std::make_unique<rtl::TGroupBox>(form, 8, 4, 209, 197, "Intranet");
  Label1 = std::make_unique<TLabel>(form, 16, 28, "Intranet-I&P");
  Edit1 = std::make_unique<rtl::TEdit>(form, 16, 44, 185, 21);
  Label7 = std::make_unique<TLabel>(form, 16, 84, "Ping &Timeout (ms)");
  SpinEdit1 = std::make_unique<ui::TSpinEdit>(form, 16, 100, 81, 22);
  CheckBox5 = std::make_unique<rtl::TCheckBox>(form, 16, 140, 185, 17, "No Int&ranet-IP");

  GroupBox2 = std::make_unique<rtl::TGroupBox>(form, 224, 4, 209, 197, "Internet");
  RadioButton1 = std::make_unique<rtl::TRadioButton>(form, 232, 20, 193, 17, "Fr&om File (http request)");
  Edit2 = std::make_unique<rtl::TEdit>(form, 232, 40, 169, 21);
  SpeedButton1 = std::make_unique<rtl::TSpeedButton>(form, 403, 39, 23, 23);
  Label5 = std::make_unique<TLabel>(form, 232, 68, "Parse IP");
  Bevel1 = std::make_unique<rtl::TBevel>(form, 280, 75, 145, 2, rtl::TBevel::Shape::TopLine);
  Label3 = std::make_unique<TLabel>(form, 232, 82, "Be&fore IP");
  Edit3 = std::make_unique<rtl::TEdit>(form, 232, 98, 92, 21);
  Label4 = std::make_unique<TLabel>(form, 330, 82, "&After IP");
  Edit4 = std::make_unique<rtl::TEdit>(form, 330, 98, 95, 21);
  RadioButton2 = std::make_unique<rtl::TRadioButton>(form, 232, 128, 193, 17, "Stati&c IP/URL");
  Label2 = std::make_unique<TLabel>(form, 232, 150, "Inte&rnet-IP/URL");
  Edit7 = std::make_unique<rtl::TEdit>(form, 232, 166, 193, 21);

  GroupBox3 = std::make_unique<rtl::TGroupBox>(form, 8, 204, 342, 100, "General");
  CheckBox1 = std::make_unique<rtl::TCheckBox>(form, 16, 222, 188, 17, "&Update hosts file (NT only)");
  Label8 = std::make_unique<TLabel>(form, 208, 224, "Ho&st");
  Edit6 = std::make_unique<rtl::TEdit>(form, 268, 220, 74, 21);
  CheckBox2 = std::make_unique<rtl::TCheckBox>(form, 16, 248, 188, 17, "Write IP to a &textfile");
  Label6 = std::make_unique<TLabel>(form, 208, 250, "File&name");
  Edit5 = std::make_unique<rtl::TEdit>(form, 268, 246, 74, 21);
  CheckBox3 = std::make_unique<rtl::TCheckBox>(form, 16, 274, 80, 17, "&Autostart");
  CheckBox4 = std::make_unique<rtl::TCheckBox>(form, 100, 274, 76, 17, "Hidden");
  Label9 = std::make_unique<TLabel>(form, 208, 276, "Interv&al (sec.)");
  SpinEdit2 = std::make_unique<ui::TSpinEdit>(form, 290, 272, 52, 22);

  BitBtn1 = std::make_unique<rtl::TButton>(form, 358, 212, 75, 25, "&Ok", true, "GLYPH_OK");
  BitBtn2 = std::make_unique<rtl::TButton>(form, 358, 244, 75, 25, "&Abbort", false, "GLYPH_ABORT");
  BitBtn3 = std::make_unique<rtl::TButton>(form, 358, 279, 75, 25, "&Exit", false, "GLYPH_EXIT");

  const struct {
    rtl::TControl* control;
    int id;
  } ids[] = {
      {GroupBox1.get(), idGroupBox1}, {GroupBox2.get(), idGroupBox2}, {GroupBox3.get(), idGroupBox3},
      {Label1.get(), idLabel1}, {Label2.get(), idLabel2}, {Label3.get(), idLabel3}, {Label4.get(), idLabel4},
      {Label5.get(), idLabel5}, {Label6.get(), idLabel6}, {Label7.get(), idLabel7}, {Label8.get(), idLabel8},
      {Label9.get(), idLabel9}, {Edit1.get(), idEdit1}, {Edit2.get(), idEdit2}, {Edit3.get(), idEdit3},
      {Edit4.get(), idEdit4}, {Edit5.get(), idEdit5}, {Edit6.get(), idEdit6}, {Edit7.get(), idEdit7},
      {SpinEdit1.get(), idSpinEdit1}, {SpinEdit2.get(), idSpinEdit2}, {CheckBox1.get(), idCheckBox1},
      {CheckBox2.get(), idCheckBox2}, {CheckBox3.get(), idCheckBox3}, {CheckBox4.get(), idCheckBox4},
      {CheckBox5.get(), idCheckBox5}, {RadioButton1.get(), idRadioButton1}, {RadioButton2.get(), idRadioButton2},
      {SpeedButton1.get(), idSpeedButton1}, {BitBtn1.get(), idBitBtn1}, {BitBtn2.get(), idBitBtn2},
      {BitBtn3.get(), idBitBtn3},
  };
  for (const auto& entry : ids) entry.control->SetDlgID(entry.id);

  // The design state, which stays while a value is not stored.
  SpinEdit1->SetMinValue(1);
  SpinEdit1->SetMaxValue(10000);
  SpinEdit1->SetValue(500);
  SpinEdit2->SetMinValue(1);
  SpinEdit2->SetMaxValue(6000);
  SpinEdit2->SetValue(300);
  SpinEdit2->SetMaxLength(4);
  rtl::TRadioButton::Group({RadioButton1.get(), RadioButton2.get()});
  RadioButton1->SetChecked(true);
  CheckBox1->SetChecked(true);
  CheckBox2->SetChecked(true);
  CheckBox3->SetChecked(true);
  Edit5->SetText("c:\\serverip.txt");
  Edit7->SetEnabled(false);
  Edit7->ButtonFaceColor = true;
  // Hidden is switched by a click or the command line, never by Tab and Space.
  CheckBox4->SetTabStop(false);
}

void BuildTrayMenu(ui::TBcBarPopupMenu& PopupMenu1, rtl::TImageList& ImageList1, const TTrayMenuActions& actions) {
  for (const char* name : {"M_OPTIONS", "M_HELP", "M_INFO", "M_EXIT", "M_HIDE"}) {
    rtl::Icon icon(LoadSmallIcon(name));
    ImageList1.AddIcon(icon.Get());
  }
  PopupMenu1.BeginLoading();
  PopupMenu1.Images = &ImageList1;
  PopupMenu1.Bar().SetGradientStart(rtl::clBtnFace);
  PopupMenu1.Bar().SetGradientEnd(rtl::clWindowText);
  PopupMenu1.Bar().SetWidth(25);
  PopupMenu1.Bar().BarPicture().Picture().LoadFromResourceName(rtl::ModuleInstance(), "MENU_COMPUTER");
  rtl::TFont& caption = PopupMenu1.Bar().BarCaption().Font();
  caption.SetName("Arial");
  caption.SetHeight(-16);
  caption.SetStyle(rtl::fsBold | rtl::fsItalic);
  caption.SetColor(rtl::clWhite);
  caption.SetCharset(ANSI_CHARSET);
  PopupMenu1.Bar().BarCaption().SetCaption("Orvandel");
  for (rtl::TFont* font : {&PopupMenu1.Separators().Font(), &PopupMenu1.MenuFont()}) {
    font->SetName("MS Sans Serif");
    font->SetHeight(-11);
    font->SetColor(rtl::clWindowText);
  }
  PopupMenu1.AddItem(ChooseText("&Options", "&Optionen"), 0, actions.Options);
  PopupMenu1.AddSeparator();
  PopupMenu1.AddItem(ChooseText("&Help", "&Hilfe"), 1, actions.Help);
  PopupMenu1.AddItem(ChooseText("&Info", "&Info"), 2, actions.Info);
  PopupMenu1.AddSeparator();
  PopupMenu1.AddItem(ChooseText("Hide &Trayicon", "&Trayicon verbergen"), 4, actions.Hide);
  PopupMenu1.AddSeparator();
  PopupMenu1.AddItem(ChooseText("&Exit Orvandel", "Orvandel B&eenden"), 3, actions.Exit);
  PopupMenu1.Loaded();
}

void TSettingsControls::SetCaptions() {
  GroupBox1->SetCaption(ChooseText("Intranet", "Intranet"));
  GroupBox2->SetCaption(ChooseText("Internet", "Internet"));
  GroupBox3->SetCaption(ChooseText("General", "Allgemein"));
  Label1->SetCaption(ChooseText("Intranet-I&P", "Intranet-I&P"));
  Label2->SetCaption(ChooseText("Inte&rnet-IP/URL", "Inte&rnet-IP/URL"));
  Label3->SetCaption(ChooseText("Be&fore IP", "Vo&r der IP"));
  Label4->SetCaption(ChooseText("&After IP", "N&ach der IP"));
  Label5->SetCaption(ChooseText("Parse IP", "Parse IP"));
  Label6->SetCaption(ChooseText("File&name", "Datei&name"));
  Label7->SetCaption(ChooseText("Ping &Timeout (ms)", "Ping &Timeout (ms)"));
  Label8->SetCaption(ChooseText("Ho&st", "Ho&st"));
  Label9->SetCaption(ChooseText("Interv&al (sec.)", "Interv&all (sek.)"));
  CheckBox1->SetCaption(ChooseText("&Update hosts file (NT only)", "Hosts akt&ualisieren (nur NT)"));
  CheckBox2->SetCaption(ChooseText("Write IP to a &textfile", "IP in &Textdatei schreiben"));
  CheckBox3->SetCaption(ChooseText("&Autostart", "&Autostart"));
  CheckBox4->SetCaption(ChooseText("Hidden", "Verborgen"));
  CheckBox5->SetCaption(ChooseText("No Int&ranet-IP", "Keine Int&ranet-IP"));
  SpeedButton1->SetHint(ChooseText("Proxy-Options", "Proxy-Einstellungen"));
  RadioButton1->SetCaption(ChooseText("Fr&om File (http request)", "V&on Datei (http request)"));
  RadioButton2->SetCaption(ChooseText("Stati&c IP/URL", "Statis&che IP/URL"));
  BitBtn1->SetCaption(ChooseText("&Ok", "&Ok"));
  BitBtn2->SetCaption(ChooseText("&Abbort", "&Abbrechen"));
  BitBtn3->SetCaption(ChooseText("&Exit", "B&eenden"));
}
