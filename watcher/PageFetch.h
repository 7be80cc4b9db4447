#pragma once
// The page fetch of the watch cycle: up to four attempts with the settings
// window's HTTP client, through the proxy of the proxy dialog, within a
// size and a time limit.

#include <string>

#include "net/HttpCli.h"
#include "watcher/frmProxy.h"

class TPageFetch {
public:
  explicit TPageFetch(THttpCli& client) : FClient(client) {}

  // The bytes of the first attempt that got a page; empty when none did.
  // Raises the silent cancellation when the program ends meanwhile.
  std::string Get(const std::string& url, const TProxySettings& proxy);

private:
  void ApplyProxy(const TProxySettings& proxy);

  THttpCli& FClient;
};
