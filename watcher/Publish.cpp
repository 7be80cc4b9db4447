// The settings window's publishing of a changed address: the host line in
// the Windows hosts file, then the text file with the address alone.

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

void WriteWholeFile(rtl::TStream& file, const std::string& content) {
  if (!content.empty()) file.WriteBuffer(content.data(), static_cast<std::int32_t>(content.size()));
}

// Writes a new file beside Path and then puts it in Path's place, so that
// Path is either the old file or the new one, never half of either.
void ReplaceFile(const std::string& path, const std::string& content) {
  const std::string temporary = rtl::NewTempFileName(rtl::ExtractFilePath(path), "orv");
  if (temporary.empty())
    throw rtl::EFCreateError("Cannot create a file beside " + path + ": " +
                             rtl::FileErrorText(rtl::LastFileError()));
  try {
    {
      rtl::TFileStream file(temporary, rtl::FileStreamMode::Create);
      WriteWholeFile(file, content);
      ::FlushFileBuffers(reinterpret_cast<HANDLE>(file.Handle()));
    }
    if (!rtl::FileRename(temporary, path)) {
      const int error = rtl::LastFileError();
      throw rtl::EInOutError("Cannot replace " + path + ": " + rtl::FileErrorText(error), error);
    }
  } catch (...) {
    rtl::FileDelete(temporary);
    throw;
  }
}

}  // namespace

void TSettings::UpdateIP() {
  // The hosts step comes first; its error leaves the text file unwritten.
  if (CheckBox1->Enabled() && CheckBox1->Checked()) UpdateHostsFile();
  if (CheckBox2->Checked()) {
    rtl::TFileStream file(Edit5->Text(), rtl::FileStreamMode::Create);
    WriteWholeFile(file, CurrentIP);
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
  ReplaceFile(path, RewriteHosts(ReadWholeFile(path), hostName, line));
}

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
