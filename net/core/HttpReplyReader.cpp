#include "net/core/HttpReplyReader.h"

#include <utility>

#include "rtl/core/Exceptions.h"
#include "rtl/core/Paths.h"
#include "rtl/core/SysUtils.h"

std::string THttpHeaderTally::Count(size_t Length) {
  ++FLines;
  FBytes += static_cast<std::int64_t>(Length) + 2;
  if (FLines > kMaxHeaderLines) return "HTTP header has more than " + std::to_string(kMaxHeaderLines) + " lines";
  if (FBytes > kMaxHeaderBytes) return "HTTP header is longer than " + std::to_string(kMaxHeaderBytes) + " bytes";
  return std::string();
}

int THttpReceiveBuffer::Append(const char* Data, int Length) {
  const int take = Length < Room() ? Length : Room();
  if (take > 0) FData.append(Data, static_cast<size_t>(take));
  return take > 0 ? take : 0;
}

bool THttpReceiveBuffer::NextLine(std::string& Line) {
  const size_t zero = FData.find('\0');
  const size_t lf = FData.find('\n');
  if (lf == std::string::npos || (zero != std::string::npos && lf > zero)) return false;
  size_t end = lf;
  if (end > 0 && FData[end - 1] == '\r') --end;
  Line = FData.substr(0, end);
  FData.erase(0, lf + 1);
  return true;
}

std::string THttpReceiveBuffer::TakeAll() {
  std::string all;
  all.swap(FData);
  return all;
}

// ---------------------------------------------------------------- reader

void THttpReplyReader::Reset() {
  const std::int64_t limit = BodyLimit;
  *this = THttpReplyReader();
  BodyLimit = limit;
}

void THttpReplyReader::Put(const char* Data, size_t Length) {
  FInput = Data;
  FInputLeft = Length;
}

void THttpReplyReader::Close() { FClosed = true; }

bool THttpReplyReader::Next(THttpReplyEvent& Event) {
  while (FEvents.empty())
    if (!Step()) return false;
  Event = std::move(FEvents.front());
  FEvents.pop_front();
  // A piece the reader owns travels in Line; a borrowed one has its Bytes.
  if (Event.Kind == THttpReplyEvent::TKind::Body && Event.Bytes.data() == nullptr) Event.Bytes = Event.Line;
  return true;
}

// One step: one header line, one piece of body, one take of bytes into the
// buffer, or the close. False when there is nothing to do until more comes.
bool THttpReplyReader::Step() {
  switch (FPhase) {
    case TPhase::Done:
      FInput = nullptr;
      FInputLeft = 0;
      return false;
    case TPhase::Body:
      if (FInputLeft > 0) {
        const std::string_view piece(FInput, FInputLeft);
        FInputLeft = 0;
        Piece(piece, true);
        return true;
      }
      if (!FClosed) return false;
      // A last piece without a line end, left behind by the header reader.
      if (FBuffer.Pending() > 0) Piece(FBuffer.TakeAll(), false);
      if (FPhase == TPhase::Body) {
        FPhase = TPhase::Done;
        Push(THttpReplyEvent::TKind::End);
      }
      return true;
    case TPhase::Lines: break;
  }
  std::string line;
  if (FBuffer.NextLine(line)) {
    HeaderLine(line);
    return true;
  }
  // Pending bytes that fill the buffer without a line end can never become
  // a line: said at once, not after the server's close.
  if (FBuffer.Room() <= 0) {
    Fail(THttpError::LineTooLong, "HTTP line too long");
    return true;
  }
  if (FInputLeft > 0) {
    const int took = FBuffer.Append(FInput, FInputLeft > static_cast<size_t>(THttpReceiveBuffer::kCapacity)
                                                ? THttpReceiveBuffer::kCapacity
                                                : static_cast<int>(FInputLeft));
    FInput += took;
    FInputLeft -= static_cast<size_t>(took);
    return true;
  }
  if (!FClosed) return false;
  Closed();
  return true;
}

