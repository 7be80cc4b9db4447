#pragma once
// A one-connection server on its own thread with blocking sockets that
// plays a script against the client: it can answer wrongly, stop in the
// middle, or send without end. Everything it does is bounded in time, so a
// client that hangs fails its test instead of hanging the run.

#include <atomic>
#include <memory>
#include <cstdint>
#include <functional>
#include <string>
#include <thread>

class TLoopbackListener;

class THostileConnection {
public:
  explicit THostileConnection(unsigned long long socket, const std::atomic<bool>& stop)
      : FSocket(socket), FStop(stop) {}
  // Reads up to and including the empty line that ends an HTTP request.
  bool ReadRequest();
  // Reads exactly Count bytes.
  bool Read(size_t count, std::string* into = nullptr);
  bool Send(const std::string& bytes);
  // Sends Piece again and again until the client goes away (or 30 s pass).
  void SendForever(const std::string& piece);
  std::uint64_t Sent() const { return FSent; }

private:
  unsigned long long FSocket;
  const std::atomic<bool>& FStop;
  std::uint64_t FSent = 0;
};

class THostileServer {
public:
  using TScript = std::function<void(THostileConnection&)>;
  explicit THostileServer(TScript script);
  ~THostileServer();
  THostileServer(const THostileServer&) = delete;
  THostileServer& operator=(const THostileServer&) = delete;

  std::string Port() const;
  std::string Base() const { return "http://127.0.0.1:" + Port(); }
  // Bytes the script sent (final once the server has been destroyed).
  std::uint64_t Sent() const { return FSent; }

private:
  void Run();

  TScript FScript;
  std::unique_ptr<TLoopbackListener> FListener;
  std::atomic<bool> FStop{false};
  std::atomic<std::uint64_t> FSent{0};
  std::thread FThread;
};
