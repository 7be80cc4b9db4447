#include "setup/core/OwnContainer.h"

#include <algorithm>
#include <vector>

namespace {

std::uint32_t U32(const unsigned char* p) {
  return std::uint32_t{p[0]} | (std::uint32_t{p[1]} << 8) | (std::uint32_t{p[2]} << 16) | (std::uint32_t{p[3]} << 24);
}

std::uint16_t U16(const unsigned char* p) { return static_cast<std::uint16_t>(p[0] | (p[1] << 8)); }

// The parts of a program's file that tell where its image ends.
constexpr std::int32_t kDosHeaderSize = 64;
constexpr std::int32_t kDosNewHeaderAt = 0x3C;  // offset of the "PE" signature
// "PE\0\0" and the file header that follows it.
constexpr std::int32_t kPeHeadSize = 24;
constexpr std::int32_t kSectionCountAt = 6;
constexpr std::int32_t kSymbolTableAt = 12;
constexpr std::int32_t kSymbolCountAt = 16;
constexpr std::int32_t kOptionalSizeAt = 20;
// The optional header: its magic tells the 32-bit form from the 64-bit one,
// which have their data directories at different offsets.
constexpr std::uint16_t kMagic32 = 0x10B;
constexpr std::uint16_t kMagic64 = 0x20B;
constexpr std::int32_t kOptionalMinimumSize = 64;
constexpr std::int32_t kSizeOfHeadersAt = 60;
constexpr std::int32_t kDirectoriesAt32 = 96;
constexpr std::int32_t kDirectoriesAt64 = 112;
constexpr std::int32_t kDirectorySize = 8;  // offset and size
// The signature's directory, the fifth: it holds a file offset, not an
// address in memory.
constexpr std::int32_t kCertificateDirectory = 4;
constexpr std::int32_t kDirectoriesRead = kCertificateDirectory + 1;
constexpr std::int32_t kSectionHeaderSize = 40;
constexpr std::int32_t kSectionRawSizeAt = 16;
constexpr std::int32_t kSectionRawDataAt = 20;
constexpr std::int32_t kSymbolSize = 18;
constexpr std::int32_t kNameTableSizeField = 4;

}  // namespace

std::int64_t ProgramImageEnd(rtl::NativeFile File) {
  unsigned char dos[kDosHeaderSize];
  if (!rtl::FileReadExactAt(File, 0, dos, sizeof dos) || dos[0] != 'M' || dos[1] != 'Z') return -1;
  const std::int64_t pe = U32(dos + kDosNewHeaderAt);
  // Signature, file header, and the optional header's fields up to the
  // data directories of either width.
  unsigned char head[kPeHeadSize + kDirectoriesAt64 + kDirectorySize * kDirectoriesRead];
  if (!rtl::FileReadExactAt(File, pe, head, kPeHeadSize) || head[0] != 'P' || head[1] != 'E' || head[2] != 0 || head[3] != 0)
    return -1;
  const std::uint16_t sections = U16(head + kSectionCountAt);
  const std::int64_t symbols = U32(head + kSymbolTableAt);
  const std::int64_t symbolCount = U32(head + kSymbolCountAt);
  const std::uint16_t optionalSize = U16(head + kOptionalSizeAt);
  const std::int64_t optionalAt = pe + kPeHeadSize;
  if (optionalSize < kOptionalMinimumSize ||
      !rtl::FileReadExactAt(File, optionalAt, head + kPeHeadSize,
                            std::min<std::int32_t>(optionalSize, kDirectoriesAt64 + kDirectorySize * kDirectoriesRead)))
    return -1;
  const unsigned char* optional = head + kPeHeadSize;
  const std::uint16_t magic = U16(optional);
  if (magic != kMagic32 && magic != kMagic64) return -1;
  std::int64_t end = U32(optional + kSizeOfHeadersAt);

  // The directories' count stands just before them.
  const int directories = magic == kMagic32 ? kDirectoriesAt32 : kDirectoriesAt64;
  if (optionalSize >= directories + kDirectorySize * kDirectoriesRead &&
      U32(optional + directories - 4) >= static_cast<std::uint32_t>(kDirectoriesRead)) {
    const unsigned char* certificate = optional + directories + kDirectorySize * kCertificateDirectory;
    if (U32(certificate + 4) > 0)
      end = std::max<std::int64_t>(end, std::int64_t{U32(certificate)} + U32(certificate + 4));
  }

  std::vector<unsigned char> table(static_cast<size_t>(sections) * kSectionHeaderSize);
  if (sections > 0 &&
      !rtl::FileReadExactAt(File, optionalAt + optionalSize, table.data(), static_cast<std::int32_t>(table.size())))
    return -1;
  for (std::uint16_t i = 0; i < sections; ++i) {
    const unsigned char* section = table.data() + kSectionHeaderSize * i;
    const std::int64_t rawSize = U32(section + kSectionRawSizeAt);
    if (rawSize > 0) end = std::max<std::int64_t>(end, std::int64_t{U32(section + kSectionRawDataAt)} + rawSize);
  }

  // An unstripped program keeps its symbols and their names after the
  // sections: 18 bytes a symbol, then the names' table led by its size.
  if (symbols > 0) {
    const std::int64_t names = symbols + symbolCount * kSymbolSize;
    unsigned char size[kNameTableSizeField];
    const bool named = rtl::FileReadExactAt(File, names, size, kNameTableSizeField);
    end = std::max(end, named ? names + std::max<std::uint32_t>(U32(size), kNameTableSizeField) : names);
  }
  return end;
}

OwnContainer LoadOwnContainer(TExtraResManager& Manager, const std::string& ProgramFile) {
  OwnContainer found;
  std::string error;
  if (Manager.Load(ProgramFile, true, error)) {
    found.State = ContainerState::Valid;
    found.Digest = Manager.LoadedInfo().Digest;
    return found;
  }
  // Every way a load fails, a lie in an entry or a duplicate name among
  // them, means damage unless nothing at all follows the program.
  found.State = ContainerState::Damaged;
  rtl::FileHandle file(rtl::FileOpen(ProgramFile, rtl::FileAccess::Read));
  if (!file.Valid()) {
    found.Unreadable = rtl::FileErrorText(rtl::LastFileError());
    return found;
  }
  const std::int64_t imageEnd = ProgramImageEnd(file.Get());
  if (imageEnd >= 0 && imageEnd == rtl::FileSize(file.Get())) found.State = ContainerState::Absent;
  return found;
}
