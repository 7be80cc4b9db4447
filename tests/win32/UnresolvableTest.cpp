// Names that do not resolve. They run only inside the network namespace that
// tests/netns/unresolvable.sh makes: its own name server there knows one
// name (ORV_KNOWN_NAME, for 127.0.0.1) and answers "no such name" for every
// other (ORV_UNRESOLVABLE_NAME). Outside it the machine's resolver would be
// asked, which tests must never do, so they skip.

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "net/HttpCli.h"
#include "net/Ping.h"
#include "tests/win32/TestSupport.h"

namespace {

struct Names {
  std::string unknown, known;
};

Names FromNamespace() {
  const char* unknown = std::getenv("ORV_UNRESOLVABLE_NAME");
  const char* known = std::getenv("ORV_KNOWN_NAME");
  return {unknown ? unknown : "", known ? known : ""};
}

#define NAMES_OR_SKIP(n)                                                             \
  const Names n = FromNamespace();                                                   \
  if (n.unknown.empty() || n.known.empty()) GTEST_SKIP() << "needs the test name server"

constexpr int kHostNotFound = 11001;

}  // namespace

TEST(Unresolvable, PingReportsAndSendsNothing) {
  NAMES_OR_SKIP(names);
  TPing ping(nullptr);
  std::vector<std::string> shown;
  bool sent = false;
  ping.OnDisplay = [&](TPing&, TICMP&, const std::string& msg) { shown.push_back(msg); };
  ping.OnEchoRequest = [&](TPing&, TICMP&) { sent = true; };
  ping.OnEchoReply = [&](TPing&, TICMP&, int) { sent = true; };
  ping.SetAddress(names.unknown);
  ping.SetTimeout(500);
  EXPECT_EQ(0, ping.Ping());
  EXPECT_EQ(11018u, ping.Icmp().LastError());
  EXPECT_EQ((std::vector<std::string>{"Unable to resolve " + names.unknown, "Invalid host address"}), shown);
  EXPECT_FALSE(sent);

  // The name server is really asked: the name it knows is pinged.
  ping.SetAddress(names.known);
  EXPECT_EQ(1, ping.Ping());
  EXPECT_EQ("127.0.0.1", ping.HostIP());
}

TEST(Unresolvable, LookupsReportTheError) {
  NAMES_OR_SKIP(names);
  TPing ping(nullptr);
  std::vector<int> pingErrors;
  ping.OnDnsLookupDone = [&](TPing&, std::uint16_t e) { pingErrors.push_back(e); };
  ping.DnsLookup(names.unknown);
  ASSERT_TRUE(PumpUntil([&] { return !pingErrors.empty(); }));
  EXPECT_EQ(kHostNotFound, pingErrors[0]);
  EXPECT_EQ("", ping.DnsResult());
  ping.DnsLookup(names.known);
  ASSERT_TRUE(PumpUntil([&] { return pingErrors.size() == 2; }));
  EXPECT_EQ(0, pingErrors[1]);
  EXPECT_EQ("127.0.0.1", ping.DnsResult());

  TWSocket socket(nullptr);
  std::vector<int> socketErrors;
  socket.OnDnsLookupDone = [&](TCustomWSocket&, std::uint16_t e) { socketErrors.push_back(e); };
  socket.DnsLookup(names.unknown);
  ASSERT_TRUE(PumpUntil([&] { return !socketErrors.empty(); }));
  EXPECT_EQ(kHostNotFound, socketErrors[0]);
  EXPECT_EQ(wsClosed, socket.State());
}

TEST(Unresolvable, ConnectToAName) {
  NAMES_OR_SKIP(names);
  TWSocket socket(nullptr);
  socket.SetAddr(names.unknown);
  socket.SetPort("80");
  const std::string error = ErrorOf([&] { socket.Connect(); });
  EXPECT_NE(std::string::npos, error.find("Cannot convert host address '" + names.unknown + "', Error #11001")) << error;
  EXPECT_EQ(wsClosed, socket.State());
}

TEST(Unresolvable, GetRaisesTheLookupFailure) {
  NAMES_OR_SKIP(names);
  THttpCli http(nullptr);
  http.URL = "http://" + names.unknown + "/index.html";
  try {
    http.Get();
    FAIL() << "no failure";
  } catch (const EHttpException& e) {
    EXPECT_EQ("can't resolve hostname to IP address", e.Message());
    EXPECT_EQ(404, e.ErrorCode);
  }
  EXPECT_EQ(kHostNotFound, http.DoneError());
  EXPECT_EQ(hsReady, http.State());
}
