// One client, one request after another, as the watcher uses it for weeks:
// each request ends with its connection closed and leaves nothing behind
// for the next (no connection, no posted message, no credentials), no value
// of it may add a line to what is sent, and event handlers may end, replace
// or free the request from any event.

#include "net/HttpCli.h"

#include <gtest/gtest.h>

#include "net/core/HttpProtocol.h"
#include "tests/win32/HostileServer.h"
#include "tests/win32/ScriptedHttpServer.h"
#include "tests/win32/ScriptedSocksServer.h"
#include "tests/win32/TestSupport.h"

#include <atomic>
#include <functional>
#include <string>
#include <vector>

namespace {

// What Get gave: the body, or the failure's text and code.
std::string Outcome(THttpCli& http, const std::string& url) {
  try {
    return Body(http, url);
  } catch (const EHttpException& e) {
    return "failed: " + e.Message() + " (" + std::to_string(e.ErrorCode) + ")";
  }
}

// The credentials of a request as sent, "" without an Authorization line.
std::string Credentials(const std::string& request) {
  const std::string mark = "\r\nAuthorization: Basic ";
  const size_t at = request.find(mark);
  if (at == std::string::npos) return "";
  const size_t from = at + mark.size();
  return request.substr(from, request.find("\r\n", from) - from);
}

bool QueueEmpty() {
  MSG msg;
  return !::PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE);
}

}  // namespace

TEST(HttpRequests, TenInARowAfterAnEmptyPageThatHoldsItsConnectionAndAfterEveryFailure) {
  ScriptedHttpServer server([](const std::string& request) -> std::string {
    const std::string line = FirstLine(request);
    if (line == "GET /empty HTTP/1.0") return "HTTP/1.0 200 OK\r\nContent-Length: 0\r\n\r\n";
    if (line == "GET /missing HTTP/1.0") return "HTTP/1.0 404 Not Found\r\nContent-Length: 5\r\n\r\ngone.";
    if (line == "GET /page HTTP/1.0" || line == "GET /abort HTTP/1.0") return "HTTP/1.0 200 OK\r\n\r\nbody";
    return "";  // silent
  });
  // Only the full page is closed by the server: the others hold their
  // connection until the client closes it.
  server.holdAfter = [](const std::string& request) { return FirstLine(request) != "GET /page HTTP/1.0"; };
  THttpCli http(nullptr);
  http.Timeout = 5000;
  for (int i = 0; i < 10; ++i) {
    EXPECT_EQ("", Outcome(http, server.Base() + "/empty")) << i;
    EXPECT_EQ("body", Outcome(http, server.Base() + "/page")) << i;
  }
  http.OnDocData = [](THttpCli& h, const char*, int) {
    if (h.DocumentName() == "abort") h.Abort();
  };
  const std::vector<std::pair<std::string, std::string>> failures = {
      {"/missing", "failed: Not Found (404)"},
      {"/silent", "failed: HTTP request timed out after 0.5 s (404)"},
      {"/abort", "failed: HTTP request aborted (404)"},
  };
  for (const auto& failure : failures) {
    http.Timeout = failure.first == "/silent" ? 500 : 5000;
    EXPECT_EQ(failure.second, Outcome(http, server.Base() + failure.first));
    http.Timeout = 5000;
    EXPECT_EQ("body", Outcome(http, server.Base() + "/page")) << "after " << failure.first;
  }
  EXPECT_EQ(26u, server.requests.size());
  ASSERT_TRUE(PumpUntil([&] { return server.closed == static_cast<int>(server.connections.size()); }))
      << "every connection is closed, " << server.closed << " of " << server.connections.size();
}

