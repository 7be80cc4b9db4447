#pragma once
// The HTTP client's reading of one reply: bytes from the connection in, in
// pieces cut anywhere, events out (the header's lines, where the header
// ends, the body's pieces, the reply's end, a redirection to follow, or a
// failure with its number). No sockets or windows: the client puts in what
// its socket received and acts on each event in turn.
//
// Header lines are cut in a receive buffer of 8192 bytes; a header that
// passes its bounds, a line that fills the buffer, a status line or a
// "content-length" that is not a number, a Location with a control
// character, and a body past the limit end the reply as failures. A reply
// whose header is one line beginning with "<HTML>" has no header: that line
// and the complete lines behind it in the buffer are body pieces without
// their line ends, and later bytes come as they arrive. The body of a
// status of 400 or more is what the buffer held at the header's end.

#include <cstdint>
#include <deque>
#include <string>
#include <string_view>

#include "net/core/HttpErrors.h"
#include "net/core/HttpProtocol.h"

// The bounds of one reply header, so that a server that never ends its
// header cannot make the client's memory grow without end.
constexpr int kMaxHeaderLines = 256;
constexpr std::int64_t kMaxHeaderBytes = 65536;

class THttpHeaderTally {
public:
  // Counts one header line of Length bytes (its line end counts 2). Empty
  // while the header stays within both bounds, else the text that says
  // which bound it passed.
  std::string Count(size_t Length);
  void Reset() {
    FLines = 0;
    FBytes = 0;
  }
  int Lines() const { return FLines; }
  std::int64_t Bytes() const { return FBytes; }

private:
  int FLines = 0;
  std::int64_t FBytes = 0;
};

// The receive buffer: at most 8192 bytes of pending data, cut into lines.
class THttpReceiveBuffer {
public:
  static constexpr int kCapacity = 8192;

  int Room() const { return kCapacity - static_cast<int>(FData.size()); }
  int Pending() const { return static_cast<int>(FData.size()); }
  // Takes at most Room() bytes; returns how many it took.
  int Append(const char* Data, int Length);
  // The next complete line, without its LF and one CR before it. A line feed
  // after a zero byte is not seen (the buffer reads as a C string).
  bool NextLine(std::string& Line);
  // All pending data, as one piece.
  std::string TakeAll();

private:
  std::string FData;
};

struct THttpReplyEvent {
  enum class TKind {
    HeaderBegin,  // the reply's first line has come
    HeaderLine,   // Line, with its meaning in Parsed (and ContentLength)
    BodyFollows,  // bytes from here on are body (Html: the reply had no header)
    HeaderEnd,    // the header is over (Html: it was the "<HTML>" line)
    Body,         // Bytes: a piece of the body, possibly empty
    End,          // the reply is complete
    Redirect,     // the header named a Location and is over: follow it
    Failed,       // Error and Text; Line: the header line it failed at, when
                  // that line counts among the header's lines
  };
  TKind Kind = TKind::End;
  std::string Line;
  THttpHeaderLine Parsed;
  std::int64_t ContentLength = -1;  // of a "content-length" line
  bool Html = false;
  // Valid until the reader's next call; it may point into the bytes put in.
  std::string_view Bytes;
  THttpError Error = THttpError::Data;
  std::string Text;
};

class THttpReplyReader {
public:
  // A body longer than this many bytes ends the reply as a failure (0: no
  // limit); what is past the limit is not handed out. Read as the body
  // comes, so the client may change it between steps.
  std::int64_t BodyLimit = 0;

  // Forgets everything: the next bytes begin a new reply.
  void Reset();
  // Bytes received. They are borrowed, not copied: they must stay as they
  // are until Next has returned false or the reader is reset.
  void Put(const char* Data, size_t Length);
  // The connection has closed: after the bytes put before, the reply ends.
  void Close();
  // The next event, in order; false when the bytes so far give no more. A
  // caller that stops early (its request ended) resets before reusing.
  bool Next(THttpReplyEvent& Event);

  // The reply's first line has come.
  bool Begun() const { return FLines > 0; }
  bool ReadingBody() const { return FPhase == TPhase::Body; }
  // Ended: complete, failed or redirected; further bytes are dropped.
  bool Finished() const { return FPhase == TPhase::Done; }
  // How many bytes the header's buffer can take now; the body has no bound
  // here.
  int Room() const { return FBuffer.Room(); }

private:
  // Lines: before and in the header. Body: every byte is body. Done: the
  // reply has ended one way or another.
  enum class TPhase { Lines, Body, Done };

  bool Step();
  void HeaderLine(const std::string& line);
  void HeaderOver();
  void Closed();
  // Hands out a piece of the body, cut at the limit (which ends the reply):
  // a borrowed piece points into the bytes put in, any other is copied.
  void Piece(std::string_view bytes, bool borrowed);
  void Push(THttpReplyEvent::TKind kind);
  void Fail(THttpError error, std::string text, std::string keptLine = std::string());

  TPhase FPhase = TPhase::Lines;
  THttpReceiveBuffer FBuffer;
  THttpHeaderTally FTally;
  const char* FInput = nullptr;
  size_t FInputLeft = 0;
  bool FClosed = false;
  int FLines = 0;
  bool FStatusSeen = false, FLocation = false;
  int FStatusCode = 0;
  std::int64_t FContentLength = -1;
  std::int64_t FBodyBytes = 0;
  std::deque<THttpReplyEvent> FEvents;
};
