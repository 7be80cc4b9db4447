#pragma once
// The asynchronous socket: a non-blocking TCP/UDP socket for a one-thread
// window-message program. Windows Sockets posts the socket's network events
// and name-lookup results to the socket's hidden window; the component turns
// them into events. Sending copies into a queue of chunks and never blocks.

#include <winsock2.h>
#include <windows.h>

#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "net/WSocketLib.h"
#include "net/core/SendQueue.h"
#include "rtl/core/Component.h"
#include "rtl/win32/Window.h"

enum TSocketState { wsInvalidState, wsOpened, wsBound, wsConnecting, wsConnected, wsAccepting, wsListening, wsClosed };
enum TSocketSendFlags { wsSendNormal, wsSendUrgent };
enum TSocketLingerOnOff { wsLingerOff, wsLingerOn, wsLingerNoSet };
enum TWSocketOption { wsoNoReceiveLoop = 1, wsoTcpNoDelay = 2 };

class TCustomWSocket : public rtl::TComponent {
public:
  static constexpr UINT WM_SOCKET_EVENT = WM_USER + 1;
  static constexpr UINT WM_LOOKUP_DONE = WM_USER + 2;
  static constexpr UINT WM_REVERSE_LOOKUP_DONE = WM_USER + 3;
  static constexpr UINT WM_CLOSE_LATER = WM_USER + 4;
  static constexpr UINT WM_RELEASE_LATER = WM_USER + 5;
  static constexpr UINT WM_TEST_EXCEPTION = WM_USER + 6;

  explicit TCustomWSocket(rtl::TComponent* owner);
  ~TCustomWSocket() override;

  // Destination and local side. Changing them is refused unless closed.
  const std::string& Addr() const { return FAddrStr; }
  void SetAddr(const std::string& value);
  const std::string& Port() const { return FPortStr; }
  virtual void SetPort(const std::string& value);
  const std::string& Proto() const { return FProtoStr; }
  virtual void SetProto(const std::string& value);
  const std::string& LocalAddr() const { return FLocalAddr; }
  void SetLocalAddr(const std::string& value);
  const std::string& LocalPort() const { return FLocalPortStr; }
  void SetLocalPort(const std::string& value);

  TSocketState State() const { return FState; }
  SOCKET Handle() const { return FSocket.Get(); }
  HWND WindowHandle() const;
  int LastError() const { return FLastError; }
  // The text of the last failure reported through OnError (the handler
  // itself gets no text).
  const std::string& LastErrorMessage() const { return FLastErrorMessage; }
  std::int32_t ReadCount() const { return FReadCount; }
  virtual int RcvdCount();
  std::string PeerAddr();
  std::string PeerPort();
  const std::string& DnsResult() const { return FDnsResult; }
  const std::vector<std::string>& DnsResultList() const { return FDnsResultList; }

  TSocketSendFlags SendFlags() const { return FSendFlags; }
  void SetSendFlags(int value);
  TSocketLingerOnOff LingerOnOff = wsLingerOn;
  int LingerTimeout = 0;
  unsigned ComponentOptions = 0;
  bool MultiThreaded = false;
  // Datagram options.
  bool MultiCast = false;
  std::string MultiCastAddrStr;
  int MultiCastIpTTL = 1;
  bool ReuseAddr = false;

  virtual void Connect();
  void Close() { CloseSocketHandle(true, 0); }
  void Abort();
  void CloseLater();
  void ReleaseLater();
  void Shutdown(int how);
  void Flush();
  void Pause();
  void Resume();
  virtual void Listen();
  SOCKET Accept();
  void Dup(SOCKET accepted);

  int Send(const void* data, int length);
  int SendText(const std::string& text);
  int Receive(void* buffer, int size);
  // Datagrams: one to the given address, one from whoever sent it.
  int SendTo(const sockaddr_in& dest, const void* data, int length);
  int ReceiveFrom(void* buffer, int size, sockaddr_in& from);
  // The local side as bound: "error" unless bound, connected or listening.
  std::string GetXAddr();
  std::string GetXPort();
  std::string ReceiveText();

  void DnsLookup(const std::string& hostName);
  void ReverseDnsLookup(const std::string& addrText);
  void CancelLookup();
  void PumpMessages();

