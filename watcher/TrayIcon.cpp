#include "watcher/TrayIcon.h"

#include <cstring>

#include "watcher/WatcherControlIds.h"
#include "watcher/core/TrayTip.h"

static_assert(sizeof(void*) != 4 || NOTIFYICONDATAA_V1_SIZE == 88, "the first form of the record is 88 bytes");

TTrayIcon::TTrayIcon() { std::memset(&FData, 0, sizeof FData); }

void TTrayIcon::Fill(HWND window, HICON icon, const std::string& tip) {
  std::memset(&FData, 0, sizeof FData);
  // The first form: the shells of every Windows read it, and none reads
  // the fields after the tip.
  FData.cbSize = NOTIFYICONDATAA_V1_SIZE;
  FData.hWnd = window;
  FData.uID = kTrayIconID;
  FData.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
  FData.uCallbackMessage = kTrayCallbackMessage;
  FData.hIcon = icon;
  char tipText[kTrayTipRoom];
  CopyTrayTip(tip, tipText);
  std::memcpy(FData.szTip, tipText, kTrayTipRoom);
}

bool TTrayIcon::Add() { return ::Shell_NotifyIconA(NIM_ADD, &FData) != FALSE; }

bool TTrayIcon::Modify() { return ::Shell_NotifyIconA(NIM_MODIFY, &FData) != FALSE; }

bool TTrayIcon::Delete(HICON icon) {
  Fill(FData.hWnd, icon, "");
  return ::Shell_NotifyIconA(NIM_DELETE, &FData) != FALSE;
}
