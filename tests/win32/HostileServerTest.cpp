// The HTTP client against servers that misbehave: each row scripts one
// server and names the outcome that Get must give, an exception text or the
// body. Whatever the server does, Get ends (the scripts and the client's
// limits are bounded) and a failure never passes for a page.

#include "net/HttpCli.h"

#include <gtest/gtest.h>

#include "tests/win32/HostileServer.h"
#include "tests/win32/ScriptedSocksServer.h"
#include "tests/win32/TestSupport.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace {

// Counts the body and keeps its first bytes, so that an endless body costs
// no memory.
class TCountingStream : public rtl::TStream {
public:
  std::int32_t Read(void*, std::int32_t) override { return 0; }
  std::int32_t Write(const void* buffer, std::int32_t count) override {
    if (FailAfter >= 0 && Count + count > FailAfter) throw rtl::EInOutError("Disk full", 112);
    const size_t keep = Head.size() < 4096 ? std::min<size_t>(4096 - Head.size(), static_cast<size_t>(count)) : 0;
    Head.append(static_cast<const char*>(buffer), keep);
    Count += count;
    return count;
  }
  std::int64_t Seek(std::int64_t, rtl::SeekOrigin) override { return Count; }

  std::int64_t Count = 0;
  std::string Head;
  std::int64_t FailAfter = -1;  // a full disk after this many bytes
};

const std::string kOk = "HTTP/1.0 200 OK\r\n";

// A SOCKS 5 server that greets, takes the request and then runs Rest.
THostileServer::TScript Socks5(const std::string& finalReply, std::function<void(THostileConnection&)> rest) {
  return [=](THostileConnection& c) {
    std::string request;
    if (!c.Read(3) || !c.Send(B({5, 0})) || !c.Read(5, &request)) return;
    if (!c.Read(static_cast<unsigned char>(request[4]) + 2u)) return;
    c.Send(finalReply);
    if (rest) rest(c);
  };
}

struct Row {
  const char* name;
  THostileServer::TScript script;
  std::function<void(THttpCli&, TCountingStream&)> setup;
  std::string outcome;  // the exception text, or "body: " and the body
  std::uint16_t doneError;
};

// Raised: the Error that the exception carries beside its status code.
std::string Outcome(THttpCli& http, TCountingStream& body, std::uint16_t* raised = nullptr) {
  try {
    http.Get();
  } catch (const EHttpException& e) {
    if (raised) *raised = e.DoneError;
    EXPECT_EQ(404, e.ErrorCode) << "a failure is status 404 outward";
    return e.Message();
  }
  return "body: " + body.Head;
}

}  // namespace

