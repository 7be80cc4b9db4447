#include "setup/core/CommandLine.h"

#include <gtest/gtest.h>

TEST(SetupCommandLine, ArgumentsFollowTheProgramName) {
  EXPECT_EQ("", ArgumentsOf("setup.exe"));
  EXPECT_EQ("/S", ArgumentsOf("setup.exe /S"));
  EXPECT_EQ("/S /D=C:\\A B", ArgumentsOf("\"C:\\My Files\\setup.exe\"  /S /D=C:\\A B"));
  EXPECT_EQ("/S", ArgumentsOf("\"C:\\x\\setup.exe\"/S"));
  EXPECT_EQ("", ArgumentsOf("\"C:\\unclosed /S"));
}

TEST(SetupCommandLine, SilentAndFolder) {
  const struct {
    const char* arguments;
    bool silent;
    const char* folder;  // null: none given
  } cases[] = {
      {"", false, nullptr},
      {"/S", true, nullptr},
      {"/s", true, nullptr},
      {"  /S\t", true, nullptr},
      {"/D=C:\\Program Files\\My App", false, "C:\\Program Files\\My App"},
      {"/S /D=C:\\Program Files\\My App", true, "C:\\Program Files\\My App"},
      {"/S /d=C:\\x /S", true, "C:\\x /S"},  // the rest of the line, options too
      {"/D=C:\\x  ", false, "C:\\x  "},
      {"/D=%PROGRAMS%x", false, "%PROGRAMS%x"},  // placeholders stay text
      {"/S \"/D=C:\\A B\"", true, "C:\\A B"},  // quoted as a whole
  };
  for (const auto& c : cases) {
    const SetupCommandLine options = ParseSetupCommandLine(c.arguments);
    EXPECT_EQ("", options.ErrorEnglish) << c.arguments;
    EXPECT_EQ(c.silent, options.Silent) << c.arguments;
    EXPECT_EQ(c.folder != nullptr, options.Folder.has_value()) << c.arguments;
    EXPECT_EQ(c.folder ? c.folder : "", options.Folder.value_or("")) << c.arguments;
  }
}

TEST(SetupCommandLine, WrongOptionsSayWhy) {
  const struct {
    const char* arguments;
    const char* english;
    const char* german;
  } cases[] = {
      {"/S /X", "Unknown option /X.", "Unbekannte Option /X."},
      {"/SILENT", "Unknown option /SILENT.", "Unbekannte Option /SILENT."},
      {"C:\\folder", "Unknown option C:\\folder.", "Unbekannte Option C:\\folder."},
      {"/S /D=", "/D= names no folder.", "/D= nennt keinen Ordner."},
      {"/D=   ", "/D= names no folder.", "/D= nennt keinen Ordner."},
      {"/D=\"C:\\A B\"", "/D= takes the folder without quotation marks", "/D= nimmt den Ordner ohne"},
      {"\"/D=C:\\A\" \"B\"", "/D= takes the folder without quotation marks", "/D= nimmt den Ordner ohne"},
  };
  for (const auto& c : cases) {
    const SetupCommandLine options = ParseSetupCommandLine(c.arguments);
    EXPECT_EQ(0u, options.ErrorEnglish.find(c.english)) << c.arguments << ": " << options.ErrorEnglish;
    EXPECT_EQ(0u, options.ErrorGerman.find(c.german)) << c.arguments << ": " << options.ErrorGerman;
  }
}

TEST(SetupCommandLine, LockedFolderComparedAsTheFileSystemDoes) {
  EXPECT_TRUE(SameFolder("C:\\Program Files\\Orvandel", "C:\\Program Files\\\\Orvandel"));
  EXPECT_TRUE(SameFolder("c:\\program files\\orvandel\\", "C:\\Program Files\\Orvandel"));
  EXPECT_FALSE(SameFolder("C:\\Program Files\\Orvandel2", "C:\\Program Files\\Orvandel"));
  EXPECT_FALSE(SameFolder("D:\\Program Files\\Orvandel", "C:\\Program Files\\Orvandel"));
  EXPECT_FALSE(SameFolder("C:\\Program Files\\\xC4pfel", "C:\\Program Files\\\xE4pfel"));  // ANSI letters kept
}
