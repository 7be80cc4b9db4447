#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "watcher/core/PageText.h"

using Lines = std::vector<std::string>;

TEST(SplitLines, EveryKindOfLineEnd) {
  const struct {
    std::string bytes;
    Lines lines;
  } cases[] = {
      {"", {}},
      {"a", {"a"}},
      {"a\r\nb\r\n", {"a", "b"}},
      {"a\nb", {"a", "b"}},
      {"a\rb\r", {"a", "b"}},
      {"a\n\rb", {"a", "", "b"}},  // LF then CR: two line ends
      {"a\r\rb", {"a", "", "b"}},
      {"a\n\nb", {"a", "", "b"}},
      {"\r\n", {""}},
      {"\r\n\r\n", {"", ""}},
      {"\n", {""}},
      {"a\r\n\r\nb", {"a", "", "b"}},
      {std::string("x\0y\r", 4), {std::string("x\0y", 3)}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.lines, SplitLines(c.bytes)) << testing::PrintToString(c.bytes);
    std::string page = "kept\r\n";
    AppendPageLines(page, c.bytes);
    EXPECT_EQ("kept\r\n" + JoinLines(c.lines), page) << testing::PrintToString(c.bytes);
  }
}

TEST(JoinLines, EachLineEndsWithCrLf) {
  EXPECT_EQ("", JoinLines({}));
  EXPECT_EQ("\r\n", JoinLines({""}));
  EXPECT_EQ("a\r\n\r\nb\r\n", JoinLines({"a", "", "b"}));
}

TEST(CutBetweenMarkers, FirstOccurrencesAndMissingMarkers) {
  const struct {
    const char* page;
    const char* before;
    const char* after;
    const char* cut;
  } cases[] = {
      {"<b>IP: 80.1.2.3</b>\r\n", "IP: ", "</b>", "80.1.2.3"},
      {"80.1.2.3\r\n", "", "", "80.1.2.3\r\n"},           // empty markers cut nothing
      {"x 80.1.2.3 y\r\n", "none", " y", "x 80.1.2.3"},    // missing before-marker: the end is still cut
      {"x 80.1.2.3 y\r\n", "x ", "none", "80.1.2.3 y\r\n"},
      {"[1][2]", "[", "]", "1"},                          // first occurrences
      {"ab", "ab", "", ""},
      {"IP=80.1.2.3</p>", "IP=", "</p>", "80.1.2.3"},     // the marker at the very end
      {"end]x]", "]", "]", "x"},                          // the after-marker is looked for after the cut
  };
  for (const auto& c : cases) EXPECT_EQ(c.cut, CutBetweenMarkers(c.page, c.before, c.after)) << c.page;
}

TEST(PageText, AfterMarkerAtTheEndWithoutLineEnd) {
  // The last line runs to the end of the bytes, so the marker stays whole.
  std::string page;
  AppendPageLines(page, "<html>\nIP 80.1.2.3 END");
  EXPECT_EQ("80.1.2.3", CutBetweenMarkers(page, "IP ", " END"));
}