TEST(HostileServer, EveryMisbehaviourEndsWithAnHonestOutcome) {
  const std::string longName(255, 'n');
  const std::vector<Row> rows = {
      {"endless body under a 2 s limit",
       [&](THostileConnection& c) {
         if (c.ReadRequest() && c.Send(kOk + "\r\n")) c.SendForever(std::string(65536, 'b'));
       },
       [](THttpCli& h, TCountingStream&) { h.Timeout = 2000; }, "HTTP request timed out after 2.0 s",
       httpErrorTimeout},
      {"endless body past the body limit",
       [&](THostileConnection& c) {
         if (c.ReadRequest() && c.Send(kOk + "\r\n")) c.SendForever(std::string(65536, 'b'));
       },
       [](THttpCli& h, TCountingStream&) { h.BodyLimit = 100000; },
       "HTTP body is longer than the limit of 100000 bytes", httpErrorBodyLimit},
      {"endless header of short lines",
       [&](THostileConnection& c) {
         if (c.ReadRequest() && c.Send(kOk)) c.SendForever("X-Fill: 1\r\n");
       },
       [](THttpCli& h, TCountingStream&) { h.Timeout = 2000; }, "HTTP header has more than 256 lines",
       httpErrorHeaderTooLarge},
      {"endless header of long lines",
       [&](THostileConnection& c) {
         if (c.ReadRequest() && c.Send(kOk)) c.SendForever("X-Fill: " + std::string(8000, 'h') + "\r\n");
       },
       [](THttpCli& h, TCountingStream&) { h.Timeout = 2000; }, "HTTP header is longer than 65536 bytes",
       httpErrorHeaderTooLarge},
      {"close before the status line", [](THostileConnection& c) { c.ReadRequest(); }, nullptr,
       "HTTP server closed the connection without a reply", httpErrorNoReply},
      {"close in the middle of the header",
       [](THostileConnection& c) {
         if (c.ReadRequest()) c.Send(kOk + "Content-Ty");
       },
       nullptr, "HTTP server closed the connection in the middle of the header", httpErrorHeaderCut},
      {"header without a status line",
       [](THostileConnection& c) {
         if (c.ReadRequest()) c.Send("Server: x\r\n\r\nbody");
       },
       nullptr, "HTTP reply has no status line", httpErrorNoStatusLine},
      {"header line of 9000 bytes",
       [](THostileConnection& c) {
         if (c.ReadRequest()) c.Send(kOk + "X-Long: " + std::string(8990, 'v') + "\r\n\r\nbody");
       },
       nullptr, "HTTP line too long", httpErrorLineTooLong},
      {"content length that is not a number",
       [](THostileConnection& c) {
         if (c.ReadRequest()) c.Send(kOk + "Content-Length: lots\r\n\r\nbody");
       },
       nullptr, "'lots' is not a valid integer value", httpErrorData},
      {"body that the disk cannot take",
       [](THostileConnection& c) {
         if (c.ReadRequest()) c.Send(kOk + "\r\n" + std::string(5000, 'b'));
       },
       [](THttpCli&, TCountingStream& s) { s.FailAfter = 1000; }, "Disk full", httpErrorData},
      {"headerless HTML whose last line has no line end",
       [](THostileConnection& c) {
         if (c.ReadRequest()) c.Send("<html><body>\r\nsecond\r\nthird-no-eol");
       },
       nullptr, "body: <html><body>secondthird-no-eol", 0},
      {"HTML after the status line",
       [](THostileConnection& c) {
         if (c.ReadRequest()) c.Send(kOk + "<HTML>page\r\nmore");
       },
       nullptr, "body: <HTML>pagemore", 0},
      {"SOCKS server that closes after the greeting",
       [](THostileConnection& c) { c.Read(3); },
       [](THttpCli& h, TCountingStream&) { h.SocksServer = "127.0.0.1"; },
       "SOCKS server closed the connection during the handshake (Error #10053)", 10053},
      {"SOCKS server that closes after the request",
       [](THostileConnection& c) {
         std::string request;
         if (c.Read(3) && c.Send(B({5, 0})) && c.Read(5, &request))
           c.Read(static_cast<unsigned char>(request[4]) + 2u);
       },
       [](THttpCli& h, TCountingStream&) { h.SocksServer = "127.0.0.1"; },
       "SOCKS server closed the connection during the handshake (Error #10053)", 10053},
      {"SOCKS 5 grant with a bound name of 255 bytes",
       Socks5(B({5, 0, 0, 3, 255}) + longName + B({0x1F, 0x90}),
              [](THostileConnection& c) {
                if (c.ReadRequest()) c.Send(kOk + "\r\nthrough");
              }),
       [](THttpCli& h, TCountingStream&) { h.SocksServer = "127.0.0.1"; }, "body: through", 0},
  };
  for (const Row& row : rows) {
    THostileServer server(row.script);
    THttpCli http(nullptr);
    TCountingStream body;
    http.ReceiveStream = &body;
    http.Timeout = 10000;
    http.URL = server.Base() + "/page";
    if (row.setup) row.setup(http, body);
    if (!http.SocksServer.empty()) {
      // The destination is dotted, so the client's own lookup answers at
      // once; the SOCKS server is the hostile one.
      http.SocksPort = server.Port();
      http.URL = "http://127.0.0.1:81/page";
    }
    std::uint16_t raised = 0;
    EXPECT_EQ(row.outcome, Outcome(http, body, &raised)) << row.name;
    EXPECT_EQ(row.doneError, http.DoneError()) << row.name;
    EXPECT_EQ(row.doneError, raised) << row.name;
    EXPECT_EQ(hsReady, http.State()) << row.name;
    EXPECT_LE(http.HeaderLines().size(), static_cast<size_t>(kMaxHeaderLines)) << row.name;
    if (http.BodyLimit > 0) {
      EXPECT_EQ(http.BodyLimit, body.Count) << row.name;
    }
    if (body.FailAfter < 0) {
      EXPECT_EQ(body.Count, http.ReceivedCount()) << row.name;
    }
  }
}

