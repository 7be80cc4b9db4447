#include "setup/core/SetupList.h"

#include <gtest/gtest.h>

#include <random>

#include "common/core/Scramble.h"
#include "rtl/core/Exceptions.h"

namespace {

SetupFolders Folders() {
  SetupFolders f;
  f.Windows = "C:\\windows\\";
  f.System = "C:\\windows\\system32\\";
  f.Programs = "C:\\Program Files\\";
  f.Temp = "C:\\users\\me\\Temp\\";
  return f;
}

}  // namespace

TEST(SetupList, FoldersAreTrimmedWithOneTrailingBackslash) {
  EXPECT_EQ("\\", NormalizeFolder(""));
  EXPECT_EQ("\\", NormalizeFolder("   "));
  EXPECT_EQ("C:\\x\\", NormalizeFolder(" C:\\x "));
  EXPECT_EQ("C:\\x\\", NormalizeFolder("C:\\x\\"));
}

TEST(SetupList, PlaceholdersOnlyAtTheStartInAnyCase) {
  const SetupFolders f = Folders();
  const struct {
    const char* path;
    const char* resolved;
  } cases[] = {
      {"%PROGRAMS%Tool", "C:\\Program Files\\Tool"},
      {"%programs%Tool", "C:\\Program Files\\Tool"},
      {"%Windows%", "C:\\windows\\"},
      {"%SYSTEM%\\drivers", "C:\\windows\\system32\\\\drivers"},
      {"%TEMP%x", "C:\\users\\me\\Temp\\x"},
      {"D:\\%TEMP%x", "D:\\%TEMP%x"},
      {" %TEMP%x", " %TEMP%x"},
      {"%TEMP", "%TEMP"},
      {"", ""},
      {"D:\\Apps", "D:\\Apps"},
  };
  for (const auto& c : cases) EXPECT_EQ(c.resolved, ResolvePathPlaceholders(c.path, f)) << c.path;

  // Each placeholder is tested on the result of the one before.
  SetupFolders chained = f;
  chained.Windows = "%TEMP%";
  EXPECT_EQ("C:\\users\\me\\Temp\\x", ResolvePathPlaceholders("%WINDOWS%x", chained));
}

TEST(SetupList, ReadmeMarker) {
  EXPECT_TRUE(MarksReadme("readme.force"));
  EXPECT_TRUE(MarksReadme("C:\\docs\\README.FORCE"));
  EXPECT_FALSE(MarksReadme("eadme.force"));
  EXPECT_FALSE(MarksReadme("readme.forced"));
  EXPECT_FALSE(MarksReadme(""));
}

TEST(SetupList, FolderBuildSteps) {
  EXPECT_EQ((std::vector<std::string>{"D:\\A", "D:\\A\\B"}), FolderBuildSteps("D:\\A\\B\\"));
  EXPECT_EQ((std::vector<std::string>{"D:\\A", "D:\\A\\B"}), FolderBuildSteps("D:\\\\A\\B"));
  EXPECT_EQ((std::vector<std::string>{"server\\share"}), FolderBuildSteps("\\\\server\\share\\"));
  EXPECT_TRUE(FolderBuildSteps("D:\\").empty());
  EXPECT_TRUE(FolderBuildSteps("").empty());
}

TEST(SetupList, BuiltTextRoundTripsThroughUnscrambling) {
  SetupListOptions o;
  o.Path = "%PROGRAMS%Demo";
  o.Title = "Demo Setup";
  o.Info = "Installs the demo.";
  o.AutoStart = "demo.exe";
  o.Locked = true;
  o.BuilderVersion = "1.0.0.0";
  o.Files = {"/src/a.bin", "/src/readme.force"};
  const std::string text = BuildSetupList(o);
  EXPECT_EQ(0u, text.find("[Global]\r\nPath="));
  EXPECT_NE(std::string::npos, text.find("\r\nInfo=Installs the demo.\r\nCompressed=False\r\nAutoStart=demo.exe\r\n"
                                         "Locked=True\r\nBuilderVersion=1.0.0.0\r\n[Files]\r\nFile0000=/src/a.bin\r\n"
                                         "File0001=/src/readme.force\r\n"));
  const size_t at = text.find("Title=") + 6;
  const std::string scrambled = text.substr(at, text.find("\r\n", at) - at);
  EXPECT_EQ("Demo Setup", ScrambleText(scrambled, Unscramble, SetupScrambleKey));
  EXPECT_EQ(std::string::npos, text.find("Demo Setup"));
}

