#include "setup/core/InstallCopy.h"

#include <algorithm>
#include <vector>

#include "rtl/core/Exceptions.h"
#include "rtl/core/FileLayer.h"
#include "rtl/core/SysUtils.h"

namespace {

[[noreturn]] void CannotCreate(const std::string& fileName, int error) {
  throw rtl::EFCreateError(rtl::Format("Datei \"%s\" kann nicht erstellt werden. %s", fileName.c_str(),
                                       rtl::FileErrorText(error).c_str()));
}

}  // namespace

void InstallResourceFile(rtl::TStream& Source, const std::string& Folder, const std::string& Name) {
  const std::string target = Folder + Name;
  const std::string scratch = rtl::NewTempFileName(Folder, "$IN");
  if (scratch.empty()) CannotCreate(target, rtl::LastFileError());

  int error = 0;
  bool readFailed = false;
  {
    rtl::FileHandle out(rtl::FileOpen(scratch, rtl::FileAccess::Write));
    if (!out.Valid()) {
      error = rtl::LastFileError();
    } else {
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
    }
  }
  if (readFailed) {
    rtl::FileDelete(scratch);
    throw rtl::EReadError("Stream-Lesefehler");
  }
  if (error == 0 && !rtl::FileRename(scratch, target)) error = rtl::LastFileError();
  if (error != 0) {
    rtl::FileDelete(scratch);
    CannotCreate(target, error);
  }
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
