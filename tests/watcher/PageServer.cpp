#include "tests/watcher/PageServer.h"

#include <winsock2.h>

#include "tests/win32/LoopbackSocket.h"

TPageServer::TPageServer() : FListener(std::make_unique<TLoopbackListener>("page server")) {
  FThread = std::thread([this] { Run(); });
}

TPageServer::~TPageServer() {
  FStop = true;
  FThread.join();
}

std::string TPageServer::Url(const std::string& path) const {
  return "http://127.0.0.1:" + std::to_string(FListener->Port()) + path;
}

void TPageServer::SetPage(const std::string& body) {
  std::lock_guard<std::mutex> lock(FMutex);
  FPage = body;
}

void TPageServer::SetDropping(bool dropping) {
  std::lock_guard<std::mutex> lock(FMutex);
  FDropping = dropping;
}

void TPageServer::FailNext(int count, const std::string& body) {
  std::lock_guard<std::mutex> lock(FMutex);
  FFailing = count;
  FFailBody = body;
}

void TPageServer::EmptyOnceHeld() {
  std::lock_guard<std::mutex> lock(FMutex);
  FEmptyHeld = true;
}

std::string TPageServer::LastRequest() const {
  std::lock_guard<std::mutex> lock(FMutex);
  return FLastRequest;
}

void TPageServer::Run() {
  while (!FStop) {
    const SOCKET c = AcceptWithin10s(FListener->Socket(), FStop);
    if (c == INVALID_SOCKET) continue;
    Serve(c);
    ::shutdown(c, SD_SEND);
    ::closesocket(c);
  }
}

void TPageServer::Serve(unsigned long long socket) {
  const SOCKET c = static_cast<SOCKET>(socket);
  ++FConnections;
  std::string request;
  char buffer[4096];
  for (int slice = 0; slice < 50 && !FStop && request.find("\r\n\r\n") == std::string::npos; ++slice) {
    if (!SocketReady(c, false)) continue;
    const int n = ::recv(c, buffer, sizeof buffer, 0);
    if (n <= 0) return;
    request.append(buffer, static_cast<size_t>(n));
    if (request.size() > 65536) return;
  }
  for (int slice = 0; slice < 300 && FHolding && !FStop; ++slice) ::Sleep(100);
  std::string page, status = "200 OK";
  bool held = false;
  {
    std::lock_guard<std::mutex> lock(FMutex);
    FLastRequest = request;
    if (FDropping) return;
    page = FPage;
    held = FEmptyHeld;
    FEmptyHeld = false;
    if (held) page.clear();
    if (FFailing > 0) {
      --FFailing;
      page = FFailBody;
      status = "500 Internal Server Error";
    }
  }
  const std::string answer = "HTTP/1.0 " + status + "\r\nContent-Type: text/html\r\nContent-Length: " +
                             std::to_string(page.size()) + "\r\nConnection: close\r\n\r\n" + page;
  size_t at = 0;
  for (int slice = 0; slice < 50 && !FStop && at < answer.size(); ++slice) {
    if (!SocketReady(c, true)) continue;
    const int n = ::send(c, answer.data() + at, static_cast<int>(answer.size() - at), 0);
    if (n <= 0) return;
    at += static_cast<size_t>(n);
  }
  // Held: until the client closes (a read that ends), or 60 s.
  for (int slice = 0; held && slice < 600 && !FStop; ++slice) {
    if (!SocketReady(c, false)) continue;
    if (::recv(c, buffer, sizeof buffer, 0) > 0) continue;
    FHeldClosed = true;
    return;
  }
}
