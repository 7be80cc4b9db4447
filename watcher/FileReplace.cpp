#include "watcher/FileReplace.h"

#include <windows.h>

#include <cstdint>

#include "rtl/core/Exceptions.h"
#include "rtl/core/FileLayer.h"
#include "rtl/core/Paths.h"
#include "rtl/core/SysUtils.h"
#include "rtl/win32/SystemFiles.h"

namespace {

std::string Reason() { return rtl::FileErrorText(rtl::LastFileError()); }

void WriteAll(rtl::NativeFile file, const std::string& content) {
  const auto size = static_cast<std::int32_t>(content.size());
  if (size > 0 && rtl::FileWrite(file, content.data(), size) != size) throw rtl::EWriteError(Reason());
}

void WriteNewFile(const std::string& name, const std::string& content) {
  rtl::FileHandle file(rtl::FileOpen(name, rtl::FileAccess::Write));
  if (!file) throw rtl::EFOpenError(name + ": " + Reason());
  WriteAll(file.Get(), content);
  if (!::FlushFileBuffers(reinterpret_cast<HANDLE>(file.Get())))
    throw rtl::EWriteError(name + ": " + rtl::FileErrorText(static_cast<int>(::GetLastError())));
}

// Windows 2000 and later; earlier systems rename.
bool PlatformReplace(const std::string& path, const std::string& replacement, DWORD& error) {
  static const auto replace = rtl::BoundFunction<decltype(&::ReplaceFileA)>(::GetModuleHandleA("kernel32.dll"),
                                                                            "ReplaceFileA");
  if (!replace || !rtl::FileExists(path)) {
    if (rtl::FileRename(replacement, path)) return true;
    error = static_cast<DWORD>(rtl::LastFileError());
    return false;
  }
  if (replace(path.c_str(), replacement.c_str(), nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr))
    return true;
  error = ::GetLastError();
  return false;
}

void WriteInPlace(const std::string& path, const std::string& content) {
  rtl::FileHandle file(rtl::FileOpen(path, rtl::FileAccess::Write));
  if (!file) throw rtl::EFOpenError(path + ": " + Reason());
  const auto length = static_cast<std::int64_t>(content.size());
  // Room first: a full disk refuses here, while the file is still whole.
  const std::int64_t oldSize = rtl::FileSize(file.Get());
  if (oldSize < 0) throw rtl::EReadError(path + ": " + Reason());
  if (length > oldSize && (rtl::FileSeek(file.Get(), length, rtl::SeekOrigin::Beginning) != length ||
                           !rtl::FileTruncateHere(file.Get())))
    throw rtl::EWriteError(path + ": " + Reason());
  try {
    if (rtl::FileSeek(file.Get(), 0, rtl::SeekOrigin::Beginning) != 0) throw rtl::EWriteError(Reason());
    WriteAll(file.Get(), content);
    if (!rtl::FileTruncateHere(file.Get())) throw rtl::EWriteError(Reason());
    if (!::FlushFileBuffers(reinterpret_cast<HANDLE>(file.Get())))
      throw rtl::EWriteError(rtl::FileErrorText(static_cast<int>(::GetLastError())));
  } catch (const rtl::EWriteError& e) {
    throw rtl::EWriteError(path + " is left incomplete: " + e.what());
  }
}

}  // namespace

void ReplaceFileContent(const std::string& path, const std::string& content) {
  const std::string folder = rtl::ExtractFilePath(path);
  const std::string temporary = rtl::NewTempFileName(folder.empty() ? "." : folder, "orv");
  // Wine hands back a name even when it could not make the file.
  if (temporary.empty() || !rtl::FileExists(temporary)) {
    // The folder takes no new file (a user may be let write the file alone).
    WriteInPlace(path, content);
    return;
  }
  const DWORD attributes = ::GetFileAttributesA(path.c_str());
  try {
    WriteNewFile(temporary, content);
    DWORD error = 0;
    if (!PlatformReplace(path, temporary, error))
      throw rtl::EInOutError("Cannot replace " + path + ": " + rtl::FileErrorText(static_cast<int>(error)),
                             static_cast<int>(error));
  } catch (...) {
    rtl::FileDelete(temporary);
    throw;
  }
  // The rename, and Wine's replacement too, leave the new file's own
  // attributes (a hidden or system hosts file would lose them).
  if (attributes != INVALID_FILE_ATTRIBUTES && ::GetFileAttributesA(path.c_str()) != attributes &&
      !::SetFileAttributesA(path.c_str(), attributes)) {
    const int error = static_cast<int>(::GetLastError());
    throw rtl::EInOutError(path + " is written, but its attributes are lost: " + rtl::FileErrorText(error), error);
  }
}
