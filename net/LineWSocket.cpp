#include "net/LineWSocket.h"

#include <vector>

#include "rtl/win32/Application.h"

void TCustomLineWSocket::SetLineMode(bool value) {
  if (value == FLineMode) return;
  if (value && TlsStarted()) return RaiseError("Line mode does not run over TLS");
  FLineMode = value;
  if ((FLine.Held() > 0 || FLineLength > 0) && WindowHandle())
    ::PostMessageA(WindowHandle(), WM_LINE_RETRIGGER, 0, 0);
}

int TCustomLineWSocket::RcvdCount() {
  if (FLineMode) return FLineLength;
  return TCustomTlsWSocket::RcvdCount();
}

void TCustomLineWSocket::StartTls(const std::string& host, const std::string& early) {
  if (FLineMode) return RaiseError("StartTls: line mode does not run over TLS");
  TCustomTlsWSocket::StartTls(host, early);
}

int TCustomLineWSocket::RawReceive(void* buffer, int size, int flags) {
  // The layer's own read of new bytes goes past its buffer: serving the
  // pending line there would move it behind the lines after it.
  if (FFilling) return TCustomTlsWSocket::RawReceive(buffer, size, flags);
  if (FLineMode && FLineLength > 0) return FLine.ReadLine(static_cast<char*>(buffer), size, FLineLength);
  if (!FLineMode && FLine.Held() > 0) return FLine.ReadFront(static_cast<char*>(buffer), size);
  return TCustomTlsWSocket::RawReceive(buffer, size, flags);
}

bool TCustomLineWSocket::DeliverLines() {
  bool consumed = false;
  while (FLineMode) {
    // A line that a handler left unread is still the first to go.
    if (FLineLength == 0) {
      const int length = FLine.FindLine();
      if (length == 0) break;
      FLineLength = length;
    }
    while (FLineMode && FLineLength > 0) {
      const int before = FLineLength;
      if (!TCustomTlsWSocket::TriggerDataAvailable(0)) {
        FLine.RemoveFront(FLineLength);  // no handler: the line is dropped
        FLineLength = 0;
      }
      // A handler that reads nothing would be called for ever; the line
      // waits for the next retrigger instead.
      if (FLineLength == before) return consumed;
    }
    consumed = true;
  }
  return consumed;
}

void TCustomLineWSocket::CheckLimit() {
  if (LineLimit <= 0 || FLine.Held() <= LineLimit) return;
  bool clearData = true;
  if (OnLineLimitExceeded) OnLineLimitExceeded(*this, FLine.Held(), clearData);
  if (clearData) {
    FLine.Clear();
    FLineLength = 0;
  }
}

bool TCustomLineWSocket::TriggerDataAvailable(std::uint16_t error) {
  if (!FLineMode || FLine.LineEnd.empty() || Negotiating()) return TCustomTlsWSocket::TriggerDataAvailable(error);
  int n = TCustomTlsWSocket::RcvdCount();
  if (n < 0) return true;
  if (n == 0) n = 255;
  std::vector<char> bytes(static_cast<size_t>(n));
  struct TFilling {
    bool& flag;
    explicit TFilling(bool& f) : flag(f) { flag = true; }
    ~TFilling() { flag = false; }
  };
  int got;
  {
    TFilling filling(FFilling);
    got = Receive(bytes.data(), n);
  }
  if (got <= 0) return true;
  for (const std::string& echo : FLine.Add(bytes.data(), got)) Send(echo.data(), static_cast<int>(echo.size()));
  DeliverLines();
  if (FLineMode) CheckLimit();
  return true;
}

LRESULT TCustomLineWSocket::WndProc(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message != WM_LINE_RETRIGGER) return TCustomTlsWSocket::WndProc(message, wParam, lParam);
  TFrame frame(*this);
  try {
    // Bounded: every pass must consume something.
    for (int pass = 0; pass < 100000 && FLine.Held() > 0; ++pass) {
      const int held = FLine.Held();
      if (FLineMode) {
        if (!DeliverLines()) break;
      } else {
        TCustomTlsWSocket::TriggerDataAvailable(0);
        if (FLine.Held() == held) break;
      }
    }
  } catch (const std::exception& e) {
    HandleEventException(e);
  }
  return 0;
}

void TCustomLineWSocket::TriggerSessionClosed(std::uint16_t error) {
  // What is left of a line is delivered as a last line.
  if (FLineMode && FLine.Held() > 0) {
    FLineLength = FLine.Held();
    for (int pass = 0; pass < 100000 && FLineMode && FLineLength > 0; ++pass) {
      const int before = FLineLength;
      if (!TCustomTlsWSocket::TriggerDataAvailable(0)) break;
      if (FLineLength == before) break;
    }
  }
  FLine.Clear();
  FLineLength = 0;
  TCustomTlsWSocket::TriggerSessionClosed(error);
}

int TCustomSyncWSocket::WaitUntilSet(const bool& flag) {
  TFrame frame(*this);
  const auto ended = [this] { return rtl::Application().Terminated() || QuitSeen(); };
  rtl::WaitForMessages([&] { return flag || ended(); }, TimeLimit > 0 ? static_cast<DWORD>(TimeLimit) : 0,
                         rtl::TWake::OnMessages);
  return flag ? 0 : 12001;
}

int TCustomSyncWSocket::RunAndWait(const std::function<void()>& proc, bool& flag) {
  flag = false;
  if (proc) proc();
  return WaitUntilSet(flag);
}
