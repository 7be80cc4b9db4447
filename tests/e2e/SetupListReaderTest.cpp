// The setup list's values against the platform's own INI reader: the
// builder's check must refuse exactly the values that the reader would hand
// back changed, since a scrambled value changed by one character unscrambles
// into garbage.

#include <windows.h>

#include <gtest/gtest.h>

#include <fstream>
#include <random>
#include <string>

#include "common/core/Scramble.h"
#include "rtl/core/Exceptions.h"
#include "rtl/core/Streams.h"
#include "rtl/win32/IniFiles.h"
#include "setup/SetupListFile.h"
#include "setup/core/SetupList.h"

namespace {

class ListFile {
public:
  ListFile() {
    char folder[MAX_PATH + 1] = {};
    ::GetTempPathA(MAX_PATH + 1, folder);
    FName = std::string(folder) + "orv_reader_" + std::to_string(::GetCurrentProcessId()) + ".lst";
  }
  ~ListFile() { ::DeleteFileA(FName.c_str()); }

  // What the reader returns for Key after the list Text was written.
  std::string Read(const std::string& text, const std::string& key) const {
    std::ofstream(FName, std::ios::binary | std::ios::trunc) << text;
    return rtl::TIniFile(FName).ReadString("Global", key, "<absent>");
  }

private:
  std::string FName;
};

}  // namespace

TEST(SetupListReader, EveryByteAtEitherEndIsRefusedExactlyWhenTheReaderChangesIt) {
  ListFile file;
  for (int code = 1; code < 256; ++code) {
    const std::string c(1, static_cast<char>(code));
    for (const std::string& value : {c + "ab", "ab" + c, c + "ab" + c, c}) {
      if (value.find_first_of("\r\n") != std::string::npos) continue;  // ends the line, refused anyway
      const bool unchanged = file.Read("[Global]\r\nValue=" + value + "\r\n", "Value") == value;
      EXPECT_EQ(unchanged, IniValueProblem(value).empty()) << "byte " << code << " in \"" << value << "\"";
    }
  }
}

TEST(SetupListReader, AcceptedTitlesAndFoldersComeBackWhole) {
  ListFile file;
  std::mt19937 rng(29);
  int accepted = 0;
  for (int i = 0; i < 1500; ++i) {
    std::string plain(1 + rng() % 24, '\0');
    for (auto& c : plain) c = static_cast<char>(32 + rng() % 224);
    SetupListOptions options;
    options.Title = plain;
    options.Path = plain;
    std::string text;
    try {
      text = BuildSetupList(options);
    } catch (const rtl::Exception&) {
      continue;
    }
    ++accepted;
    for (const char* key : {"Title", "Path"})
      ASSERT_EQ(plain, ScrambleText(file.Read(text, key), Unscramble, SetupScrambleKey)) << key << " " << i;
  }
  EXPECT_GT(accepted, 700);
}

TEST(SetupListReader, AtTheBuildersLimitTheInstallerReadsEveryFile) {
  SetupListOptions options;
  options.Title = "Many";
  options.AutoStart = "f1";
  for (int i = 0; i + 1 < kMaxListedFiles; ++i) options.Files.push_back("f" + std::to_string(i));
  options.Files.push_back("docs\\readme.force");
  const std::string text = BuildSetupList(options);
  rtl::TMemoryStream entry;
  entry.WriteBuffer(text.data(), static_cast<std::int32_t>(text.size()));

  char folder[MAX_PATH + 1] = {};
  ::GetTempPathA(MAX_PATH + 1, folder);
  SetupListValues list;
  SetupFault fault;
  ASSERT_TRUE(ReadSetupList(entry, folder, list, fault)) << fault.Text;
  EXPECT_EQ(options.Files, list.Files);
  EXPECT_EQ("f1", list.AutoStart);
  EXPECT_EQ("Many", ScrambleText(list.Title, Unscramble, SetupScrambleKey));
  EXPECT_FALSE(list.Path) << "no Path key";
  WIN32_FIND_DATAA found;
  const std::string copies = std::string(folder) + "Setup-" + std::to_string(::GetCurrentProcessId()) + "-*";
  HANDLE search = ::FindFirstFileA(copies.c_str(), &found);
  EXPECT_EQ(INVALID_HANDLE_VALUE, search) << "the copy that was read is deleted: " << found.cFileName;
  if (search != INVALID_HANDLE_VALUE) ::FindClose(search);
}
