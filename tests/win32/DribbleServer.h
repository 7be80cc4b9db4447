#pragma once
// A one-connection server on its own thread with blocking sockets: it reads
// the request up to its empty line, then answers one byte per segment with a
// pause after each, so the client sees its reply cut at every offset.

#include <atomic>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

class TLoopbackListener;

class TDribbleServer {
public:
  explicit TDribbleServer(std::string response);
  ~TDribbleServer();
  TDribbleServer(const TDribbleServer&) = delete;
  TDribbleServer& operator=(const TDribbleServer&) = delete;

  std::string Base() const;
  // The request as received (complete once the client has its answer).
  std::string Request() const {
    std::lock_guard<std::mutex> lock(FMutex);
    return FRequest;
  }

private:
  void Run();

  std::string FResponse, FRequest;
  mutable std::mutex FMutex;
  std::unique_ptr<TLoopbackListener> FListener;
  std::atomic<bool> FStop{false};
  std::thread FThread;
};
