#include "setup/core/InstallCopy.h"

#include <algorithm>
#include <vector>

#include "rtl/core/Exceptions.h"
#include "rtl/core/FileLayer.h"
#include "rtl/core/Paths.h"
#include "rtl/core/SysUtils.h"

namespace {

const char kScratchDigits[] = "0123456789abcdefghijklmnopqrstuvwxyz";

// Creates a scratch file in Folder that did not exist before, so that an
// unrelated file of that name is never overwritten or deleted. Error is the
// platform's reason when none could be made.
rtl::NativeFile CreateScratch(const std::string& Folder, const std::string& Name, std::string& scratch, int& error) {
  for (unsigned attempt = 0; attempt < ScratchAttempts; ++attempt) {
    const std::string candidate = ScratchName(Name, attempt);
    if (rtl::SameText(candidate, Name)) continue;
    scratch = Folder + candidate;
    const rtl::NativeFile file = rtl::FileCreateNew(scratch);
    if (file != rtl::InvalidFile) return file;
    error = rtl::LastFileError();
    // Taken by another file or a folder: try the next name. Anything else
    // (no such folder, no access) fails every name alike.
    if (!rtl::FileExists(scratch) && !rtl::DirectoryExists(scratch)) break;
  }
  scratch.clear();
  return rtl::InvalidFile;
}

}  // namespace

std::string ScratchName(const std::string& Name, unsigned Attempt) {
  // "~" and the attempt in base 36, as wide as the name allows up to eight
  // characters. Every scratch name starts with "~", so that a sweep can
  // tell them from the files of a folder.
  const size_t width = std::min<size_t>(std::max<size_t>(Name.size(), 2), 8);
  std::string digits(width - 1, '0');
  for (size_t i = digits.size(); i-- > 0 && Attempt > 0; Attempt /= 36) digits[i] = kScratchDigits[Attempt % 36];
  return "~" + digits;
}

void SweepScratchFiles(const std::string& Folder) {
  // Every name ScratchName makes: one per width and attempt.
  for (size_t width = 2; width <= 8; ++width)
    for (unsigned attempt = 0; attempt < ScratchAttempts; ++attempt) {
      const std::string name = Folder + ScratchName(std::string(width, 'x'), attempt);
      // A file that cannot be deleted is in use by an install running at
      // this moment; it is that install's to remove, and no fault of this
      // one.
      if (rtl::FileExists(name)) rtl::FileDelete(name);
    }
}

bool FileHoldsStream(rtl::NativeFile File, rtl::TStream& Source) {
  const std::int64_t size = Source.Size();
  if (rtl::FileSize(File) != size) return false;
  std::vector<unsigned char> mine(1 << 16), theirs(1 << 16);
  Source.SetPosition(0);
  for (std::int64_t at = 0; at < size;) {
    const auto want = static_cast<std::int32_t>(std::min<std::int64_t>(size - at, static_cast<std::int64_t>(mine.size())));
    const std::int32_t got = Source.Read(mine.data(), want);
    if (got <= 0 || !rtl::FileReadExactAt(File, at, theirs.data(), got)) return false;
    if (!std::equal(mine.begin(), mine.begin() + got, theirs.begin())) return false;
    at += got;
  }
  return true;
}

CopyOutcome InstallResourceFile(rtl::TStream& Source, const std::string& Folder, const std::string& Name) {
  const std::string target = Folder + Name;
  std::string scratch;
  int createError = 0;
  rtl::FileHandle out(CreateScratch(Folder, Name, scratch, createError));
  if (!out.Valid()) return {CopyOutcome::Fault::Write, rtl::FileCreateErrorText(target, createError)};

  int error = 0;
  bool readFailed = false;
  {
    // 1 MiB at a time: memory stays flat whatever the size of the file.
    std::vector<unsigned char> block(1 << 20);
    Source.SetPosition(0);
    std::int64_t left = Source.Size();
    while (left > 0 && error == 0 && !readFailed) {
      const auto want = static_cast<std::int32_t>(std::min<std::int64_t>(left, static_cast<std::int64_t>(block.size())));
      const std::int32_t got = Source.Read(block.data(), want);
      if (got <= 0) {
        readFailed = true;
        break;
      }
      std::int32_t written = 0;
      while (written < got) {
        const std::int32_t n = rtl::FileWrite(out.Get(), block.data() + written, got - written);
        if (n <= 0) {
          // A write that moves nothing without an error code is a full disk.
          error = n < 0 ? rtl::LastFileError() : rtl::DiskFullError();
          break;
        }
        written += n;
      }
      left -= got;
    }
    out.Reset();
  }
  if (readFailed) {
    rtl::FileDelete(scratch);
    return {CopyOutcome::Fault::Read, rtl::kStreamReadError};
  }
  if (error == 0 && !rtl::FileRename(scratch, target)) error = rtl::LastFileError();
  if (error != 0) {
    rtl::FileDelete(scratch);
    return {CopyOutcome::Fault::Write, rtl::FileCreateErrorText(target, error)};
  }
  return {};
}


std::string InOutErrorText(int Code) {
  switch (Code) {
    case 2: return "Datei nicht gefunden";
    case 3: return "Ungültiger Dateiname";
    case 4: return "Zu viele geöffnete Dateien";
    case 5: return "Dateizugriff verweigert";
    case 100: return "Lesen über Dateiende";
    case 101: return "Zu wenig Speicherplatz";
    case 106: return "Ungültige numerische Eingabe";
    default: return rtl::Format("E/A-Fehler %d", Code);
  }
}
