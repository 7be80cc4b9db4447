#include "setup/core/OwnContainer.h"

#include <algorithm>
#include <vector>

namespace {

std::uint32_t U32(const unsigned char* p) {
  return std::uint32_t{p[0]} | (std::uint32_t{p[1]} << 8) | (std::uint32_t{p[2]} << 16) | (std::uint32_t{p[3]} << 24);
}

std::uint16_t U16(const unsigned char* p) { return static_cast<std::uint16_t>(p[0] | (p[1] << 8)); }

}  // namespace

std::int64_t ProgramImageEnd(rtl::NativeFile File) {
  unsigned char dos[64];
  if (!rtl::FileReadExactAt(File, 0, dos, sizeof dos) || dos[0] != 'M' || dos[1] != 'Z') return -1;
  const std::int64_t pe = U32(dos + 0x3C);
  // Signature, file header, and the optional header's fields up to the
  // data directories of either width.
  unsigned char head[24 + 112 + 8 * 5];
  if (!rtl::FileReadExactAt(File, pe, head, 24) || head[0] != 'P' || head[1] != 'E' || head[2] != 0 || head[3] != 0)
    return -1;
  const std::uint16_t sections = U16(head + 6);
  const std::int64_t symbols = U32(head + 12);
  const std::int64_t symbolCount = U32(head + 16);
  const std::uint16_t optionalSize = U16(head + 20);
  const std::int64_t optionalAt = pe + 24;
  if (optionalSize < 64 ||
      !rtl::FileReadExactAt(File, optionalAt, head + 24, std::min<std::int32_t>(optionalSize, 112 + 8 * 5)))
    return -1;
  const unsigned char* optional = head + 24;
  const std::uint16_t magic = U16(optional);
  if (magic != 0x10B && magic != 0x20B) return -1;
  std::int64_t end = U32(optional + 60);  // SizeOfHeaders

  // The signature's directory (the fifth) holds a file offset, not an
  // address in memory.
  const int directories = magic == 0x10B ? 96 : 112;
  if (optionalSize >= directories + 8 * 5 && U32(optional + directories - 4) >= 5) {
    const unsigned char* certificate = optional + directories + 8 * 4;
    if (U32(certificate + 4) > 0)
      end = std::max<std::int64_t>(end, std::int64_t{U32(certificate)} + U32(certificate + 4));
  }

  std::vector<unsigned char> table(static_cast<size_t>(sections) * 40);
  if (sections > 0 &&
      !rtl::FileReadExactAt(File, optionalAt + optionalSize, table.data(), static_cast<std::int32_t>(table.size())))
    return -1;
  for (std::uint16_t i = 0; i < sections; ++i) {
    const unsigned char* section = table.data() + 40 * i;
    const std::int64_t rawSize = U32(section + 16);
    if (rawSize > 0) end = std::max<std::int64_t>(end, std::int64_t{U32(section + 20)} + rawSize);
  }

  // An unstripped program keeps its symbols and their names after the
  // sections: 18 bytes a symbol, then the names' table led by its size.
  if (symbols > 0) {
    const std::int64_t names = symbols + symbolCount * 18;
    unsigned char size[4];
    const bool named = rtl::FileReadExactAt(File, names, size, 4);
    end = std::max(end, named ? names + std::max<std::uint32_t>(U32(size), 4) : names);
  }
  return end;
}

OwnContainer LoadOwnContainer(TExtraResManager& Manager, const std::string& ProgramFile) {
  OwnContainer found;
  try {
    Manager.LoadFromFile(ProgramFile, true);
    found.State = ContainerState::Valid;
    found.Digest = Manager.LoadedInfo().Digest;
    return found;
  } catch (const EExtraResError&) {
    // Every way a load fails, a lie in an entry or a duplicate name among
    // them, means damage unless nothing at all follows the program.
  }
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
