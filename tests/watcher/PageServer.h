#pragma once
// A page server on loopback for the watcher's end-to-end tests, on its own
// thread with blocking sockets: every connection gets the page that is set
// now, or is dropped without an answer. Everything it waits for is bounded.

#include <atomic>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

class TLoopbackListener;

class TPageServer {
public:
  TPageServer();
  ~TPageServer();
  TPageServer(const TPageServer&) = delete;
  TPageServer& operator=(const TPageServer&) = delete;

  std::string Url(const std::string& path = "/ip") const;
  // The body of the next answers (status 200).
  void SetPage(const std::string& body);
  // Drop: close every connection without an answer.
  void SetDropping(bool dropping);
  // While holding, answers wait after the request (at most 30 s, in
  // slices, so that the destructor still ends the wait).
  void SetHolding(bool holding) { FHolding = holding; }
  // The next Count connections get status 500 with Body.
  void FailNext(int count, const std::string& body);
  // The next connection gets an empty page ("Content-Length: 0") and stays
  // open after it until the client closes it (at most 60 s); no other
  // connection is served meanwhile.
  void EmptyOnceHeld();
  // The client has closed that connection.
  bool HeldClosed() const { return FHeldClosed; }
  int Connections() const { return FConnections; }
  // The last request's bytes up to its empty line.
  std::string LastRequest() const;

private:
  void Run();
  void Serve(unsigned long long socket);

  std::unique_ptr<TLoopbackListener> FListener;
  mutable std::mutex FMutex;
  std::string FPage, FLastRequest;
  bool FDropping = false;
  int FFailing = 0;
  bool FEmptyHeld = false;
  std::string FFailBody;
  std::atomic<int> FConnections{0};
  std::atomic<bool> FHolding{false};
  std::atomic<bool> FHeldClosed{false};
  std::atomic<bool> FStop{false};
  std::thread FThread;
};
