#include "setup/SetupListFile.h"

#include <windows.h>

#include <algorithm>

#include "common/Lang.h"
#include "rtl/core/Exceptions.h"
#include "rtl/core/FileLayer.h"
#include "rtl/core/Paths.h"
#include "rtl/core/SysUtils.h"
#include "rtl/win32/IniFiles.h"
#include "setup/core/InstallCopy.h"

namespace {

// The largest list the builder makes: the global values and ten thousand
// file names of the reader's longest value, with some room to spare.
constexpr std::int64_t kLargestList = std::int64_t{kMaxListedFiles + 16} * (kIniValueLimit + 16);

bool BytesOf(rtl::TStream& entry, std::string& bytes, SetupFault& fault) {
  const std::int64_t size = entry.Size();
  if (size > kLargestList) {
    fault = {SetupExitCode::Damaged, "The setup list is too large (" + std::to_string(size) + " bytes)"};
    return false;
  }
  bytes.assign(static_cast<size_t>(size), '\0');
  entry.SetPosition(0);
  if (size > 0 && entry.Read(&bytes[0], static_cast<std::int32_t>(size)) != size) {
    fault = {SetupExitCode::Damaged, rtl::kStreamReadError};
    return false;
  }
  return true;
}

// A file of this process's own in Folder, created new and holding Bytes;
// its name, or empty with Fault.
std::string WriteCopy(const std::string& folder, const std::string& bytes, SetupFault& fault) {
  int error = 0;
  for (unsigned attempt = 0; attempt < 100; ++attempt) {
    const std::string name =
        folder + rtl::Format("Setup-%lu-%u.~lst", static_cast<unsigned long>(::GetCurrentProcessId()), attempt);
    rtl::FileHandle file(rtl::FileCreateNew(name));
    if (!file.Valid()) {
      error = rtl::LastFileError();
      if (rtl::FileExists(name) || rtl::DirectoryExists(name)) continue;
      fault = {SetupExitCode::CannotWrite, rtl::FileCreateErrorText(name, error)};
      return std::string();
    }
    for (size_t written = 0; written < bytes.size();) {
      const std::int32_t n = rtl::FileWrite(file.Get(), bytes.data() + written,
                                            static_cast<std::int32_t>(std::min<size_t>(bytes.size() - written, 1 << 20)));
      if (n <= 0) {
        error = n < 0 ? rtl::LastFileError() : rtl::DiskFullError();
        file.Reset();
        rtl::FileDelete(name);
        fault = {SetupExitCode::CannotWrite, rtl::FileCreateErrorText(name, error)};
        return std::string();
      }
      written += static_cast<size_t>(n);
    }
    return name;
  }
  fault = {SetupExitCode::CannotWrite, rtl::FileCreateErrorText(folder + "Setup-*.~lst", error)};
  return std::string();
}

// Deletes the copy however the reading ends.
class CopyRemover {
public:
  explicit CopyRemover(std::string name) : FName(std::move(name)) {}
  ~CopyRemover() { rtl::FileDelete(FName); }
  CopyRemover(const CopyRemover&) = delete;
  CopyRemover& operator=(const CopyRemover&) = delete;

private:
  std::string FName;
};

}  // namespace

bool ReadSetupList(rtl::TStream& Entry, const std::string& Folder, SetupListValues& List, SetupFault& Fault) {
  std::string bytes;
  if (!BytesOf(Entry, bytes, Fault)) return false;
  const std::string name = WriteCopy(Folder, bytes, Fault);
  if (name.empty()) return false;
  CopyRemover remover(name);
  // The writing handle is closed, since the reader may refuse to share the
  // file with a writer. From the moment this handle is open until the
  // reading ends, no other program can write, rename or delete the copy;
  // what it may have done before is found by comparing.
  rtl::FileHandle guard(rtl::FileOpenReadLocked(name));
  if (!guard.Valid() || !FileHoldsStream(guard.Get(), Entry)) {
    Fault = {SetupExitCode::Damaged,
             ChooseText("The setup list was changed by another program while it was read.",
                        "Die Setup-Liste wurde beim Lesen von einem anderen Programm geändert.")};
    return false;
  }

  const rtl::TIniFile ini(name);
  SetupListValues list;
  for (const auto& key : ini.ReadSection(kSetupSection, kIniKeyListBuffer))
    if (rtl::SameText(key, "Path")) list.Path = ini.ReadString(kSetupSection, "Path", "");
  list.Title = ini.ReadString(kSetupSection, "Title", "");
  list.Compressed = ini.ReadString(kSetupSection, "Compressed", "False");
  list.Info = ini.ReadString(kSetupSection, "Info", "");
  for (const auto& key : ini.ReadSection(kFilesSection, kIniKeyListBuffer))
    list.Files.push_back(ini.ReadString(kFilesSection, key, ""));
  list.AutoStart = ini.ReadString(kSetupSection, "AutoStart", "");
  list.Locked = ini.ReadString(kSetupSection, "Locked", "False");
  List = std::move(list);
  return true;
}
