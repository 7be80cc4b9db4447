// The settings window's half that reads and writes the registry: the
// options, the program's own values, and the Run entry for the log-on start.

#include <windows.h>

#include "rtl/core/FileLayer.h"
#include "rtl/core/Paths.h"
#include "rtl/win32/Registry.h"
#include "rtl/win32/SystemFiles.h"
#include "watcher/SettingsKeys.h"
#include "watcher/core/CommandLine.h"
#include "watcher/core/RunEntry.h"
#include "watcher/frmSettings.h"

namespace {

void OpenSettingsKey(rtl::TRegistry& reg) {
  // Without the key every read and write would go to the root of the
  // user's hive instead.
  if (!reg.OpenKey(kSettingsKey, true))
    throw rtl::ERegistryException(std::string("Failed to open key '") + kSettingsKey + "'");
}

std::string ShortPath(const std::string& path) {
  char buffer[MAX_PATH + 1] = {};
  const DWORD n = ::GetShortPathNameA(path.c_str(), buffer, sizeof buffer);
  return n && n < sizeof buffer ? std::string(buffer, n) : path;
}

std::string LongPath(const std::string& path) {
  char buffer[MAX_PATH + 1] = {};
  const DWORD n = ::GetLongPathNameA(path.c_str(), buffer, sizeof buffer);
  return n && n < sizeof buffer ? std::string(buffer, n) : path;
}

bool IsFile(const std::string& path) {
  const DWORD attributes = ::GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

}  // namespace

std::string TSettings::GetVersion() { return rtl::FileVersionText(rtl::ExecutablePath()); }

void TSettings::ReadOptions(std::vector<std::function<void()>>& steps) {
  rtl::TRegistry reg;
  OpenSettingsKey(reg);
  // A value of the wrong type raises and ends the read at that value; the
  // steps read before it still apply.
  auto text = [&](const char* name, std::unique_ptr<rtl::TEdit> TSettings::*edit) {
    if (reg.ValueExists(name))
      steps.push_back([this, edit, value = reg.ReadString(name)] { (this->*edit)->SetText(value); });
  };
  auto number = [&](const char* name, std::unique_ptr<ui::TSpinEdit> TSettings::*field) {
    if (reg.ValueExists(name))
      steps.push_back([this, field, value = reg.ReadInteger(name)] { (this->*field)->SetValue(value); });
  };
  auto check = [&](const char* name, std::unique_ptr<rtl::TCheckBox> TSettings::*box) {
    if (reg.ValueExists(name))
      steps.push_back([this, box, value = reg.ReadBool(name)] { (this->*box)->SetCheckedAndClick(value); });
  };
  auto radio = [&](const char* name, std::unique_ptr<rtl::TRadioButton> TSettings::*button) {
    if (reg.ValueExists(name))
      steps.push_back([this, button, value = reg.ReadBool(name)] { (this->*button)->SetChecked(value); });
  };
  text("LanIP", &TSettings::Edit1);
  number("TimeOut", &TSettings::SpinEdit1);
  check("NoLan", &TSettings::CheckBox5);
  number("Interval", &TSettings::SpinEdit2);
  text("HTTPFile", &TSettings::Edit2);
  text("BeforeIP", &TSettings::Edit3);
  text("AfterIP", &TSettings::Edit4);
  check("UpdateHosts", &TSettings::CheckBox1);
  check("UpdateFile", &TSettings::CheckBox2);
  check("AutoRun", &TSettings::CheckBox3);
  text("FileName", &TSettings::Edit5);
  text("HostName", &TSettings::Edit6);
  text("StaticIP", &TSettings::Edit7);
  radio("FromFile", &TSettings::RadioButton1);
  radio("FromStatic", &TSettings::RadioButton2);
}

void TSettings::ShowIfNewVersion() {
  rtl::TRegistry reg;
  OpenSettingsKey(reg);
  const std::string stored = reg.ValueExists("Version") ? reg.ReadString("Version") : std::string();
  const std::string running = GetVersion();
  if (stored != running) {
    reg.WriteString("Version", running);
    Show();
    BringToFront();
  }
}

void TSettings::LoadSettings() {
  std::vector<std::function<void()>> steps;
  try {
    ReadOptions(steps);
  } catch (...) {
    for (const auto& step : steps) step();
    throw;
  }
  for (const auto& step : steps) step();
  UpdateControls();
  if (AsksForHiddenStart(::GetCommandLineA())) CheckBox4->SetCheckedAndClick(true);
  ShowIfNewVersion();
}

void TSettings::SaveSettings() {
  rtl::TRegistry reg;
  OpenSettingsKey(reg);
  reg.WriteString("LanIP", Edit1->Text());
  reg.WriteInteger("TimeOut", SpinEdit1->Value());
  reg.WriteBool("NoLan", CheckBox5->Checked());
  reg.WriteInteger("Interval", SpinEdit2->Value());
  reg.WriteString("HTTPFile", Edit2->Text());
  reg.WriteString("BeforeIP", Edit3->Text());
  reg.WriteString("AfterIP", Edit4->Text());
  reg.WriteString("StaticIP", Edit7->Text());
  reg.WriteBool("FromFile", RadioButton1->Checked());
  reg.WriteBool("FromStatic", RadioButton2->Checked());
  reg.WriteBool("UpdateHosts", CheckBox1->Checked());
  reg.WriteBool("UpdateFile", CheckBox2->Checked());
  reg.WriteBool("AutoRun", CheckBox3->Checked());
  reg.WriteString("FileName", Edit5->Text());
  reg.WriteString("HostName", Edit6->Text());
  reg.CloseKey();
}

void TSettings::MaintainRunEntry() {
  try {
    rtl::TRegistry reg;
    if (!reg.OpenKey(kRunKey, true)) return;
    if (!CheckBox3->Checked()) {
      if (reg.ValueExists(kRunValue)) reg.DeleteValue(kRunValue);
      return;
    }
    const std::string self = LongPath(rtl::ExecutablePath());
    const AutostartPlan plan =
        PlanAutostart(ShortPath(rtl::ExtractFilePath(self)), rtl::ExtractFileName(self), ShortPath(rtl::WindowsFolder()));
    bool copied = false;
    if (plan.CopyNeeded) {
      copied = ::CopyFileA(plan.Source.c_str(), plan.Target.c_str(), FALSE) != FALSE;
      // The help travels with the program; without it the copy still starts.
      for (const char* help : {"chm", "hlp"}) {
        const std::string source = SwapLastThree(plan.Source, help);
        if (IsFile(source)) ::CopyFileA(source.c_str(), SwapLastThree(plan.Target, help).c_str(), FALSE);
      }
    }
    // Without rights in the Windows folder the copy fails; a Run value that
    // named the missing copy would never start anything.
    const std::string program = RunEntryProgram(plan, copied, IsFile(plan.Target), ShortPath(self));
    reg.WriteString(kRunValue, RunEntryText(program, CheckBox4->Checked()));
  } catch (const rtl::ERegistryException&) {
    // The log-on start is a convenience: a failure here ends it without a message.
  }
}

void TSettings::WriteLocation(const std::string& location) {
  rtl::TRegistry reg;
  OpenSettingsKey(reg);
  reg.WriteString("Location", location);
}
