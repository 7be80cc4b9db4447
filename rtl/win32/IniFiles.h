#pragma once
// INI files through the system's own reader, as the programs' settings
// lists are meant to be read.

#include <string>
#include <vector>

namespace rtl {

class TIniFile {
public:
  explicit TIniFile(std::string fileName) : FFileName(std::move(fileName)) {}
  const std::string& FileName() const { return FFileName; }

  // At most 2047 characters of the value; Default when the key is absent.
  std::string ReadString(const std::string& section, const std::string& key,
                         const std::string& defaultValue) const;
  // The key names of Section, read through a buffer of BufferSize bytes
  // (at least 3); the names that do not fit are left out.
  std::vector<std::string> ReadSection(const std::string& section, int bufferSize = 16384) const;

private:
  std::string FFileName;
};

}  // namespace rtl
