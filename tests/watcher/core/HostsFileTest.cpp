#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <sstream>
#include <string>

#include "watcher/core/HostsFile.h"

namespace {

std::string ReadGolden(const std::string& name) {
  std::string path = std::string(ORV_HOSTS_GOLDEN) + "/" + name;
#ifdef _WIN32
  // Under Wine the host's root is drive Z:.
  if (!path.empty() && path[0] == '/') path = "Z:" + path;
#endif
  std::ifstream in(path, std::ios::binary);
  EXPECT_TRUE(in.good()) << path;
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace

TEST(HostsFile, RewritesMatchTheGoldenFiles) {
  const std::string line = HostLine("80.1.2.3", "server", "Modified by Orvandel");
  ASSERT_EQ("80.1.2.3\tserver\t# Modified by Orvandel", line);
  for (const char* name : {"several-lines", "other-case-lf-only", "cr-only", "mixed-no-final-line-end", "empty",
                           "near-misses-stay"}) {
    const std::string expected = ReadGolden(std::string(name) + ".expected");
    const std::string rewritten = RewriteHosts(ReadGolden(std::string(name) + ".in"), "server", line);
    EXPECT_EQ(expected, rewritten) << name;
    // Publishing the same line again changes nothing more.
    EXPECT_EQ(expected, RewriteHosts(expected, "server", line)) << name;
  }
}

TEST(HostsFile, OnlyNameFieldsMatch) {
  const struct {
    const char* line;
    bool names;
  } cases[] = {
      {"1.2.3.4 server", true},
      {"1.2.3.4\tSERVER", true},
      {"  1.2.3.4   alias   Server  ", true},
      {"1.2.3.4 alias server # comment", true},
      {"1.2.3.4 myserver", false},
      {"1.2.3.4 server2", false},
      {"1.2.3.4 server.lan", false},
      {"server 1.2.3.4", false},  // the address field is no name
      {"# 1.2.3.4 server", false},
      {"1.2.3.4 www #server", false},
      {"1.2.3.4 www# server", false},
      {"", false},
  };
  for (const auto& c : cases) EXPECT_EQ(c.names, LineNamesHost(c.line, "server")) << c.line;
  // Only a to z fold: other bytes must be the same.
  EXPECT_TRUE(LineNamesHost("1.2.3.4 M\xC4USE", "m\xC4use"));
  EXPECT_FALSE(LineNamesHost("1.2.3.4 M\xC4USE", "m\xE4use"));
}

TEST(HostsFile, NamesThatWouldInjectLinesAreRefused) {
  for (const char* name : {"server", "my-server.example.org", "SERVER_1", "m\xE4use"})
    EXPECT_TRUE(IsAcceptableHostName(name)) << name;
  for (const char* name : {"", "two names", "name#", "#", "tab\there", "line\r\nbreak", "cr\r", "lf\n", "bell\a",
                           "del\x7F"})
    EXPECT_FALSE(IsAcceptableHostName(name)) << testing::PrintToString(std::string(name));
}