TEST(HttpRequests, CredentialsStayWithTheirRequestAndTheirOrigin) {
  ScriptedHttpServer other([](const std::string&) { return "HTTP/1.0 200 OK\r\n\r\nat the other"; });
  std::string hostPort;
  ScriptedHttpServer home([&](const std::string& request) -> std::string {
    const std::string line = FirstLine(request);
    if (line == "GET /away HTTP/1.0") return "HTTP/1.0 302 Found\r\nLocation: " + other.Base() + "/landed\r\n\r\n";
    if (line == "GET /planted HTTP/1.0")
      return "HTTP/1.0 302 Found\r\nLocation: http://evil:planted@" + hostPort + "/landed\r\n\r\n";
    return "HTTP/1.0 200 OK\r\n\r\nat home";
  });
  hostPort = "127.0.0.1:" + home.listening.LocalPort();
  const std::string joe = Base64Encode("joe:secret"), property = Base64Encode("prop:pw");
  THttpCli http(nullptr);

  // A URL's credentials serve its request alone; they never become the
  // properties.
  EXPECT_EQ("at home", Outcome(http, "http://joe:secret@" + hostPort + "/one"));
  EXPECT_EQ("at home", Outcome(http, "http://" + hostPort + "/two"));
  // Nor do they follow a redirection to another port.
  EXPECT_EQ("at the other", Outcome(http, "http://joe:secret@" + hostPort + "/away"));
  EXPECT_EQ("", http.Username);
  EXPECT_EQ("", http.Password);
  // The properties' credentials belong to the origin of the URL too; a
  // Location's user information is never taken.
  http.Username = "prop";
  http.Password = "pw";
  EXPECT_EQ("at the other", Outcome(http, "http://" + hostPort + "/away"));
  EXPECT_EQ("at home", Outcome(http, "http://" + hostPort + "/planted"));
  EXPECT_EQ("prop", http.Username);

  const std::vector<std::string> sentHome = {joe, "", joe, property, property, property};
  ASSERT_EQ(sentHome.size(), home.requests.size());
  for (size_t i = 0; i < sentHome.size(); ++i)
    EXPECT_EQ(sentHome[i], Credentials(home.requests[i])) << FirstLine(home.requests[i]);
  ASSERT_EQ(2u, other.requests.size());
  for (const std::string& request : other.requests) EXPECT_EQ("", Credentials(request)) << "nothing for another port";
}

TEST(HttpRequests, LineBreaksAreRefusedAndTheFieldNamed) {
  ScriptedHttpServer server([](const std::string& request) -> std::string {
    const std::string line = FirstLine(request);
    if (line == "GET /cr HTTP/1.0") return "HTTP/1.0 302 Found\r\nLocation: /next\rX-Injected: yes\r\n\r\n";
    if (line == "GET /control HTTP/1.0") return "HTTP/1.0 302 Found\r\nLocation: /next\x01\r\n\r\n";
    return "HTTP/1.0 200 OK\r\n\r\nfine";
  });
  const std::string injected = "x\r\nX-Injected: yes";
  struct Row {
    const char* field;
    std::function<void(THttpCli&, std::string& url)> set;
    std::string outcome;
  };
  const auto refused = [](const std::string& field) {
    return "failed: HTTP request refused: " + field + " holds a CR, LF or NUL character (16)";
  };
  const std::vector<Row> rows = {
      {"Agent", [&](THttpCli& h, std::string&) { h.Agent = injected; }, refused("Agent")},
      {"Sender", [&](THttpCli& h, std::string&) { h.Sender = injected; }, refused("Sender")},
      {"Reference", [&](THttpCli& h, std::string&) { h.Reference = injected; }, refused("Reference")},
      {"Accept", [&](THttpCli& h, std::string&) { h.Accept = "\n" + injected; }, refused("Accept")},
      {"Cookie", [&](THttpCli& h, std::string&) { h.Cookie = std::string("a=1\0b", 5); }, refused("Cookie")},
      {"ContentRangeBegin", [&](THttpCli& h, std::string&) { h.ContentRangeBegin = "1\r"; }, refused("ContentRangeBegin")},
      {"ContentRangeEnd", [&](THttpCli& h, std::string&) { h.ContentRangeEnd = "2\n"; }, refused("ContentRangeEnd")},
      {"URL path", [&](THttpCli&, std::string& url) { url += "/a" + injected; }, refused("URL")},
      {"URL host", [&](THttpCli&, std::string& url) { url = "http://127.0.0.1\r\nX: y/"; }, refused("URL")},
      // A value that a handler changes after the start goes nowhere either.
      {"Agent from a handler",
       [&](THttpCli& h, std::string&) {
         h.OnSessionConnected = [&](THttpCli& c) { c.Agent = injected; };
       },
       "failed: HTTP request refused: Agent holds a CR, LF or NUL character (404)"},
      {"Location with a bare CR", [&](THttpCli&, std::string& url) { url += "/cr"; },
       "failed: HTTP redirection refused: its Location holds a control character (404)"},
      {"Location with a control character", [&](THttpCli&, std::string& url) { url += "/control"; },
       "failed: HTTP redirection refused: its Location holds a control character (404)"},
  };
  for (const Row& row : rows) {
    THttpCli http(nullptr);
    std::string url = server.Base();
    row.set(http, url);
    const size_t before = server.requests.size();
    EXPECT_EQ(row.outcome, Outcome(http, url)) << row.field;
    const bool redirection = row.outcome.find("redirection") != std::string::npos;
    EXPECT_EQ(redirection ? before + 1 : before, server.requests.size()) << row.field << ": nothing more was sent";
    EXPECT_EQ(hsReady, http.State()) << row.field;
    if (redirection) {
      EXPECT_EQ(httpErrorBadLocation, http.DoneError()) << row.field;
    }
  }
  for (const std::string& request : server.requests) EXPECT_EQ(std::string::npos, request.find("X-Injected"));
}

