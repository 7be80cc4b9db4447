#pragma once
// The watch cycle end to end: options written into the registry, a page
// server on loopback, the hosts file of the Wine prefix kept and put back,
// and the outcome read where the watcher shows it.

#include <memory>
#include <string>

#include "tests/watcher/PageServer.h"
#include "tests/watcher/WatcherFixture.h"

std::string ReadFileBytes(const std::string& path);
void WriteFileBytes(const std::string& path, const std::string& bytes);
std::string HostsPath();

// The state picture of a tray record: 1 searching, 2 house, 3 globe,
// 4 warning sign; 0 for none of them.
int TrayPicture(const TrayRecord& record);

class WatcherCycle : public Watcher {
protected:
  void SetUp() override;
  void TearDown() override;

  // Page source, no intranet check, hosts and text file on for the host
  // name "server", a long interval; tests change what they need after it.
  void PageOptions(const std::string& url, const std::string& before = "", const std::string& after = "");
  void StartInTray();
  // Waits until the shell has received Count modifications of the icon.
  bool WaitForModify(size_t count);
  // Waits until "Location" reads Text.
  bool WaitForLocation(const std::string& text);
  bool WaitForFile(const std::string& path, const std::string& bytes);
  const TrayRecord& LastModify() { return *tray->Last(NIM_MODIFY); }
  // The info dialog's state label's width; bold text is wider.
  int LabelWidth(int id);
  // Ends the watcher as the title bar's close button does, while its first
  // cycle waits: it ends at once and cleanly, and no outcome reaches the
  // tray or "Location", before the icon went or after.
  void CloseShowsNoOutcome();

  std::string TextFile;
  std::unique_ptr<TPageServer> server;

private:
  std::string FSavedHosts;
  bool FHadHosts = false;
};
