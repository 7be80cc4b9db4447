#include "setup/core/InstallNames.h"

#include <gtest/gtest.h>

TEST(InstallNames, PlainFileNamesPass) {
  for (const char* name : {"a", "setup.exe", "Read Me.txt", "x.tar.gz", "CONFIG.SYS", "console.txt", "COM10",
                           "LPT0", "nul_", "NULL", "ab.c", " lead.txt", "\xE4rger.txt", "COMA", "com",
                           "notes..txt", "..x", "a..b", "...a", ".profile"})
    EXPECT_FALSE(InstallNameCheck(name).Refused()) << name;
}

TEST(InstallNames, NamesThatEscapeOrHitDevicesAreRefusedWithAReasonInBothLanguages) {
  for (const char* name :
       {"", ".", "..", "../x", "..\\x", "a\\b", "a/b", "C:x", "C:\\x", "\\\\server\\share", "file.txt:stream",
        "x..", "...", "trail.", "trail ", "trail. ", "CON", "con", "Con.txt", "PRN.log", "AUX", "NUL",
        "nul.tar.gz", "NUL .txt", "COM1", "com9.dat", "LPT1", "lpt9", "COM\xB9", "LPT\xB2.txt", "CONIN$",
        "conout$.x", "a\tb", "line\nbreak", "star*", "what?", "pipe|", "<x>", "quote\""}) {
    const InstallNameFault fault = InstallNameCheck(name);
    EXPECT_TRUE(fault.Refused()) << name;
    EXPECT_FALSE(fault.German.empty()) << name;
    EXPECT_NE(fault.English, fault.German) << name;
    EXPECT_EQ(fault.English, InstallNameProblem(name)) << name;
  }
}