TEST(HttpRequests, AnAbortInOnLocationChangeEndsTheRequestOnce) {
  ScriptedHttpServer server([](const std::string&) { return "HTTP/1.0 302 Found\r\nLocation: /next\r\n\r\n"; });
  THttpCli http(nullptr);
  std::vector<std::string> done;
  http.OnLocationChange = [](THttpCli& h) { h.Abort(); };
  http.OnRequestDone = [&](THttpCli&, THttpRequest type, std::uint16_t error) {
    done.push_back(std::to_string(type) + " " + std::to_string(error));
  };
  http.URL = server.Base() + "/first";
  http.StartRequest(httpGET);
  ASSERT_TRUE(PumpUntil([&] { return !done.empty(); }));
  EXPECT_EQ(hsReady, http.State());
  Pump(300);  // time for a stray login and its request
  EXPECT_EQ((std::vector<std::string>{"0 15"}), done) << "once, as aborted";
  EXPECT_EQ(1u, server.requests.size()) << "no new connection for the abandoned redirection";
  EXPECT_EQ("HTTP request aborted", http.ReasonPhrase());
}

TEST(HttpRequests, EachGetHearsItsOwnOnRequestDoneBeforeItReturns) {
  ScriptedHttpServer server([](const std::string&) { return "HTTP/1.0 200 OK\r\n\r\npage"; });
  THttpCli http(nullptr);
  std::vector<std::string> done;
  http.OnRequestDone = [&](THttpCli& h, THttpRequest, std::uint16_t error) {
    done.push_back(h.DocumentName() + " " + std::to_string(error) + (h.State() == hsReady ? " ready" : " busy"));
  };
  EXPECT_EQ("page", Outcome(http, server.Base() + "/one"));
  EXPECT_EQ((std::vector<std::string>{"one 0 ready"}), done);
  EXPECT_EQ("page", Outcome(http, server.Base() + "/two"));
  EXPECT_EQ((std::vector<std::string>{"one 0 ready", "two 0 ready"}), done);

  // The one place where a handler may free the client it serves: the
  // synchronous call still says how its request ended.
  auto* freed = new THttpCli(nullptr);
  freed->OnRequestDone = [&](THttpCli&, THttpRequest, std::uint16_t) {
    delete freed;
    freed = nullptr;
  };
  freed->URL = server.Base() + "/last";
  EXPECT_NO_THROW(freed->Get());
  EXPECT_EQ(nullptr, freed);
}

TEST(HttpRequests, ANestedGetLeavesTheRunningRequestsTimeLimitAlone) {
  THostileServer server([](THostileConnection& c) {
    if (c.ReadRequest() && c.Send("HTTP/1.0 200 OK\r\n\r\n")) c.SendForever(std::string(4096, 'b'));
  });
  THttpCli http(nullptr);
  http.Timeout = 1000;
  bool first = true, nestedBusy = false, endedInside = false;
  http.OnDocData = [&](THttpCli& h, const char*, int) {
    if (!first) return;
    first = false;
    try {
      h.Get();
    } catch (const EHttpException& e) {
      nestedBusy = e.ErrorCode == 1;
    }
    // A message loop of the handler's own (a dialog, say): the running
    // request keeps its time limit meanwhile.
    endedInside = PumpUntil([&] { return h.State() == hsReady; }, 10000);
  };
  EXPECT_EQ("failed: HTTP request timed out after 1.0 s (404)", Outcome(http, server.Base() + "/endless"));
  EXPECT_TRUE(nestedBusy);
  EXPECT_TRUE(endedInside);
}

