// Fuzzes the container reader. The first byte picks the mode: the input as a
// whole file (the check, and the installer's reading of a program's
// headers, must hold against anything), or the input as the
// entries of a container whose digests and size are made right, so that
// the loader's entry parsing is reached.

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "rtl/core/Streams.h"
#include "setup/core/ExtraResManager.h"
#include "setup/core/OwnContainer.h"
#include "setup/core/Sha1.h"
#include "setup/core/StringFormat.h"

namespace {

std::string ScratchFile() {
  static const std::string name = [] {
    const char* dir = std::getenv("TMPDIR");
    return std::string(dir ? dir : "/tmp") + "/container-fuzz-" + std::to_string(::getpid());
  }();
  return name;
}

void WriteFile(const std::string& name, const std::string& bytes) {
  FILE* f = std::fopen(name.c_str(), "wb");
  if (!f) std::abort();
  if (!bytes.empty()) std::fwrite(bytes.data(), 1, bytes.size(), f);
  std::fclose(f);
}

std::string Wrap(const std::string& body) {
  THash_SHA1 hash;
  hash.Calc(body.data(), body.size());
  hash.Done();
  const std::string digest = BytesToText(hash.DigestKey(), 20, kFormatHex);
  const auto n = static_cast<std::uint32_t>(body.size() + 84);
  std::string out = "image" + digest + body + digest;
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<char>((n >> (8 * i)) & 0xFF));
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const std::string input(reinterpret_cast<const char*>(data) + 1, size - 1);
  const bool wrap = data[0] & 1;
  const bool readOnly = data[0] & 2;
  const std::string file = ScratchFile();
  WriteFile(file, wrap ? Wrap(input) : input);

  // As the installer's own file: a program's headers are read from it too,
  // to tell a damaged container from none.
  {
    TExtraResManager own(nullptr);
    LoadOwnContainer(own, file);
  }

  TExtraResInfo info;
  const bool valid = TExtraResManager::HasExtraResources(file, &info);
  // A correctly wrapped body of at least the entry count always checks out.
  if (wrap && input.size() >= 2 && !valid) std::abort();
  if (!valid) return 0;
  TExtraResManager manager(nullptr);
  manager.TempOptions().SetUseTempFiles(false);
  try {
    manager.LoadFromFile(file, readOnly);
  } catch (const EExtraResError&) {
    return 0;
  }
  // Every stream must read exactly its size, within the container.
  std::string buffer;
  for (int i = 0; i < manager.Resources().Count(); ++i) {
    rtl::TStream& s = manager.Resources().Items(i).Stream();
    const std::int64_t length = s.Size();
    if (length < 0 || length > static_cast<std::int64_t>(size)) std::abort();
    buffer.resize(static_cast<size_t>(length) + 1);
    s.SetPosition(0);
    if (s.Read(&buffer[0], static_cast<std::int32_t>(length) + 1) != length) std::abort();
  }
  return 0;
}
