// The spin edit's numeric rules: clamping, text to value, stepping at the
// limits and at the ends of the int range, and the typed-character filter.

#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "ui/core/SpinValue.h"

namespace {

struct ClampCase {
  int value, minValue, maxValue, expected;
};

TEST(SpinValue, Clamping) {
  const ClampCase cases[] = {
      {500, 1, 10000, 500},     {0, 1, 10000, 1},         {-7, 1, 6000, 1},
      {9000, 1, 6000, 6000},    {6000, 1, 6000, 6000},    {1, 1, 6000, 1},
      {INT_MAX, 0, 0, INT_MAX}, {INT_MIN, 0, 0, INT_MIN}, {123, 5, 5, 123},
      {-3, -10, -1, -3},        {0, -10, -1, -1},
  };
  for (const auto& c : cases)
    EXPECT_EQ(c.expected, ui::ClampSpinValue(c.value, c.minValue, c.maxValue))
        << c.value << " in " << c.minValue << ".." << c.maxValue;
}

struct TextCase {
  const char* text;
  int minValue, expected;
};

TEST(SpinValue, TextReadsAsIntegerOrMinValue) {
  const TextCase cases[] = {
      {"300", 1, 300},
      {"-42", 1, -42},
      {"+17", 1, 17},
      {"0009", 1, 9},
      {"", 1, 1},
      {"abc", 7, 7},
      {"12a", 7, 7},
      {" 12", 7, 7},
      {"1.5", 7, 7},
      {"-", 7, 7},
      {"2147483647", 1, INT_MAX},
      {"-2147483648", 1, INT_MIN},
      {"2147483648", 3, 3},  // one past the int range
      {"99999999999999999999999", 3, 3},
      {"12\r\n", 3, 3},
  };
  for (const auto& c : cases)
    EXPECT_EQ(c.expected, ui::SpinValueOfText(c.text, c.minValue)) << "\"" << c.text << "\"";
}

struct StepCase {
  int value;
  long long delta;
  int minValue, maxValue, expected;
};

TEST(SpinValue, StepsStayInRangeAndNeverWrap) {
  const StepCase cases[] = {
      {5999, 1, 1, 6000, 6000},   {6000, 1, 1, 6000, 6000},   {1, -1, 1, 6000, 1},
      {500, 10, 1, 10000, 510},   {9000, 1, 1, 6000, 6000},   {0, -5, 0, 0, -5},
      {INT_MAX, 1, 0, 0, INT_MAX}, {INT_MIN, -1, 0, 0, INT_MIN},
      {0, -(static_cast<long long>(INT_MIN)), 0, 0, INT_MAX},
      {-1, INT_MIN, 0, 0, INT_MIN},
  };
  for (const auto& c : cases)
    EXPECT_EQ(c.expected, ui::StepSpinValue(c.value, c.delta, c.minValue, c.maxValue))
        << c.value << " + " << c.delta << " in " << c.minValue << ".." << c.maxValue;
}

TEST(SpinValue, CharacterRule) {
  // One line per character: accepted with the editor on, with it off.
  struct Case {
    char key;
    bool editable, locked;
  };
  const Case cases[] = {
      {'0', true, false}, {'9', true, false},  {'+', true, false},   {'-', true, false},
      {'.', true, false}, {',', false, false}, {'a', false, false},  {'e', false, false},
      {' ', false, false}, {'\r', false, false}, {'\b', true, false}, {'\t', true, true},
      {'\x1b', true, true}, {'\x03', true, true}, {'\x16', true, true}, {'\x7f', false, false},
      {'\xe4', false, false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.editable, ui::SpinAcceptsChar(c.key, '.', true)) << int(static_cast<unsigned char>(c.key));
    EXPECT_EQ(c.locked, ui::SpinAcceptsChar(c.key, '.', false)) << int(static_cast<unsigned char>(c.key));
  }
}

TEST(SpinValue, DecimalSeparatorFollowsTheLocale) {
  EXPECT_TRUE(ui::SpinAcceptsChar(',', ',', true));
  EXPECT_FALSE(ui::SpinAcceptsChar('.', ',', true));
  EXPECT_FALSE(ui::SpinAcceptsChar(',', ',', false));
}

}  // namespace
