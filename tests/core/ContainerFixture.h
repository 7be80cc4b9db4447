#pragma once
// Builds containers for the tests: the regular way through WriteContainer,
// or raw, from entry bytes of the test's own making with a correct digest.

#include <cstdint>
#include <string>
#include <vector>

#include "rtl/core/Streams.h"
#include "setup/core/ContainerWriter.h"
#include "setup/core/Sha1.h"
#include "setup/core/StringFormat.h"
#include "tests/core/TempFile.h"

struct TestEntry {
  std::int32_t id;
  std::string name;
  std::string data;
};

inline std::string Int32Bytes(std::int32_t value) {
  std::string out;
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<char>((static_cast<std::uint32_t>(value) >> (8 * i)) & 0xFF));
  return out;
}

inline std::string ContainerOf(const std::vector<TestEntry>& entries) {
  std::vector<rtl::TMemoryStream> sources(entries.size());
  std::vector<ContainerEntry> list;
  for (size_t i = 0; i < entries.size(); ++i) {
    sources[i].WriteBuffer(entries[i].data.data(), static_cast<std::int32_t>(entries[i].data.size()));
    list.push_back({entries[i].id, entries[i].name, &sources[i]});
  }
  rtl::TMemoryStream out;
  WriteContainer(out, list);
  return out.ToString();
}

inline std::string Sha1Hex(const std::string& bytes) {
  THash_SHA1 hash;
  hash.Calc(bytes.data(), bytes.size());
  hash.Done();
  return BytesToText(hash.DigestKey(), 20, 16);
}

// Body: entry count and entries, as bytes. The digests and N are made right.
inline std::string RawContainer(const std::string& body) {
  const std::string digest = Sha1Hex(body);
  return digest + body + digest + Int32Bytes(static_cast<std::int32_t>(body.size() + 84));
}

inline std::string EntryBytes(std::int32_t size, std::int32_t id, const std::string& name,
                              const std::string& data) {
  return Int32Bytes(size) + Int32Bytes(id) + static_cast<char>(name.size()) + name + data;
}

// Writes Bytes to a fresh temporary file that lives as long as the object.
class BytesFile : public TempFile {
public:
  explicit BytesFile(const std::string& bytes) : TempFile("container") {
    rtl::TFileStream out(Name(), rtl::FileStreamMode::Create);
    if (!bytes.empty()) out.WriteBuffer(bytes.data(), static_cast<std::int32_t>(bytes.size()));
  }
};
