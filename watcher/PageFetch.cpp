#include "watcher/PageFetch.h"

#include <windows.h>

#include "rtl/core/Exceptions.h"
#include "rtl/core/Streams.h"

namespace {

constexpr int kFetchAttempts = 4;
constexpr DWORD kFetchRetryWait = 1000;
// A hostile page can neither fill the memory nor hold the watch for long.
constexpr std::int64_t kPageLimit = 1024 * 1024;
constexpr int kFetchTimeLimit = 30000;

}  // namespace

std::string TPageFetch::Get(const std::string& url, const TProxySettings& proxy) {
  for (int attempt = 0; attempt < kFetchAttempts; ++attempt) {
    if (attempt > 0) ::Sleep(kFetchRetryWait);
    // OK can run a cycle while another one waits in Get: the client is
    // busy, and its stream and URL belong to that request.
    if (FClient.State() != hsReady) continue;
    // A fresh stream each time: a failed attempt's bytes never stand
    // before the next attempt's page.
    rtl::TMemoryStream stream;
    bool fetched = false, quitting = false;
    try {
      ApplyProxy(proxy);
      FClient.URL = url;
      FClient.ReceiveStream = &stream;
      FClient.BodyLimit = kPageLimit;
      FClient.Timeout = kFetchTimeLimit;
      FClient.Get();
      fetched = true;
    } catch (const EHttpException&) {
      // The exception carries the status (404 for every local failure);
      // the reason is the client's own error number.
      quitting = FClient.DoneError() == httpErrorQuit;
    } catch (const std::exception&) {
      // A failed attempt.
    }
    FClient.ReceiveStream = nullptr;
    // The program is ending: no more attempts, and no outcome.
    if (quitting) rtl::Abort();
    if (fetched) return stream.ToString();
  }
  return std::string();
}

void TPageFetch::ApplyProxy(const TProxySettings& proxy) {
  if (proxy.Enabled) {
    FClient.Proxy = proxy.Host;
    FClient.ProxyPort = proxy.Port;
    FClient.ProxyUsername = proxy.Username;
    FClient.ProxyPassword = proxy.Password;
  } else {
    FClient.Proxy.clear();
    FClient.ProxyPort = "80";
    FClient.ProxyUsername.clear();
    FClient.ProxyPassword.clear();
  }
}
