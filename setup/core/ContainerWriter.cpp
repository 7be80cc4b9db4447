#include "setup/core/ContainerWriter.h"

#include <algorithm>
#include <limits>
#include <memory>

#include "setup/core/ContainerLayout.h"
#include "setup/core/Sha1.h"
#include "setup/core/StringFormat.h"

namespace {

void PutInt32(std::string& out, std::int32_t value) {
  const auto v = static_cast<std::uint32_t>(value);
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
}

// Writes Bytes and feeds them to the hash.
void Emit(rtl::TStream& out, THash_SHA1& hash, const void* bytes, std::size_t length) {
  hash.Calc(bytes, length);
  out.WriteBuffer(bytes, static_cast<std::int32_t>(length));
}

std::int64_t FileSizeOf(const std::string& name) {
  rtl::TFileStream file(name, rtl::FileStreamMode::OpenRead);
  return file.Size();
}

}  // namespace

std::int64_t WriteContainer(rtl::TStream& Out, const std::vector<ContainerEntry>& Entries) {
  if (Entries.size() > static_cast<std::size_t>(kExtraResMaxEntries)) throw rtl::Exception("A container holds at most 65535 entries");
  std::int64_t total = kExtraResMinimumSize;
  std::vector<std::int64_t> sizes;
  for (const auto& e : Entries) {
    if (e.Name.size() > static_cast<std::size_t>(kExtraResMaxNameLength))
      throw rtl::Exception("Resource name longer than 255 characters: " + e.Name.substr(0, 40) + "...");
    sizes.push_back(e.Source ? e.Source->Size() : e.FileName.empty() ? 0 : FileSizeOf(e.FileName));
    total += kExtraResEntryHeadSize + static_cast<std::int64_t>(e.Name.size()) + sizes.back();
  }
  if (total > std::numeric_limits<std::int32_t>::max())
    throw rtl::Exception("The files do not fit into one container (2 GiB at most)");

  const std::int64_t start = Out.Position();
  const std::string placeholder(kExtraResDigestSize, '0');
  Out.WriteBuffer(placeholder.data(), kExtraResDigestSize);

  THash_SHA1 hash;
  hash.Init();
  const unsigned char count[kExtraResCountSize] = {static_cast<unsigned char>(Entries.size() & 0xFF),
                                                  static_cast<unsigned char>(Entries.size() >> 8)};
  Emit(Out, hash, count, kExtraResCountSize);

  std::string buffer;
  for (size_t i = 0; i < Entries.size(); ++i) {
    const ContainerEntry& e = Entries[i];
    const std::int64_t size = sizes[i];
    std::string head;
    PutInt32(head, static_cast<std::int32_t>(size));
    PutInt32(head, e.ID);
    head.push_back(static_cast<char>(e.Name.size()));
    head += e.Name;
    Emit(Out, hash, head.data(), head.size());
    std::unique_ptr<rtl::TFileStream> file;
    rtl::TStream* source = e.Source;
    if (!source && !e.FileName.empty()) {
      file = std::make_unique<rtl::TFileStream>(e.FileName, rtl::FileStreamMode::OpenRead);
      if (file->Size() != size) throw rtl::Exception("The file changed while the installer was made: " + e.FileName);
      source = file.get();
    }
    if (!source) continue;
    source->SetPosition(0);
    buffer.resize(1 << 20);
    std::int64_t left = size;
    while (left > 0) {
      const auto n = static_cast<std::int32_t>(std::min<std::int64_t>(left, static_cast<std::int64_t>(buffer.size())));
      source->ReadBuffer(&buffer[0], n);
      Emit(Out, hash, buffer.data(), static_cast<std::size_t>(n));
      left -= n;
    }
  }
  hash.Done();
  const std::string digest = BytesToText(hash.DigestKey(), hash.DigestKeySize(), kFormatHex);
  const std::int64_t n = Out.Position() - start + kExtraResTrailerSize;
  std::string trailer = digest;
  PutInt32(trailer, static_cast<std::int32_t>(n));
  Out.WriteBuffer(trailer.data(), static_cast<std::int32_t>(trailer.size()));
  const std::int64_t end = Out.Position();
  Out.SetPosition(start);
  Out.WriteBuffer(digest.data(), kExtraResDigestSize);
  Out.SetPosition(end);
  return n;
}
