#include "watcher/Publisher.h"

#include <windows.h>

#include "common/Lang.h"
#include "rtl/core/Exceptions.h"
#include "rtl/core/FileLayer.h"
#include "rtl/core/Paths.h"
#include "rtl/core/Streams.h"
#include "rtl/win32/SystemFiles.h"
#include "watcher/core/HostsFile.h"
#include "watcher/FileReplace.h"
#include "watcher/core/RunEntry.h"

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

void UpdateIP(const TAddress& address, const TPublishSettings& settings, const std::function<void()>& failed) {
  if (settings.UpdateHosts) {
    try {
      UpdateHostsFile(address, settings.HostName);
    } catch (...) {
      failed();
    }
  }
  if (settings.UpdateFile) {
    try {
      ReplaceFileContent(settings.FileName, address.Text);
    } catch (...) {
      failed();
    }
  }
}

void UpdateHostsFile(const TAddress& address, const std::string& hostName) {
  // An empty name or one that would break the line: OK has said why.
  if (!IsAcceptableHostName(hostName)) return;
  // Only a dotted address goes into the hosts file, never a name that an
  // error outcome took over from the intranet field.
  if (address.Dotted.empty()) return;
  const std::string path = JoinFolder(rtl::WindowsFolder(), "System32\\drivers\\etc\\hosts");
  if (!rtl::FileExists(path)) return;
  const std::string line =
      HostLine(address.Dotted, hostName, ChooseText("Modified by Orvandel", "Verändert von Orvandel"));
  ReplaceFileContent(path, RewriteHosts(ReadWholeFile(path), hostName, line));
}
