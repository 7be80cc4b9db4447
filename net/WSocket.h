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

#include "net/LookupWindow.h"
#include "net/WSocketLib.h"
#include "net/core/SendQueue.h"
#include "rtl/core/Component.h"

enum TSocketState { wsInvalidState, wsOpened, wsBound, wsConnecting, wsConnected, wsAccepting, wsListening, wsClosed };
enum TSocketSendFlags { wsSendNormal, wsSendUrgent };
enum TSocketLingerOnOff { wsLingerOff, wsLingerOn, wsLingerNoSet };
enum TWSocketOption { wsoNoReceiveLoop = 1, wsoTcpNoDelay = 2 };

// Raised by an event handler of a component whose owner was freed inside
// that handler (the HTTP client does so): nothing up the stack may touch the
// owner again, so the message that ran the handler ends here, quietly. Not
// an error, and deliberately no std::exception: no handler of errors may
// catch it on the way.
struct EOwnerFreed {};

class TCustomWSocket : public rtl::TComponent {
public:
  static constexpr UINT WM_SOCKET_EVENT = WM_USER + 1;
  static constexpr UINT WM_LOOKUP_DONE = WM_USER + 2;
  static constexpr UINT WM_REVERSE_LOOKUP_DONE = WM_USER + 3;
  static constexpr UINT WM_CLOSE_LATER = WM_USER + 4;
  static constexpr UINT WM_RELEASE_LATER = WM_USER + 5;
  static constexpr UINT WM_TEST_EXCEPTION = WM_USER + 6;
  // The TLS layer's certificate verdict, from the thread that checked it.
  static constexpr UINT WM_TLS_CHECKED = WM_USER + 7;

  explicit TCustomWSocket(rtl::TComponent* owner);
  ~TCustomWSocket() override;

  // Destroys the socket. Called from inside one of its own events (its
  // owner freed from a handler), it closes the socket at once and destroys
  // it when the last of its frames on the stack has returned.
  void Free();

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
  // itself gets no text), and its Windows Sockets error number: 0 when that
  // failure had none (LastError may then still hold an older one).
  const std::string& LastErrorMessage() const { return FLastErrorMessage; }
  int LastErrorNumber() const { return FLastErrorNumber; }
  // True while OnSessionClosed reports a close that this side made (Close,
  // Abort, a failed handshake); false for one that the peer or the network
  // made.
  bool LocalClose() const { return FLocalClose; }
  std::int64_t ReadCount() const { return FReadCount; }
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

  // Queues Data for sending (a layer above may change it on the way, as
  // TLS encrypts it).
  virtual int Send(const void* data, int length);
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
  // Changes whenever a handle is forgotten (see FHandleEpoch).
  unsigned HandleEpoch() const { return FHandleEpoch; }

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
  void HandleLookupDone(UINT message, WPARAM wParam, LPARAM lParam);
  void StartFreshLookup();
  // Forgets the handle, closed by now, and every event that the system
  // posted for it: a new connection may get the same handle number, and
  // must not take an event of the old one for its own.
  void ForgetHandle();
  void BeginConnection();

  std::unique_ptr<TLookupWindow> FWindow;
  TSocketHandle FSocket;
  TSocketState FState = wsClosed;
  std::string FAddrStr, FPortStr, FProtoStr = "tcp", FLocalAddr = "0.0.0.0", FLocalPortStr = "0";
  bool FAddrAssigned = false, FPortAssigned = false, FProtoAssigned = true;
  std::uint16_t FLocalPortNum = 0;
  TSocketSendFlags FSendFlags = wsSendNormal;
  TSendQueue FQueue;
  bool FAllSent = true;
  std::int64_t FReadCount = 0;
  long FSelectEvent = 0;
  bool FPaused = false, FCloseInvoked = false, FTerminated = false;
  int FLastError = 0;
  std::string FLastErrorMessage;
  int FLastErrorNumber = 0, FReportedError = 0;
  bool FLocalClose = false;
  // The lookup whose answer is awaited; its reply buffer is the window's.
  HANDLE FDnsLookupHandle = nullptr;
  int FFrames = 0;
  bool FReleasePending = false;
  // Counts the handles forgotten: an event loop that began with one handle
  // stops when it is gone, even if the next one has the same number.
  unsigned FHandleEpoch = 0;
  std::string FDnsResult;
  std::vector<std::string> FDnsResultList;
};