TEST(HostileServer, FailuresReachOnRequestDoneWithAnError) {
  THostileServer server([](THostileConnection& c) {
    if (c.ReadRequest()) c.Send(kOk + "Content-Ty");
  });
  THttpCli http(nullptr);
  http.URL = server.Base() + "/";
  int done = -1;
  http.OnRequestDone = [&](THttpCli&, THttpRequest, std::uint16_t error) { done = error; };
  http.StartRequest(httpGET);
  ASSERT_TRUE(PumpUntil([&] { return done >= 0; }));
  EXPECT_EQ(httpErrorHeaderCut, done);
  EXPECT_EQ(404, http.StatusCode());
  EXPECT_EQ("HTTP server closed the connection in the middle of the header", http.ReasonPhrase());
}

TEST(HostileServer, QuitDuringGetEndsTheRequestAndStaysQueued) {
  // The server answers the request by asking the program to end.
  TWSocket listening(nullptr);
  std::unique_ptr<TWSocket> connection;
  listening.SetAddr("127.0.0.1");
  listening.SetPort("0");
  listening.OnSessionAvailable = [&](TCustomWSocket&, std::uint16_t) {
    connection = std::make_unique<TWSocket>(nullptr);
    connection->OnDataAvailable = [](TCustomWSocket& s, std::uint16_t) {
      if (s.ReceiveText().find("\r\n\r\n") == std::string::npos) return;
      s.SendText(kOk + "\r\npartial page");
      ::PostQuitMessage(7);
    };
    connection->Dup(listening.Accept());
  };
  listening.Listen();
  THttpCli http(nullptr);
  TCountingStream body;
  http.ReceiveStream = &body;
  http.URL = "http://127.0.0.1:" + listening.LocalPort() + "/";
  http.Timeout = 10000;
  std::uint16_t raised = 0;
  EXPECT_EQ("HTTP request ended: the program is closing", Outcome(http, body, &raised));
  EXPECT_EQ(httpErrorQuit, http.DoneError());
  EXPECT_EQ(httpErrorQuit, raised) << "the caller can tell the program's end from a failed page";
  MSG msg;
  ASSERT_TRUE(::PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) << "the program's own loop still ends";
  EXPECT_EQ(7u, msg.wParam);
}

namespace {
// Its socket is busy when the lookup is to start, so the socket reports the
// refusal through its error handler instead of raising.
class TBusySocketHttpCli : public THttpCli {
public:
  using THttpCli::THttpCli;

protected:
  void StartLookup() override {
    Socket().SetAddr("127.0.0.1");
    Socket().SetPort("0");
    Socket().Listen();
    THttpCli::StartLookup();
  }
};
}  // namespace

TEST(HostileServer, LookupThatCannotStartEndsTheRequest) {
  TBusySocketHttpCli http(nullptr);
  http.URL = "http://localhost/";
  http.Timeout = 10000;
  std::string text;
  try {
    http.Get();
  } catch (const EHttpException& e) {
    text = e.Message();
  }
  EXPECT_EQ("Cannot change LocalAddr if not closed", text) << "the failure itself ends the request";
  EXPECT_EQ(hsReady, http.State());
}
