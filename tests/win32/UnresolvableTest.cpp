// Names that do not resolve. They run only inside the network namespace that
// tests/netns/unresolvable.sh makes: its own name server there knows one name
// (ORV_KNOWN_NAME, for 127.0.0.1), answers "no such name" for every other
// (ORV_UNRESOLVABLE_NAME), never answers one (ORV_SILENT_NAME) and holds the
// answers for a few (ORV_HELD_NAMES) until the test releases them. Outside it
// the machine's resolver would be asked, which tests must never do, so they
// skip.

#include <winsock2.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <sstream>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "net/HttpCli.h"
#include "net/LookupWindow.h"
#include "net/Ping.h"
#include "tests/win32/ScriptedHttpServer.h"
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

// Name and address of the held names, in their order.
std::vector<std::pair<std::string, std::string>> HeldNames() {
  std::vector<std::pair<std::string, std::string>> held;
  const char* list = std::getenv("ORV_HELD_NAMES");
  std::istringstream in(list ? list : "");
  std::string pair;
  while (std::getline(in, pair, ',')) {
    const size_t equals = pair.find('=');
    if (equals != std::string::npos) held.emplace_back(pair.substr(0, equals), pair.substr(equals + 1));
  }
  return held;
}

#define HELD_OR_SKIP(held)                                                 \
  const auto held = HeldNames();                                           \
  if (held.size() < 6) GTEST_SKIP() << "needs the test name server's held names"

// The name server answers the held questions for Name now. Asked with the
// system's blocking call on a thread of its own, so that this thread handles
// no message meanwhile.
void Release(const std::string& name) {
  std::thread([name] {
    WSADATA data;
    if (::WSAStartup(0x0202, &data) != 0) return;
    ::gethostbyname(("release." + name).c_str());
    ::WSACleanup();
  }).join();
}

// Takes Count messages of one kind for Window out of the queue, without
// handling them, as they come (each bounded by 10 s).
std::vector<MSG> TakeMessages(HWND window, UINT message, size_t count) {
  std::vector<MSG> taken;
  for (int slice = 0; slice < 1000 && taken.size() < count; ++slice) {
    MSG msg;
    if (::PeekMessageA(&msg, window, message, message, PM_REMOVE))
      taken.push_back(msg);
    else
      ::Sleep(10);
  }
  return taken;
}

// Two lookups of one component, the first replaced by the second, whose
// answers are taken out of the queue as they come: the replaced one ends
// after the new one has answered, but before that answer is handled.
std::vector<MSG> ReplacedLookupEndsLate(HWND window, UINT message, const std::string& first,
                                        const std::string& second,
                                        const std::function<void(const std::string&)>& lookUp) {
  lookUp(first);
  lookUp(second);
  Release(second);
  std::vector<MSG> answers = TakeMessages(window, message, 1);
  Release(first);
  const std::vector<MSG> late = TakeMessages(window, message, 1);
  answers.insert(answers.end(), late.begin(), late.end());
  return answers;
}

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

// The replaced lookup still runs in the system, which writes its answer
// when it ends: the new lookup's result must be its own.
TEST(Unresolvable, AReplacedLookupsLateAnswerLeavesTheNewOneAlone) {
  HELD_OR_SKIP(held);
  TWSocket socket(nullptr);
  std::vector<int> socketDone;
  socket.OnDnsLookupDone = [&](TCustomWSocket&, std::uint16_t e) { socketDone.push_back(e); };
  std::vector<MSG> answers = ReplacedLookupEndsLate(socket.WindowHandle(), TCustomWSocket::WM_LOOKUP_DONE,
                                                    held[0].first, held[1].first,
                                                    [&](const std::string& name) { socket.DnsLookup(name); });
  ASSERT_EQ(2u, answers.size());
  for (MSG& m : answers) ::DispatchMessageA(&m);
  EXPECT_EQ((std::vector<int>{0}), socketDone);
  EXPECT_EQ(held[1].second, socket.DnsResult());

  TPing ping(nullptr);
  std::vector<int> pingDone;
  ping.OnDnsLookupDone = [&](TPing&, std::uint16_t e) { pingDone.push_back(e); };
  answers = ReplacedLookupEndsLate(ping.WindowHandle(), TPing::WM_LOOKUP_DONE, held[2].first, held[3].first,
                                   [&](const std::string& name) { ping.DnsLookup(name); });
  ASSERT_EQ(2u, answers.size());
  for (MSG& m : answers) ::DispatchMessageA(&m);
  EXPECT_EQ((std::vector<int>{0}), pingDone);
  EXPECT_EQ(held[3].second, ping.DnsResult());
}