  // Events. Error is 0 or a Windows Sockets error number.
  std::function<void(TCustomWSocket&, TSocketState oldState, TSocketState newState)> OnChangeState;
  std::function<void(TCustomWSocket&, std::uint16_t)> OnDnsLookupDone;
  std::function<void(TCustomWSocket&, std::uint16_t)> OnSessionConnected;
  std::function<void(TCustomWSocket&, std::uint16_t)> OnDataAvailable;
  std::function<void(TCustomWSocket&, std::uint16_t)> OnDataSent;
  std::function<void(TCustomWSocket&, int bytesSent)> OnSendData;
  std::function<void(TCustomWSocket&, std::uint16_t)> OnSessionClosed;
  std::function<void(TCustomWSocket&, std::uint16_t)> OnSessionAvailable;
  std::function<void(TCustomWSocket&)> OnError;
  std::function<void(TCustomWSocket&, const std::exception&, bool& canClose)> OnBgException;

protected:
  class TSocketWindow;
  virtual LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam);
  virtual void ResetToDefaults();
  virtual void CloseSocketHandle(bool doShutdown, int error);
  virtual int RawReceive(void* buffer, int size, int flags);
  virtual int RawSend(const void* data, int length);
  virtual void RaiseError(const std::string& msg);
  virtual void HandleEventException(const std::exception& e);
  virtual bool TriggerDataAvailable(std::uint16_t error);
  virtual void TriggerSessionConnected(std::uint16_t error);
  virtual void TriggerSessionClosed(std::uint16_t error);
  virtual void TriggerDataSent(std::uint16_t error);
  virtual void TriggerSessionAvailable(std::uint16_t error);
  virtual void TriggerDnsLookupDone(std::uint16_t error);
  void ReportSocketError(const std::string& step);
  void ChangeState(TSocketState newState);
  // Options are ComponentOptions, plus kDrainAll at a close, when every
  // pending byte is delivered before the close is reported.
  static constexpr unsigned kDrainAll = 0x10000;
  static constexpr int kReceivePasses = 100000;
  static constexpr DWORD kReceiveSliceMs = 100;
  void ReceiveLoop(std::uint16_t error, unsigned options);
  void TryToSend();
  void ApplyLinger();
  void BindLocal();
  void ResolveDestination(const std::string& what, bool forListen);

  bool QuitSeen() const { return FTerminated; }

  // Marks a frame of this object on the stack for as long as it lives: a
  // release asked for meanwhile waits until the last frame has returned.
  class TFrame {
  public:
    explicit TFrame(TCustomWSocket& socket);
    ~TFrame();
    TFrame(const TFrame&) = delete;
    TFrame& operator=(const TFrame&) = delete;

  private:
    TCustomWSocket& FSocket;
  };

  bool FDestroying = false;
  sockaddr_in FSin{};
  bool FAddrResolved = false, FPortResolved = false, FProtoResolved = false, FLocalPortResolved = false;
  int FProto = IPPROTO_TCP, FType = SOCK_STREAM;

private:
  void SetDestinationPart(const std::string& value, const char* name, std::string& text, bool& assigned,
                          bool& resolved);
  void HandleSocketEvent(WPARAM wParam, LPARAM lParam);
  void HandleLookupDone(WPARAM wParam, LPARAM lParam);
  void StartFreshLookup();

  std::unique_ptr<TSocketWindow> FWindow;
  TSocketHandle FSocket;
  TSocketState FState = wsClosed;
  std::string FAddrStr, FPortStr, FProtoStr = "tcp", FLocalAddr = "0.0.0.0", FLocalPortStr = "0";
  bool FAddrAssigned = false, FPortAssigned = false, FProtoAssigned = true;
  std::uint16_t FLocalPortNum = 0;
  TSocketSendFlags FSendFlags = wsSendNormal;
  TSendQueue FQueue;
  bool FAllSent = true;
  std::int32_t FReadCount = 0;
  long FSelectEvent = 0;
  bool FPaused = false, FCloseInvoked = false, FTerminated = false;
  int FLastError = 0;
  std::string FLastErrorMessage;
  HANDLE FDnsLookupHandle = nullptr;
  char FDnsLookupBuffer[MAXGETHOSTSTRUCT + 1] = {};
  int FFrames = 0;
  bool FReleasePending = false;
  bool FSavedLookup = false;
  bool FReverseLookup = false;
  WPARAM FSavedWParam = 0;
  LPARAM FSavedLParam = 0;
  std::string FDnsResult;
  std::vector<std::string> FDnsResultList;
};

