#include <gtest/gtest.h>

#include "watcher/core/RunEntry.h"

TEST(RunEntry, TextOfTheRunValue) {
  const struct {
    const char* windows;
    bool hidden;
    const char* expected;
  } cases[] = {
      {"C:\\WINDOWS", false, "C:\\WINDOWS\\Orvandel.exe"},
      {"C:\\WINDOWS\\", false, "C:\\WINDOWS\\Orvandel.exe"},
      {"C:\\WINDOWS", true, "C:\\WINDOWS\\Orvandel.exe \"hide\""},
      {"C:\\", true, "C:\\Orvandel.exe \"hide\""},
      // Never quoted, even where a blank would call for it.
      {"C:\\My Windows", false, "C:\\My Windows\\Orvandel.exe"},
  };
  for (const auto& c : cases) {
    const AutostartPlan plan = PlanAutostart("C:\\PROGRA~1\\ORVAND~1", "Orvandel.exe", c.windows);
    EXPECT_EQ(c.expected, RunEntryText(plan.Target, c.hidden)) << c.windows;
  }
  EXPECT_EQ(7u, std::string(kHideSuffix).size());
}

TEST(RunEntry, CopyOnlyFromAnotherFolder) {
  const struct {
    const char* program;
    const char* windows;
    bool copy;
  } cases[] = {
      {"C:\\PROGRA~1\\ORVAND~1", "C:\\WINDOWS", true},
      {"C:\\WINDOWS", "C:\\WINDOWS", false},
      {"c:\\windows\\", "C:\\WINDOWS", false},
      {"C:\\WINDOWS\\SYSTEM32", "C:\\WINDOWS", true},
  };
  for (const auto& c : cases) {
    const AutostartPlan plan = PlanAutostart(c.program, "Orvandel.exe", c.windows);
    EXPECT_EQ(c.copy, plan.CopyNeeded) << c.program;
    EXPECT_EQ(std::string(c.program) + (std::string(c.program).back() == '\\' ? "" : "\\") + "Orvandel.exe",
              plan.Source);
  }
}

TEST(RunEntry, FallsBackToTheRunningProgramWhenNothingIsAtTheTarget) {
  const AutostartPlan plan = PlanAutostart("C:\\PROGRA~1\\ORVAND~1", "Orvandel.exe", "C:\\WINDOWS");
  const std::string own = "C:\\PROGRA~1\\ORVAND~1\\ORVAND~1.EXE";
  const struct {
    bool copied, targetIsFile;
    std::string expected;
  } cases[] = {
      {true, true, "C:\\WINDOWS\\Orvandel.exe"},
      {false, true, "C:\\WINDOWS\\Orvandel.exe"},  // an earlier copy is still there
      {false, false, own},
  };
  for (const auto& c : cases)
    EXPECT_EQ(c.expected, RunEntryProgram(plan, c.copied, c.targetIsFile, own)) << c.copied << c.targetIsFile;
  EXPECT_EQ(plan.Source, RunEntryProgram(plan, false, false, ""));

  const AutostartPlan same = PlanAutostart("C:\\WINDOWS", "Orvandel.exe", "c:\\windows");
  EXPECT_EQ("c:\\windows\\Orvandel.exe", RunEntryProgram(same, false, false, own)) << "nothing to copy";
}

TEST(RunEntry, HelpFileBesideTheProgram) {
  EXPECT_EQ("C:\\WINDOWS\\Orvandel.hlp", SwapLastThree("C:\\WINDOWS\\Orvandel.exe", "hlp"));
  EXPECT_EQ("C:\\WINDOWS\\Orvandel.chm", SwapLastThree("C:\\WINDOWS\\Orvandel.exe", "chm"));
  EXPECT_EQ("achm", SwapLastThree("ab.x", "chm")) << "the last three characters, not the extension";
  EXPECT_EQ("xychm", SwapLastThree("xy", "chm"));
}
