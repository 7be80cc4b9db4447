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

TEST(HostsFile, OtherNamesOnTheHostsLinesKeepTheirAddress) {
  const std::string host = "80.1.2.3\tserver\t# new";
  const struct {
    const char* in;
    const char* out;
  } cases[] = {
      {"10.9.9.9  server alias2 # office\r\n", "80.1.2.3\tserver\t# new\r\n10.9.9.9  alias2 # office\r\n"},
      {"10.9.9.9 alias2\tSERVER # office", "80.1.2.3\tserver\t# new\r\n10.9.9.9 alias2 # office"},
      {"10.9.9.9 a server b server", "80.1.2.3\tserver\t# new\r\n10.9.9.9 a b"},
      // The host line stands where the first line named the host; a later
      // line that named it alone goes, one with other names keeps them.
      {"1.1.1.1 x\n2.2.2.2 y server\n3.3.3.3 server # old\n4.4.4.4 server z\n",
       "1.1.1.1 x\r\n80.1.2.3\tserver\t# new\r\n2.2.2.2 y\r\n4.4.4.4 z\r\n"},
      // A dropped last line without a line end leaves the one before whole.
      {"1.1.1.1 server\n\n2.2.2.2 server", "80.1.2.3\tserver\t# new\r\n\r\n"},
  };
  for (const auto& c : cases) {
    const std::string once = RewriteHosts(c.in, "server", host);
    EXPECT_EQ(c.out, once) << c.in;
    EXPECT_EQ(once, RewriteHosts(once, "server", host)) << c.in;
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
