// The echo component on the system's own ICMP service and name lookups,
// with loopback only.

#include "net/Ping.h"

#include <gtest/gtest.h>

#include "tests/win32/TestSupport.h"

#include <string>
#include <vector>

#include "rtl/win32/Application.h"


TEST(Ping, LoopbackAnswers) {
  TPing ping(nullptr);
  std::vector<std::string> order;
  ping.OnEchoRequest = [&](TPing&, TICMP&) { order.push_back("request"); };
  ping.OnEchoReply = [&](TPing&, TICMP&, int replies) { order.push_back("reply " + std::to_string(replies)); };
  ping.SetAddress("127.0.0.1");
  ping.SetTimeout(2000);
  EXPECT_EQ(1, ping.Ping());
  EXPECT_EQ("127.0.0.1", ping.HostName());
  EXPECT_EQ("127.0.0.1", ping.HostIP());
  EXPECT_EQ(0u, ping.Icmp().Reply().Status);
  EXPECT_EQ((std::vector<std::string>{"request", "reply 1"}), order);
  for (int size : {0, 10, 1000}) {
    ping.SetSize(size);
    EXPECT_EQ(1, ping.Ping()) << "size " << size;
  }
}

TEST(Ping, NoAddressReportsWithoutSending) {
  TPing ping(nullptr);
  std::vector<std::string> shown;
  bool sent = false;
  ping.OnDisplay = [&](TPing&, TICMP&, const std::string& msg) { shown.push_back(msg); };
  ping.OnEchoRequest = [&](TPing&, TICMP&) { sent = true; };
  EXPECT_EQ(0, ping.Ping());
  EXPECT_EQ(11018u, ping.Icmp().LastError());
  EXPECT_EQ((std::vector<std::string>{"Unable to resolve ", "Invalid host address"}), shown);
  EXPECT_FALSE(sent);
}

TEST(Ping, RangeChecks) {
  TPing ping(nullptr);
  EXPECT_THROW(ping.SetTTL(256), rtl::ERangeError);
  EXPECT_THROW(ping.SetTTL(-1), rtl::ERangeError);
  EXPECT_THROW(ping.SetFlags(256), rtl::ERangeError);
  EXPECT_THROW(ping.SetSize(65536), rtl::ERangeError);
  EXPECT_THROW(ping.SetSize(-1), rtl::ERangeError);
  EXPECT_THROW(ping.SetTimeout(-1), rtl::ERangeError);
  ping.SetTTL(255);
  ping.SetSize(65535);
  EXPECT_EQ(255, ping.TTL());
  try {
    ping.SetFlags(300);
    FAIL() << "no range error";
  } catch (const rtl::ERangeError& e) {
    EXPECT_EQ("Fehler bei Bereichsprüfung", e.Message());
  }
}

TEST(Ping, NameLookups) {
  TPing ping(nullptr);
  std::vector<int> done;
  ping.OnDnsLookupDone = [&](TPing&, std::uint16_t error) { done.push_back(error); };

  ping.DnsLookup("127.0.0.1");
  EXPECT_EQ((std::vector<int>{0}), done) << "a dotted address answers inside the call";
  EXPECT_EQ("127.0.0.1", ping.DnsResult());

  done.clear();
  ping.DnsLookup("localhost");
  EXPECT_EQ("", ping.DnsResult());
  ASSERT_TRUE(PumpUntil([&] { return !done.empty(); }));
  EXPECT_EQ((std::vector<int>{0}), done);
  EXPECT_EQ("127.0.0.1", ping.DnsResult());

  // A second lookup replaces the first silently; only the second reports.
  done.clear();
  ping.DnsLookup("localhost");
  ping.DnsLookup("localhost");
  ASSERT_TRUE(PumpUntil([&] { return !done.empty(); }));
  Pump(300);  // time for a stray first answer
  EXPECT_EQ(1u, done.size());

  done.clear();
  ping.DnsLookup("localhost");
  ping.CancelLookup();
  EXPECT_EQ((std::vector<int>{WSAEINTR}), done);
  ping.CancelLookup();
  EXPECT_EQ(1u, done.size()) << "nothing pending: nothing happens";

  done.clear();
  EXPECT_THROW(ping.DnsLookup(""), rtl::ERangeError);
  EXPECT_TRUE(done.empty());
}

// Without its window a lookup's answer would go nowhere: the lookup must
// fail at its start, while pinging an address still works. (This test runs
// in a process of its own; the class it takes stays taken.)
TEST(Ping, WithoutItsWindowALookupFailsAtOnce) {
  WNDCLASSEXA foreign{};
  foreign.cbSize = sizeof foreign;
  foreign.lpfnWndProc = ::DefWindowProcA;
  foreign.hInstance = ::GetModuleHandleA(nullptr);
  foreign.lpszClassName = "VrlPingWindowClass";
  ASSERT_NE(0, ::RegisterClassExA(&foreign));

  TPing ping(nullptr);
  ASSERT_EQ(nullptr, ping.WindowHandle());
  int done = 0;
  ping.OnDnsLookupDone = [&](TPing&, std::uint16_t) { ++done; };
  try {
    ping.DnsLookup("localhost");
    FAIL() << "a lookup without a window started";
  } catch (const rtl::Exception& e) {
    EXPECT_EQ("localhost: can't start DNS lookup, the component has no window", e.Message());
  }
  EXPECT_EQ(0, done);
  ping.SetAddress("127.0.0.1");
  ping.SetTimeout(2000);
  EXPECT_EQ(1, ping.Ping());
}