// A failure that the socket reports without a number of its own is told
// in its own words, never with the number an older failure left behind.
TEST(HttpRequests, AFailureNamesItsOwnCauseNotAnOlderOne) {
  THttpCli http(nullptr);
  http.Socket().Send("x", 1);
  ASSERT_EQ(WSAENOTCONN, http.Socket().LastError()) << "an earlier failure's number";
  http.LocalAddr = "10.254.254.254";  // no address of this machine: its bind fails
  const std::string outcome = Outcome(http, "http://127.0.0.1:9/");
  EXPECT_EQ(0u, outcome.find("failed: can't connect: winsock.bind failed, error #")) << outcome;
  EXPECT_EQ(httpErrorNotConnected, http.DoneError());
}

// Every event of a request, and what a handler may do in it: Abort, close
// the connection, abort and start a new request, or free the client. The
// request ends (or the new one runs to its end), nothing of it reaches the
// next request, and the client serves the next request as usual.
TEST(HttpRequests, HandlersMayAbortCloseRestartOrFreeFromAnyEvent) {
  ScriptedHttpServer server([](const std::string& request) -> std::string {
    const std::string line = FirstLine(request);
    if (line == "GET /start HTTP/1.0" || line == "POST /start HTTP/1.0")
      return "HTTP/1.0 302 Found\r\nSet-Cookie: id=1\r\nLocation: /page\r\n\r\n";
    if (line == "GET /page HTTP/1.0") return "HTTP/1.0 200 OK\r\nContent-Type: text/plain\r\n\r\nbody";
    return "HTTP/1.0 500 Unexpected\r\n\r\n";
  });
  using TAct = std::function<void()>;
  struct Event {
    const char* name;
    bool post;
    std::function<void(THttpCli&, TAct)> install;
  };
  const auto notify = [](THttpCli::TNotify THttpCli::*event) {
    return [event](THttpCli& h, TAct act) { h.*event = [act](THttpCli&) { act(); }; };
  };
  const auto state = [](THttpState wanted) {
    return [wanted](THttpCli& h, TAct act) {
      h.OnStateChange = [wanted, act](THttpCli& c) {
        if (c.State() == wanted) act();
      };
    };
  };
  const std::vector<Event> events = {
      {"OnStateChange to hsNotConnected", false, state(hsNotConnected)},
      {"OnStateChange to hsDnsLookup", false, state(hsDnsLookup)},
      {"OnStateChange to hsDnsLookupDone", false, state(hsDnsLookupDone)},
      {"OnStateChange to hsConnected", false, state(hsConnected)},
      {"OnStateChange to hsWaitingHeader", false, state(hsWaitingHeader)},
      {"OnStateChange to hsWaitingBody", false, state(hsWaitingBody)},
      {"OnStateChange to hsReady", false, state(hsReady)},
      {"OnSessionConnected", false, notify(&THttpCli::OnSessionConnected)},
      {"OnRequestHeaderBegin", false, notify(&THttpCli::OnRequestHeaderBegin)},
      {"OnCommand", false, [](THttpCli& h, TAct act) { h.OnCommand = [act](THttpCli&, std::string&) { act(); }; }},
      {"OnRequestHeaderEnd", false, notify(&THttpCli::OnRequestHeaderEnd)},
      {"OnHeaderBegin", false, notify(&THttpCli::OnHeaderBegin)},
      {"OnHeaderData", false, notify(&THttpCli::OnHeaderData)},
      {"OnCookie", false,
       [](THttpCli& h, TAct act) { h.OnCookie = [act](THttpCli&, const std::string&, bool&) { act(); }; }},
      {"OnHeaderEnd", false, notify(&THttpCli::OnHeaderEnd)},
      {"OnLocationChange", false, notify(&THttpCli::OnLocationChange)},
      {"OnDocBegin", false, notify(&THttpCli::OnDocBegin)},
      {"OnDocData", false, [](THttpCli& h, TAct act) { h.OnDocData = [act](THttpCli&, const char*, int) { act(); }; }},
      {"OnDocEnd", false, notify(&THttpCli::OnDocEnd)},
      {"OnRequestDone", false,
       [](THttpCli& h, TAct act) { h.OnRequestDone = [act](THttpCli&, THttpRequest, std::uint16_t) { act(); }; }},
      {"OnSendBegin", true, notify(&THttpCli::OnSendBegin)},
      {"OnSendData", true, [](THttpCli& h, TAct act) { h.OnSendData = [act](THttpCli&, const char*, int) { act(); }; }},
      {"OnSendEnd", true, notify(&THttpCli::OnSendEnd)},
  };
  const char* actions[] = {"abort", "close", "restart", "free"};
  for (const Event& event : events) {
    for (const std::string action : actions) {
      const std::string name = std::string(event.name) + ", " + action;
      auto* http = new THttpCli(nullptr);
      rtl::TMemoryStream post;
      post.WriteBuffer("a=1", 3);
      post.SetPosition(0);
      http->PostStream = &post;
      bool acted = false;
      const size_t before = server.requests.size();
      event.install(*http, [&] {
        if (acted) return;
        acted = true;
        if (action == "abort") {
          http->Abort();
        } else if (action == "close") {
          http->Socket().Close();
        } else if (action == "restart") {
          http->Abort();
          http->URL = server.Base() + "/page";
          http->StartRequest(httpGET);
        } else {
          delete http;
          http = nullptr;
        }
      });
      http->URL = server.Base() + "/start";
      http->StartRequest(event.post ? httpPOST : httpGET);
      ASSERT_TRUE(PumpUntil([&] { return !http || (acted && http->State() == hsReady); })) << name;
      EXPECT_TRUE(PumpUntil(QueueEmpty)) << name;
      EXPECT_LE(server.requests.size() - before, 3u) << name << ": no stray request";
      if (!http) continue;
      http->PostStream = nullptr;
      EXPECT_EQ("body", Outcome(*http, server.Base() + "/page")) << name << ": the next request";
      delete http;
    }
  }
}