// A lookup whose owner is destroyed while it runs: no event reaches the
// owner, and the answer, when it comes, still finds its buffer.
TEST(Unresolvable, ALookupOutlivesItsDestroyedOwnerUntilItsAnswer) {
  HELD_OR_SKIP(held);
  const int before = TLookupWindow::Outstanding();
  int pingEvents = 0, socketEvents = 0;
  {
    TWSocket socket(nullptr);
    socket.OnDnsLookupDone = [&](TCustomWSocket&, std::uint16_t) { ++socketEvents; };
    socket.DnsLookup(held[4].first);
    TPing ping(nullptr);
    ping.OnDnsLookupDone = [&](TPing&, std::uint16_t) { ++pingEvents; };
    ping.DnsLookup(held[5].first);
  }
  EXPECT_EQ(0, pingEvents) << "no event into an owner that is being destroyed";
  EXPECT_EQ(0, socketEvents);
  EXPECT_EQ(before + 2, TLookupWindow::Outstanding()) << "the buffers wait for their answers";
  Release(held[4].first);
  Release(held[5].first);
  EXPECT_TRUE(PumpUntil([&] { return TLookupWindow::Outstanding() == before; }));
  EXPECT_EQ(0, pingEvents + socketEvents);
}

// A name server that never answers: the request is aborted, or times out,
// in its lookup, and the same client goes on with the next request.
TEST(Unresolvable, ALookupThatNeverEndsEndsItsRequestOnly) {
  const char* silent = std::getenv("ORV_SILENT_NAME");
  if (!silent) GTEST_SKIP() << "needs the test name server's silent name";
  ScriptedHttpServer server([](const std::string&) { return "HTTP/1.0 200 OK\r\n\r\nanswered"; });
  THttpCli http(nullptr);
  std::vector<std::string> done;
  http.OnRequestDone = [&](THttpCli&, THttpRequest type, std::uint16_t error) {
    done.push_back(std::to_string(type) + " " + std::to_string(error));
  };
  http.URL = "http://" + std::string(silent) + "/page";
  http.StartRequest(httpGET);
  ASSERT_EQ(hsDnsLookup, http.State());
  http.Abort();
  EXPECT_EQ("HTTP request aborted", http.ReasonPhrase());
  EXPECT_EQ(httpErrorAborted, http.DoneError());
  ASSERT_TRUE(PumpUntil([&] { return !done.empty(); }));
  EXPECT_EQ((std::vector<std::string>{"0 15"}), done);

  http.Timeout = 500;
  try {
    Body(http, "http://" + std::string(silent) + "/page");
    FAIL() << "no failure";
  } catch (const EHttpException& e) {
    EXPECT_EQ("HTTP request timed out after 0.5 s", e.Message());
  }
  http.Timeout = 10000;
  EXPECT_EQ("answered", Body(http, server.Base() + "/next"));

  // The echo component, destroyed while its lookup runs, reports nothing.
  int pingEvents = 0;
  {
    TPing ping(nullptr);
    ping.OnDnsLookupDone = [&](TPing&, std::uint16_t) { ++pingEvents; };
    ping.DnsLookup(silent);
  }
  EXPECT_EQ(0, pingEvents);
}