TEST(SetupList, ValuesAnIniLineCannotCarryAreRefused) {
  for (const char* bad : {"a\r\nb", "a\nb", " lead", "trail ", "\ttab", "\x1A" "eof", "ff\f", "\"quoted\"",
                          "'quoted'"})
    EXPECT_NE("", IniValueProblem(bad)) << bad;
  EXPECT_NE("", IniValueProblem(std::string("a\0b", 3)));
  EXPECT_NE("", IniValueProblem(std::string(2048, 'x')));
  for (const char* good : {"", "x", "a = b", "\"half", "it's", "C:\\x\\", "\xA0" "nbsp"})
    EXPECT_EQ("", IniValueProblem(good)) << good;

  SetupListOptions o;
  o.Info = "two\r\nlines";
  EXPECT_THROW(BuildSetupList(o), rtl::Exception);
}

TEST(SetupList, ScrambledValuesThatTheReaderWouldChangeAreRefused) {
  // Found in use: both came back garbled, the folder as "Rwnmh".
  for (const char* plain : {"\xA7 Tools", "\xB5Tools"}) {
    ASSERT_NE("", IniValueProblem(ScrambleText(plain, Scramble, SetupScrambleKey))) << plain;
    for (int key = 0; key < 2; ++key) {
      SetupListOptions o;
      (key == 0 ? o.Title : o.Path.emplace()) = plain;
      try {
        BuildSetupList(o);
        ADD_FAILURE() << plain;
      } catch (const rtl::Exception& e) {
        EXPECT_NE(std::string::npos, e.Message().find("slightly different")) << e.Message();
      }
    }
  }

  // Whatever the builder accepts comes back whole through the reader.
  std::mt19937 rng(13);
  int accepted = 0;
  for (int i = 0; i < 5000; ++i) {
    std::string plain(1 + rng() % 40, '\0');
    for (auto& c : plain) c = static_cast<char>(32 + rng() % 224);
    SetupListOptions o;
    o.Title = plain;
    std::string text;
    try {
      text = BuildSetupList(o);
    } catch (const rtl::Exception&) {
      continue;
    }
    ++accepted;
    const size_t at = text.find("Title=") + 6;
    const std::string stored = text.substr(at, text.find("\r\n", at) - at);
    ASSERT_EQ(plain, ScrambleText(IniReaderView(stored), Unscramble, SetupScrambleKey));
  }
  // A scrambled line break or zero byte anywhere is refused too, so longer
  // texts are refused more often.
  EXPECT_GT(accepted, 3000) << "most texts are carried";
}

TEST(SetupList, PathKeyOnlyWhenAPathIsGiven) {
  SetupListOptions o;
  EXPECT_EQ(std::string::npos, BuildSetupList(o).find("Path="));
  o.Path = "";
  EXPECT_NE(std::string::npos, BuildSetupList(o).find("\r\nPath=\r\n")) << "an empty path is a path";
}

TEST(SetupList, WhichEntriesAreTheListAndWhichAreInstalled) {
  using Names = std::vector<std::string>;
  const struct {
    Names names;
    int list;
    std::vector<size_t> installed;
  } cases[] = {
      {{}, -1, {}},
      {{"Setup.~lst"}, 0, {}},
      {{"Setup.~lst", "a.exe", "readme.force", "b.txt"}, 0, {1, 3}},
      {{"Setup.~lst", "README.FORCE"}, 0, {1}},
      // A list elsewhere is not the list, and the first entry is never
      // installed, whatever its name.
      {{"a.exe", "Setup.~lst"}, -1, {1}},
      {{"setup.~LST", "a.exe"}, -1, {1}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.list, SetupListEntry(c.names)) << c.names.size();
    EXPECT_EQ(c.installed, InstalledEntries(c.names)) << c.names.size();
  }

  // The program started afterwards is one of the installed files.
  const Names names = {"Setup.~lst", "App.exe", "readme.force", "caf\xE9.exe"};
  EXPECT_EQ(1, AutoStartEntry(names, "App.exe"));
  EXPECT_EQ(1, AutoStartEntry(names, "APP.EXE"));
  EXPECT_EQ(3, AutoStartEntry(names, "caf\xE9.exe"));
  EXPECT_EQ(-1, AutoStartEntry(names, "CAF\xC9.EXE")) << "only ASCII letters match in any case";
  for (const char* other : {"Setup.~lst", "readme.force", "..\\App.exe", "App.exe ", ""})
    EXPECT_EQ(-1, AutoStartEntry(names, other)) << other;
}

TEST(SetupList, AsManyFilesAsTheKeysCanNumber) {
  SetupListOptions o;
  o.Files.assign(kMaxListedFiles, "f");
  const std::string text = BuildSetupList(o);
  EXPECT_NE(std::string::npos, text.find("\r\nFile9999=f\r\n"));
  o.Files.push_back("f");
  EXPECT_THROW(BuildSetupList(o), rtl::Exception);
}