// Abort ends the request with its own words, whatever it was waiting for.
TEST(HttpRequests, AnAbortSaysSoWhateverThePhase) {
  struct Row {
    const char* phase;
    std::function<void(THostileConnection&, std::atomic<bool>&)> script;
    bool socks;
  };
  const auto waitForTheClient = [](THostileConnection& c) { c.Read(1); };
  const std::vector<Row> rows = {
      {"the SOCKS handshake",
       [&](THostileConnection& c, std::atomic<bool>& reached) {
         if (!c.Read(3)) return;
         reached = true;
         waitForTheClient(c);
       },
       true},
      {"the header",
       [&](THostileConnection& c, std::atomic<bool>& reached) {
         if (!c.ReadRequest()) return;
         reached = true;
         waitForTheClient(c);
       },
       false},
      {"the body",
       [&](THostileConnection& c, std::atomic<bool>& reached) {
         if (!c.ReadRequest() || !c.Send("HTTP/1.0 200 OK\r\n\r\npart")) return;
         reached = true;
         waitForTheClient(c);
       },
       false},
  };
  for (const Row& row : rows) {
    std::atomic<bool> reached{false};
    THostileServer server([&](THostileConnection& c) { row.script(c, reached); });
    THttpCli http(nullptr);
    std::vector<std::string> done, socksErrors;
    http.OnRequestDone = [&](THttpCli&, THttpRequest type, std::uint16_t error) {
      done.push_back(std::to_string(type) + " " + std::to_string(error));
    };
    http.OnSocksError = [&](TCustomWSocket&, int, const std::string& text) { socksErrors.push_back(text); };
    http.URL = server.Base() + "/page";
    if (row.socks) {
      http.SocksServer = "127.0.0.1";
      http.SocksPort = server.Port();
      http.URL = "http://127.0.0.1:81/page";
    }
    http.StartRequest(httpGET);
    ASSERT_TRUE(PumpUntil([&] { return reached && (row.socks || http.State() == hsWaitingHeader || http.State() == hsWaitingBody); }))
        << row.phase;
    if (std::string(row.phase) == "the body") {
      ASSERT_TRUE(PumpUntil([&] { return http.ReceivedCount() > 0; }));
    }
    http.Abort();
    EXPECT_EQ(hsReady, http.State()) << row.phase << ": ready when Abort returns";
    EXPECT_EQ("HTTP request aborted", http.ReasonPhrase()) << row.phase;
    EXPECT_EQ(404, http.StatusCode()) << row.phase;
    EXPECT_EQ(httpErrorAborted, http.DoneError()) << row.phase;
    ASSERT_TRUE(PumpUntil([&] { return !done.empty(); })) << row.phase;
    EXPECT_EQ((std::vector<std::string>{"0 15"}), done) << row.phase;
    for (const std::string& text : socksErrors)
      EXPECT_EQ("SOCKS handshake ended: the connection was closed here", text) << row.phase;
  }
}
