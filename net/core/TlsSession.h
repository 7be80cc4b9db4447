#pragma once
// A TLS connection as bytes in and bytes out, over a security context that
// does the cryptography (TlsContext.h). The socket layer feeds what it
// reads and sends what the session hands out; the session says when the
// connection is established (handshake done, certificate accepted), hands
// out the plain text of each record, and says how the connection ended.
//
// It checks every record header before the engine sees it: a first byte
// outside 0x14..0x17 is no TLS (a plain HTTP server on the TLS port would
// otherwise make the engine wait for a "record" of some 20 KB), and no
// record may be longer than TLS allows. What it holds stays within Room().

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "net/core/TlsContext.h"

enum class TTlsError {
  NotTls,             // a record header that no TLS server sends
  HandshakeTooLong,   // the server's handshake messages exceed the bound
  HandshakeFailed,    // the engine refused the handshake
  ClosedInHandshake,  // the connection ended before the handshake did
  Untrusted,          // the certificate check failed
  Renegotiation,      // the server asked for a new handshake
  DecryptFailed,
  EncryptFailed
};

class TTlsSession {
public:
  // Checking: the handshake is done and the certificate's verdict awaited
  // (only with OnCheckPeer).
  enum class Phase { Idle, Handshake, Checking, Open, Ended };

  // Bytes to send to the server, in order.
  std::function<void(const std::string& bytes)> OnSend;
  // The handshake is done and the certificate accepted: Send may be used.
  std::function<void()> OnEstablished;
  // Plain text of one or more records.
  std::function<void(const std::string& data)> OnData;
  // The connection ended while open: with the server's close notice, or
  // without it (the transport closed), which may mean that data were cut.
  std::function<void(bool closeNotice)> OnClosed;
  // When set, the certificate is checked elsewhere (it may take seconds):
  // the session waits in Phase::Checking until PeerChecked gives the
  // verdict. Unset, the engine's CheckPeer runs at once.
  std::function<void()> OnCheckPeer;
  // The session failed; it has ended. Msg names the host.
  std::function<void(TTlsError error, const std::string& msg)> OnError;

  // The longest record TLS allows: a 5-byte header and 2^14 bytes of plain
  // text with at most 2048 bytes of expansion.
  static constexpr size_t kMaxRecord = 5 + 16384 + 2048;
  // The server's handshake messages held at once while the engine asks for
  // more (a long certificate chain fits many times over).
  static constexpr size_t kMaxHandshake = 128 * 1024;
  // Received bytes held at once while open: many records per read of the
  // socket, as each read costs far more than the bytes it brings.
  static constexpr size_t kMaxHeld = 256 * 1024;

  TTlsSession(TTlsContext& context, std::string host);
  ~TTlsSession();
  TTlsSession(const TTlsSession&) = delete;
  TTlsSession& operator=(const TTlsSession&) = delete;

  Phase CurrentPhase() const { return FPhase; }
  // The connection is made: sends the client's hello.
  void Start();
  // How many bytes the next Feed may take; more than 0 until the end.
  size_t Room() const;
  // Bytes read from the server, at most Room() of them. Ignored once ended.
  void Feed(const char* data, size_t length);
  // The transport reached its end (the server closed, or a read failed).
  void TransportClosed();
  // The verdict that OnCheckPeer asked for: empty when the certificate is
  // trusted, else the reason. Ignored unless the session is checking.
  void PeerChecked(const std::string& problem);
  // Encrypts and sends plain text; only while open.
  void Send(const std::string& data);
  // Sends the client's close notice while open; the session ends without
  // an event.
  void Close();

private:
  void Process();
  size_t Held() const { return FIn.size() - FAt; }
  void DropHeld() {
    FIn.clear();
    FAt = 0;
  }
  bool HandshakeStep();  // each step: true when the next may follow at once
  bool Establish(const std::string& problem);
  bool ReadRecord();
  size_t WholeRecords(bool firstOnly, std::string& problem) const;
  bool Consume(size_t given, size_t extra);
  bool Emit(const std::string& bytes);  // false when a handler destroyed the session
  void Fail(TTlsError error, const std::string& msg);
  static std::string Hex(std::uint32_t code);

  TTlsContext& FContext;
  std::string FHost;
  Phase FPhase = Phase::Idle;
  // The next handshake step runs without new records: the client's hello,
  // and the step after a TLS 1.3 post-handshake message.
  bool FStepNow = false;
  // The certificate was accepted; later handshake steps (TLS 1.3) are not
  // a new connection.
  bool FChecked = false;
  // Received bytes not yet used by the engine, from FAt on: whole records
  // at the front, then the start of the next one. What was used before FAt
  // is dropped once per Feed, not once per record.
  std::string FIn;
  size_t FAt = 0;
  // The whole-record length that the engine last called incomplete: the
  // next step waits for more.
  size_t FTried = 0;
  // Cleared when the session is destroyed, so that a loop that fired an
  // event whose handler destroyed it stops there.
  std::shared_ptr<bool> FAlive;
};
