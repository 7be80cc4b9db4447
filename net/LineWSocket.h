#pragma once
// The line layer of the socket: in line mode, received bytes are collected
// and OnDataAvailable fires once per complete line, a read inside the
// handler returning exactly that line. Echo, simple line editing and a size
// limit come with it. With line mode off (the default) it is transparent.

#include <functional>
#include <string>

#include "net/TlsWSocket.h"
#include "net/core/LineBuffer.h"

class TCustomLineWSocket : public TCustomTlsWSocket {
public:
  static constexpr UINT WM_LINE_RETRIGGER = WM_USER + 20;

  using TCustomTlsWSocket::TCustomTlsWSocket;

  bool LineMode() const { return FLineMode; }
  // Refused on a connection that runs TLS.
  void SetLineMode(bool value);
  int LineLimit = 65536;  // 0 or less: no limit
  const std::string& LineEnd() const { return FLine.LineEnd; }
  void SetLineEnd(const std::string& value) { FLine.LineEnd = value; }
  bool LineEcho() const { return FLine.LineEcho; }
  void SetLineEcho(bool value) { FLine.LineEcho = value; }
  bool LineEdit() const { return FLine.LineEdit; }
  void SetLineEdit(bool value) { FLine.LineEdit = value; }

  int RcvdCount() override;
  // Line mode does not run over TLS: refused while line mode is on.
  void StartTls(const std::string& host, const std::string& early = std::string()) override;

  std::function<void(TCustomWSocket&, int rcvdLength, bool& clearData)> OnLineLimitExceeded;

protected:
  LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam) override;
  int RawReceive(void* buffer, int size, int flags) override;
  bool TriggerDataAvailable(std::uint16_t error) override;
  void TriggerSessionClosed(std::uint16_t error) override;

private:
  // Delivers the complete lines held; false when nothing was consumed.
  bool DeliverLines();
  void CheckLimit();

  bool FLineMode = false;
  TLineBuffer FLine;
  int FLineLength = 0;
  bool FFilling = false;
};

// Waiting for a socket event: the message loop keeps turning until a flag
// is set, the time limit passes or the program ends.
class TCustomSyncWSocket : public TCustomLineWSocket {
public:
  using TCustomLineWSocket::TCustomLineWSocket;

  // Milliseconds a wait may take; 0 is no limit.
  int TimeLimit = 0;
  // 0 once Flag is set; 12001 when the time limit passed or the program or
  // the socket's own loop met the end of the message loop.
  int WaitUntilSet(const bool& flag);
  // Clears Flag, runs Proc (when given), then waits for Flag.
  int RunAndWait(const std::function<void()>& proc, bool& flag);
};

// The socket the programs use: plain, with its SOCKS, line and wait layers.
class TWSocket : public TCustomSyncWSocket {
public:
  using TCustomSyncWSocket::TCustomSyncWSocket;
};
