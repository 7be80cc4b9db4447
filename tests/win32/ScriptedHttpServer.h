#pragma once
// An HTTP server of the tests' own on loopback, on the test's thread: each
// connection gets the answer the test scripts for its request, and the
// server records every request it got.

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "net/HttpCli.h"
#include "net/LineWSocket.h"
#include "rtl/core/Streams.h"

struct ScriptedHttpServer {
  // Answer(request) gives the response; "" keeps the connection silent.
  explicit ScriptedHttpServer(std::function<std::string(const std::string&)> answer) : Answer(std::move(answer)) {
    listening.SetAddr("127.0.0.1");
    listening.SetPort("0");
    listening.OnSessionAvailable = [this](TCustomWSocket&, std::uint16_t) {
      auto connection = std::make_shared<Connection>();
      connection->socket = std::make_unique<TWSocket>(nullptr);
      Connection* c = connection.get();
      c->socket->OnDataAvailable = [this, c](TCustomWSocket& s, std::uint16_t) {
        c->request += s.ReceiveText();
        if (c->answered || !Complete(c->request)) return;
        c->answered = true;
        requests.push_back(c->request);
        const std::string response = Answer(c->request);
        if (response.empty()) return;
        s.SendText(response);
        s.Flush();
        if (closeAfterAnswer && !(holdAfter && holdAfter(c->request))) s.CloseLater();
      };
      c->socket->OnSessionClosed = [this](TCustomWSocket&, std::uint16_t) { ++closed; };
      c->socket->Dup(listening.Accept());
      connections.push_back(connection);
    };
    listening.Listen();
  }
  std::string Base() const { return "http://127.0.0.1:" + listening.LocalPort(); }

  // The header is there, and as much body as it announced.
  static bool Complete(const std::string& request) {
    const size_t end = request.find("\r\n\r\n");
    if (end == std::string::npos) return false;
    const size_t at = request.find("\r\nContent-Length: ");
    if (at == std::string::npos || at > end) return true;
    return request.size() - end - 4 >= std::stoul(request.substr(at + 18));
  }

  struct Connection {
    std::unique_ptr<TWSocket> socket;
    std::string request;
    bool answered = false;
  };
  std::function<std::string(const std::string&)> Answer;
  bool closeAfterAnswer = true;
  // The connections whose requests it names stay open after the answer.
  std::function<bool(const std::string&)> holdAfter;
  TWSocket listening{nullptr};
  std::vector<std::shared_ptr<Connection>> connections;
  std::vector<std::string> requests;
  // Connections that the client closed, or that the server closed itself.
  int closed = 0;
};

inline std::string FirstLine(const std::string& request) { return request.substr(0, request.find("\r\n")); }

inline std::string Body(THttpCli& http, const std::string& url) {
  rtl::TMemoryStream stream;
  http.URL = url;
  http.ReceiveStream = &stream;
  http.Get();
  http.ReceiveStream = nullptr;
  return stream.ToString();
}