void THttpReplyReader::HeaderLine(const std::string& line) {
  using TKind = THttpReplyEvent::TKind;
  if (FLines++ == 0) Push(TKind::HeaderBegin);
  if (StartsWithHtml(line)) {
    FEvents.emplace_back();
    FEvents.back().Kind = TKind::HeaderEnd;
    FEvents.back().Html = true;
    FPhase = TPhase::Body;
    // The complete lines still in the buffer go to the body without their
    // line ends, as the header reader cut them; the rest (a last line
    // without its end among it) as it is, and later bytes as they arrive.
    Piece(line, false);
    std::string rest;
    while (FPhase == TPhase::Body && FBuffer.NextLine(rest)) Piece(rest, false);
    if (FPhase == TPhase::Body && FBuffer.Pending() > 0) Piece(FBuffer.TakeAll(), false);
    if (FPhase == TPhase::Body) {
      FEvents.emplace_back();
      FEvents.back().Kind = TKind::BodyFollows;
      FEvents.back().Html = true;
    }
    return;
  }
  if (line.empty()) return HeaderOver();

  const std::string bound = FTally.Count(line.size());
  if (!bound.empty()) return Fail(THttpError::HeaderTooLarge, bound);
  THttpReplyEvent event;
  event.Kind = TKind::HeaderLine;
  event.Line = line;
  try {
    event.Parsed = ParseHeaderLine(line);
    if (event.Parsed.LineKind == THttpHeaderLine::Kind::Field && event.Parsed.Name == "content-length")
      event.ContentLength = FContentLength = rtl::StrToInt64(rtl::Trim(event.Parsed.Value));
  } catch (const rtl::EConvertError& e) {
    return Fail(THttpError::Data, e.what(), line);
  }
  if (event.Parsed.LineKind == THttpHeaderLine::Kind::Status) {
    FStatusSeen = true;
    FStatusCode = event.Parsed.StatusCode;
  } else if (event.Parsed.LineKind == THttpHeaderLine::Kind::Field && event.Parsed.Name == "location") {
    // A control character (a CR not followed by LF stays in the line) would
    // go into the next request's lines.
    if (HoldsControlCharacter(event.Parsed.Value))
      return Fail(THttpError::BadLocation, "HTTP redirection refused: its Location holds a control character", line);
    FLocation = true;
  }
  FEvents.push_back(std::move(event));
}

// The empty line.
void THttpReplyReader::HeaderOver() {
  using TKind = THttpReplyEvent::TKind;
  if (!FStatusSeen) {
    Push(TKind::HeaderEnd);
    return Fail(THttpError::NoStatusLine, "HTTP reply has no status line");
  }
  if (FLocation) {
    // Any body of this reply is not read.
    FBuffer.TakeAll();
    FPhase = TPhase::Done;
    Push(TKind::HeaderEnd);
    Push(TKind::Redirect);
    return;
  }
  if (FContentLength == 0) {
    FPhase = TPhase::Done;
    Push(TKind::HeaderEnd);
    Push(TKind::End);
    return;
  }
  // A body follows, or no length was announced.
  FPhase = TPhase::Body;
  Push(TKind::BodyFollows);
  Push(TKind::HeaderEnd);
  if (FBuffer.Pending() > 0) Piece(FBuffer.TakeAll(), false);
  // The body of an error response is not waited for.
  if (FPhase == TPhase::Body && FStatusCode >= 400) {
    FPhase = TPhase::Done;
    Push(TKind::End);
  }
}

// The connection closed while the header was read.
void THttpReplyReader::Closed() {
  if (!Begun()) return Fail(THttpError::NoReply, "HTTP server closed the connection without a reply");
  Push(THttpReplyEvent::TKind::HeaderEnd);
  if (!FLocation) return Fail(THttpError::HeaderCut, "HTTP server closed the connection in the middle of the header");
  FPhase = TPhase::Done;
  Push(THttpReplyEvent::TKind::Redirect);
}

void THttpReplyReader::Piece(std::string_view bytes, bool borrowed) {
  // What is past the limit is not handed out: the program keeps the first
  // BodyLimit bytes, and the reply fails.
  size_t length = bytes.size();
  const bool over = BodyLimit > 0 && static_cast<std::int64_t>(length) > BodyLimit - FBodyBytes;
  if (over) length = static_cast<size_t>(BodyLimit > FBodyBytes ? BodyLimit - FBodyBytes : 0);
  FBodyBytes += static_cast<std::int64_t>(length);
  FEvents.emplace_back();
  THttpReplyEvent& event = FEvents.back();
  event.Kind = THttpReplyEvent::TKind::Body;
  if (borrowed) event.Bytes = bytes.substr(0, length);
  else event.Line.assign(bytes.data(), length);
  if (over) Fail(THttpError::BodyLimit, "HTTP body is longer than the limit of " + std::to_string(BodyLimit) + " bytes");
}

void THttpReplyReader::Push(THttpReplyEvent::TKind kind) {
  FEvents.emplace_back();
  FEvents.back().Kind = kind;
}

void THttpReplyReader::Fail(THttpError error, std::string text, std::string keptLine) {
  FPhase = TPhase::Done;
  FEvents.emplace_back();
  THttpReplyEvent& event = FEvents.back();
  event.Kind = THttpReplyEvent::TKind::Failed;
  event.Error = error;
  event.Text = std::move(text);
  event.Line = std::move(keptLine);
}
