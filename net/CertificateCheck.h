#pragma once
// The check of a server's certificate (TlsCertificate.h) on a thread of its
// own: fetching revocation lists may take seconds, and the thread that runs
// the program's windows must never wait for it. The verdict is posted to a
// window; the check may be dropped at any time (its connection closed, its
// socket freed), and the thread then finishes alone and frees what it used.

#include <windows.h>

#include <string>

#include "net/SecurityLib.h"

class TCertificateCheck {
public:
  // Takes over Certificate (freed when the check is done with it) and
  // starts the thread, which posts Message with Id as wParam to Window when
  // the verdict is known. Raises ESocketException when no thread starts.
  TCertificateCheck(PCCERT_CONTEXT certificate, const std::string& host, HWND window, UINT message, WPARAM id);
  ~TCertificateCheck();
  TCertificateCheck(const TCertificateCheck&) = delete;
  TCertificateCheck& operator=(const TCertificateCheck&) = delete;

  WPARAM Id() const;
  // True once the verdict is known; then Problem is empty for a trusted
  // certificate, or says why it is not.
  bool Done() const;
  const std::string& Problem() const;

private:
  struct TJob;
  static DWORD WINAPI Run(LPVOID job);
  static void Release(TJob* job);
  TJob* FJob;
};
