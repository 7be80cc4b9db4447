// The settings window's publishing of a changed address: the host line in
// the Windows hosts file, and the text file with the address alone.

#include <windows.h>

#include "common/Lang.h"
#include "rtl/core/Exceptions.h"
#include "rtl/core/FileLayer.h"
#include "rtl/core/Paths.h"
#include "rtl/core/Streams.h"
#include "rtl/win32/Dialogs.h"
#include "rtl/win32/SystemFiles.h"
#include "watcher/core/HostsFile.h"
#include "watcher/core/IpAddress.h"
#include "watcher/FileReplace.h"
#include "watcher/core/RunEntry.h"
#include "watcher/frmSettings.h"

namespace {

// Far more than any hosts file; a larger one is not read into memory.
constexpr std::int64_t kHostsLimit = 16 * 1024 * 1024;

std::string ReadWholeFile(const std::string& path) {
  rtl::TFileStream file(path, rtl::FileStreamMode::OpenRead);
  const std::int64_t size = file.Size();
  if (size < 0 || size > kHostsLimit)
    throw rtl::EReadError(path + ": the file is larger than " + std::to_string(kHostsLimit) + " bytes");
  std::string content(static_cast<std::size_t>(size), '\0');
  if (size > 0) file.ReadBuffer(&content[0], static_cast<std::int32_t>(size));
  return content;
}

}  // namespace

void TSettings::UpdateIP() {
  // The steps stand apart: a hosts file closed to the user must not keep
  // the address from the text file. Each error is shown once, later.
  if (CheckBox1->Enabled() && CheckBox1->Checked()) {
    try {
      UpdateHostsFile();
    } catch (...) {
      Errors.ReportException();
    }
  }
  if (CheckBox2->Checked()) {
    try {
      UpdateTextFile();
    } catch (...) {
      Errors.ReportException();
    }
  }
}

void TSettings::UpdateHostsFile() {
  const std::string hostName = Edit6->Text();
  // An empty name or one that would break the line: OK has said why.
  if (!IsAcceptableHostName(hostName)) return;
  // Only a dotted address goes into the hosts file, never a name that an
  // error outcome took over from the intranet field.
  std::string address;
  if (!CanonicalAddress(CurrentIP, address)) return;
  const std::string path = JoinFolder(rtl::WindowsFolder(), "System32\\drivers\\etc\\hosts");
  if (!rtl::FileExists(path)) return;
  const std::string line =
      HostLine(address, hostName, ChooseText("Modified by Orvandel", "Verändert von Orvandel"));
  ReplaceFileContent(path, RewriteHosts(ReadWholeFile(path), hostName, line));
}

void TSettings::UpdateTextFile() { ReplaceFileContent(Edit5->Text(), CurrentIP); }

void TSettings::WarnAboutHostName() {
  if (!CheckBox1->Enabled() || !CheckBox1->Checked()) return;
  const std::string hostName = Edit6->Text();
  if (hostName.empty() || IsAcceptableHostName(hostName)) return;
  rtl::MessageDlg(ChooseText("The host name must not contain blanks, \"#\", tabs or line breaks. "
                             "The hosts file is not updated until it is corrected.",
                             "Der Hostname darf keine Leerzeichen, \"#\", Tabulatoren oder Zeilenumbrüche "
                             "enthalten. Die hosts-Datei wird erst nach der Korrektur aktualisiert."),
                  rtl::TMsgDlgType::Warning, rtl::mbOK);
}
