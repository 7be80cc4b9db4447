#include "net/core/LineBuffer.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// Delivers every complete line as the socket layer does: find, then read it
// whole in pieces of Piece bytes.
std::vector<std::string> Deliver(TLineBuffer& buffer, size_t piece = 1 << 16) {
  std::vector<std::string> lines;
  for (int length; (length = buffer.FindLine()) > 0;) {
    std::string line;
    std::vector<char> chunk(piece);
    while (length > 0) line.append(chunk.data(), static_cast<size_t>(buffer.ReadLine(chunk.data(), static_cast<int>(piece), length)));
    lines.push_back(line);
  }
  return lines;
}

std::vector<std::string> Feed(const std::string& bytes, size_t packet) {
  TLineBuffer buffer;
  std::vector<std::string> lines;
  for (size_t at = 0; at < bytes.size(); at += packet) {
    const std::string part = bytes.substr(at, packet);
    buffer.Add(part.data(), static_cast<int>(part.size()));
    for (auto& line : Deliver(buffer)) lines.push_back(line);
  }
  lines.push_back("held:" + buffer.Data());
  return lines;
}

}  // namespace

TEST(LineBuffer, LinesHoweverThePacketsFall) {
  const std::string bytes = "first\r\nsecond\r\nthird\r\npartial";
  const std::vector<std::string> expected = {"first\r\n", "second\r\n", "third\r\n", "held:partial"};
  for (size_t packet = 1; packet <= bytes.size(); ++packet) EXPECT_EQ(expected, Feed(bytes, packet)) << packet;
  // A lone CR or LF is no line end.
  EXPECT_EQ((std::vector<std::string>{"a\rb\nc\r\n", "held:"}), Feed("a\rb\nc\r\n", 3));
}

TEST(LineBuffer, LongLineReadInPieces) {
  TLineBuffer buffer;
  const std::string line = std::string(298, 'x') + "\r\n";
  const std::string next = "next\r\n";
  const std::string all = line + next;
  buffer.Add(all.data(), static_cast<int>(all.size()));
  int length = buffer.FindLine();
  ASSERT_EQ(300, length);
  char piece[100];
  std::vector<int> reads;
  while (length > 0) reads.push_back(buffer.ReadLine(piece, 100, length));
  EXPECT_EQ((std::vector<int>{100, 100, 100}), reads);
  EXPECT_EQ((std::vector<std::string>{"next\r\n"}), Deliver(buffer));
}

TEST(LineBuffer, OtherLineEndsAndLineModeOff) {
  TLineBuffer buffer;
  buffer.LineEnd = "\n";
  buffer.Add("a\nbb\n", 5);
  EXPECT_EQ((std::vector<std::string>{"a\n", "bb\n"}), Deliver(buffer));
  buffer.Add("rest", 4);
  char out[3];
  EXPECT_EQ(3, buffer.ReadFront(out, 3));
  EXPECT_EQ("t", buffer.Data());
  buffer.LineEnd.clear();
  EXPECT_EQ(0, buffer.FindLine()) << "an empty line end finds nothing";
}

TEST(LineBuffer, EditingAndEcho) {
  TLineBuffer buffer;
  buffer.LineEdit = true;
  buffer.LineEcho = true;
  const std::string typed = std::string("ab\bc") + "\r\n";
  const std::vector<std::string> echo = buffer.Add(typed.data(), static_cast<int>(typed.size()));
  EXPECT_EQ((std::vector<std::string>{"a", "b", std::string{8, 32, 8}, "c", "\r", "\n"}), echo);
  EXPECT_EQ((std::vector<std::string>{"ac\r\n"}), Deliver(buffer));

  // A backspace at the start removes nothing and echoes nothing.
  EXPECT_TRUE(buffer.Add("\b", 1).empty());
  // A tab fills up to the next multiple of 8, at least one space.
  buffer.Add("abc\tx\t", 6);
  EXPECT_EQ("abc     x       ", buffer.Data());
  buffer.Clear();
  buffer.Add("1234567\t", 8);
  EXPECT_EQ("1234567 ", buffer.Data());
  buffer.Clear();
  buffer.Add("12345678\t", 9);
  EXPECT_EQ(16, buffer.Held());

  TLineBuffer echoOnly;
  echoOnly.LineEcho = true;
  EXPECT_EQ((std::vector<std::string>{"ab\b"}), echoOnly.Add("ab\b", 3)) << "unedited: one send, unchanged";
  EXPECT_EQ("ab\b", echoOnly.Data());
}

TEST(LineBuffer, EditedLineEndAcrossReadsIsFound) {
  TLineBuffer buffer;
  buffer.LineEdit = true;
  buffer.Add("abc\r", 4);
  EXPECT_EQ(0, buffer.FindLine());
  buffer.Add("x\b\n", 3);  // the backspace removes the x; CR LF now meet
  EXPECT_EQ((std::vector<std::string>{"abc\r\n"}), Deliver(buffer));
}

TEST(LineBuffer, SeventyThousandBytesWithoutALineEnd) {
  TLineBuffer buffer;
  const std::string block(1000, 'z');
  for (int i = 0; i < 70; ++i) {
    buffer.Add(block.data(), 1000);
    EXPECT_EQ(0, buffer.FindLine());
  }
  EXPECT_EQ(70000, buffer.Held());
  buffer.Clear();
  EXPECT_EQ(0, buffer.Held());
}
