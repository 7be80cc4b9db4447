#include "common/core/Scramble.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

namespace {

std::string RandomBytes(std::mt19937& rng, size_t length) {
  std::string s(length, '\0');
  for (auto& c : s) c = static_cast<char>(rng() & 0xFF);
  return s;
}

// A key of zero bytes turns the scrambled text of zero bytes into the
// negated counters, which makes the counter sequence visible.
std::vector<int> Counters(size_t length) {
  const std::string out = ScrambleText(std::string(length, '\0'), Scramble, std::string(1, '\0'));
  std::vector<int> counters;
  for (unsigned char c : out) counters.push_back((256 - c) & 0xFF);
  return counters;
}

}  // namespace

TEST(ScrambleText, CounterLimitIsTwoThirdsRounded) {
  const long long expected[] = {1, 1, 2, 3, 3, 4, 5, 5, 6, 7, 7, 8};
  for (int length = 1; length <= 12; ++length)
    EXPECT_EQ(expected[length - 1], ScrambleCounterLimit(length)) << "length " << length;
  EXPECT_EQ(667, ScrambleCounterLimit(1000));
  EXPECT_EQ(0, ScrambleCounterLimit(0));
}

TEST(ScrambleText, CounterSequences) {
  EXPECT_EQ((std::vector<int>{1}), Counters(1));
  EXPECT_EQ((std::vector<int>{1, 1}), Counters(2));
  EXPECT_EQ((std::vector<int>{1, 2, 3, 4, 1, 2}), Counters(6));
  // A long text runs the counter past 255; it acts modulo 256.
  const std::vector<int> long_counters = Counters(600);  // limit 400
  EXPECT_EQ(0, long_counters[255]);                      // counter 256
  EXPECT_EQ(1, long_counters[400]);                      // wrapped to 1
}

TEST(ScrambleText, KnownValues) {
  // 'A' + 'f' - 1 = 65 + 102 - 1 = 166.
  EXPECT_EQ(std::string(1, static_cast<char>(166)), ScrambleText("A", Scramble, SetupScrambleKey));
  // "ab" with key "mo": counters 1, 1.
  const std::string expected{static_cast<char>(97 + 109 - 1), static_cast<char>(98 + 111 - 1)};
  EXPECT_EQ(expected, ScrambleText("ab", Scramble, "mo"));
}

TEST(ScrambleText, KeyRepeatsAfterItsLength) {
  // With a 13-character text and the 12-character key, position 13 uses the
  // key's first character; zero text makes it readable: -(counter) + key.
  const std::string out = ScrambleText(std::string(13, '\0'), Scramble, WatcherScrambleKey);
  const long long limit = ScrambleCounterLimit(13);  // 9
  const int counter13 = static_cast<int>((12 % limit) + 1);
  EXPECT_EQ(static_cast<unsigned char>('m' - counter13), static_cast<unsigned char>(out[12]));
  EXPECT_EQ(static_cast<unsigned char>('m' - 1), static_cast<unsigned char>(out[0]));
}

TEST(ScrambleText, EmptyTextAndOtherModes) {
  for (int mode : {Scramble, Unscramble, 2, -1, 255}) EXPECT_EQ("", ScrambleText("", mode, SetupScrambleKey));
  for (int mode : {2, -1, 7}) EXPECT_EQ("Hallo Welt", ScrambleText("Hallo Welt", mode, SetupScrambleKey));
}

TEST(ScrambleText, RoundTripsEveryLengthWithBothKeys) {
  std::mt19937 rng(1234);
  for (const char* key : {WatcherScrambleKey, SetupScrambleKey}) {
    for (size_t length = 0; length <= 400; ++length) {
      const std::string text = RandomBytes(rng, length);
      const std::string scrambled = ScrambleText(text, Scramble, key);
      ASSERT_EQ(length, scrambled.size());
      ASSERT_EQ(text, ScrambleText(scrambled, Unscramble, key)) << "length " << length;
    }
  }
}

TEST(ScrambleText, RoundTripsAllByteValues) {
  std::string all;
  for (int c = 0; c < 256; ++c) all.push_back(static_cast<char>(c));
  for (const char* key : {WatcherScrambleKey, SetupScrambleKey}) {
    const std::string scrambled = ScrambleText(all, Scramble, key);
    EXPECT_NE(all, scrambled);
    EXPECT_EQ(all, ScrambleText(scrambled, Unscramble, key));
    // Unscramble first, then scramble, is the identity as well.
    EXPECT_EQ(all, ScrambleText(ScrambleText(all, Unscramble, key), Scramble, key));
  }
}

TEST(ScrambleText, ZeroCodeNeedsALongPrintableText) {
  // Printable text with a letter-and-digit key keeps c + d within 80..248,
  // so no result byte is 0 before a counter of 80 (120 characters).
  for (size_t length = 1; length < 120; ++length) {
    const std::string text(length, ' ');
    EXPECT_EQ(std::string::npos, ScrambleText(text, Scramble, WatcherScrambleKey).find('\0'));
  }
  // ' ' (32) + '0' (48) - 80 = 0: at position 80 of a 120-character text.
  const std::string out = ScrambleText(std::string(120, ' '), Scramble, std::string(1, '0'));
  EXPECT_EQ('\0', out[79]);
}
