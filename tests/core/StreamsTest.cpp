#include "rtl/core/Streams.h"

#include <gtest/gtest.h>

#include <string>

#include "rtl/core/Exceptions.h"
#include "rtl/core/SysUtils.h"
#include "tests/core/TempFile.h"

using rtl::SeekOrigin;

namespace {

std::string ReadAll(rtl::TStream& s) {
  std::string out(static_cast<size_t>(s.Size()), '\0');
  s.SetPosition(0);
  s.ReadBuffer(out.data(), static_cast<std::int32_t>(out.size()));
  return out;
}

}  // namespace

TEST(MemoryStream, ReadWriteSeekAndSize) {
  rtl::TMemoryStream s;
  s.WriteBuffer("hello", 5);
  EXPECT_EQ(5, s.Size());
  EXPECT_EQ(5, s.Position());
  s.Seek(-2, SeekOrigin::End);
  char two[2];
  EXPECT_EQ(2, s.Read(two, 10 > 2 ? 2 : 10));
  EXPECT_EQ('l', two[0]);
  EXPECT_EQ(0, s.Read(two, 2)) << "at the end";
  // Writing past the end grows the stream; the gap is zero.
  s.SetPosition(8);
  s.WriteBuffer("!", 1);
  EXPECT_EQ(std::string("hello\0\0\0!", 9), ReadAll(s));
  s.SetSize(2);
  EXPECT_EQ("he", ReadAll(s));
  // A position before the start reads nothing and does not crash.
  s.SetPosition(-5);
  EXPECT_EQ(0, s.Read(two, 2));
  EXPECT_EQ(0, s.Write("x", 1));
  char buffer[4];
  s.SetPosition(0);
  EXPECT_THROW(s.ReadBuffer(buffer, 4), rtl::EReadError);
}

TEST(Streams, CopyFromCountAndWhole) {
  rtl::TMemoryStream source;
  source.WriteBuffer("0123456789", 10);
  rtl::TMemoryStream target;
  source.SetPosition(3);
  EXPECT_EQ(4, target.CopyFrom(source, 4));
  EXPECT_EQ("3456", target.ToString());
  // A count of 0 copies the whole source from its start.
  source.SetPosition(9);
  rtl::TMemoryStream whole;
  EXPECT_EQ(10, whole.CopyFrom(source, 0));
  EXPECT_EQ("0123456789", whole.ToString());
  // More than the source has raises a read error.
  source.SetPosition(8);
  rtl::TMemoryStream overrun;
  EXPECT_THROW(overrun.CopyFrom(source, 5), rtl::EReadError);
}

TEST(FileStream, WriteReadAtAndTruncate) {
  TempFile file("stream");
  {
    rtl::TFileStream out(file.Name(), rtl::FileStreamMode::Create);
    std::string big(200000, '\0');
    for (size_t i = 0; i < big.size(); ++i) big[i] = static_cast<char>(i % 251);
    out.WriteBuffer(big.data(), static_cast<std::int32_t>(big.size()));
    EXPECT_EQ(200000, out.Size());
    out.SetSize(150000);
    EXPECT_EQ(150000, out.Size());
  }
  rtl::TFileStream in(file.Name(), rtl::FileStreamMode::OpenRead);
  EXPECT_EQ(150000, in.Size());
  unsigned char at[3];
  ASSERT_EQ(3, rtl::FileReadAt(in.Handle(), 149997, at, 3));
  EXPECT_EQ(149997 % 251, at[0]);
  EXPECT_EQ(0, rtl::FileReadAt(in.Handle(), 150000, at, 3)) << "at the end";
  EXPECT_EQ(2, rtl::FileReadAt(in.Handle(), 149998, at, 3)) << "short read at the end";
  EXPECT_EQ(-1, rtl::FileReadAt(in.Handle(), -1, at, 3));
  in.SetPosition(1000);
  unsigned char one;
  in.ReadBuffer(&one, 1);
  EXPECT_EQ(1000 % 251, one);
}

TEST(FileStream, OpenAndCreateErrorsNameTheFile) {
  TempFile missing("missing");
  try {
    rtl::TFileStream s(missing.Name(), rtl::FileStreamMode::OpenRead);
    FAIL();
  } catch (const rtl::EFOpenError& e) {
    EXPECT_EQ(0u, e.Message().find("Datei \"" + missing.Name() + "\" kann nicht ge\xF6" "ffnet werden. "))
        << e.Message();
  }
  const std::string badDir = missing.Name() + "_no_such_dir/x/y";
  try {
    rtl::TFileStream s(badDir, rtl::FileStreamMode::Create);
    FAIL();
  } catch (const rtl::EFCreateError& e) {
    EXPECT_EQ(0u, e.Message().find("Datei \"" + badDir + "\" kann nicht erstellt werden. "));
    EXPECT_GT(e.Message().size(), badDir.size() + 40) << "carries the reason";
  }
}

TEST(SysUtils, IntegerConversionWithTheRuntimeRules) {
  const struct {
    const char* text;
    bool ok64;
    long long value64;
    bool ok32;
    int value32;
  } cases[] = {{"0", true, 0, true, 0},
               {"-12", true, -12, true, -12},
               {"+7", true, 7, true, 7},
               {"   42", true, 42, true, 42},
               {"  -$1F", true, -31, true, -31},
               {"$ff", true, 255, true, 255},
               {"x10", true, 16, true, 16},
               {"X10", true, 16, true, 16},
               {"0x10", true, 16, true, 16},
               {"0X7fffFFFF", true, 2147483647, true, 2147483647},
               {"$FFFFFFFF", true, 4294967295LL, true, -1},
               {"$100000000", true, 4294967296LL, false, 0},
               {"$FFFFFFFFFFFFFFFF", true, -1, false, 0},
               {"$10000000000000000", false, 0, false, 0},
               {"2147483647", true, 2147483647, true, 2147483647},
               {"2147483648", true, 2147483648LL, false, 0},
               {"-2147483648", true, -2147483648LL, true, -2147483647 - 1},
               {"-2147483649", true, -2147483649LL, false, 0},
               {"9223372036854775807", true, 9223372036854775807LL, false, 0},
               {"-9223372036854775808", true, -9223372036854775807LL - 1, false, 0},
               {"9223372036854775808", false, 0, false, 0},
               {"", false, 0, false, 0},
               {"   ", false, 0, false, 0},
               {"-", false, 0, false, 0},
               {"$", false, 0, false, 0},
               {"0x", false, 0, false, 0},
               {"1 ", false, 0, false, 0},
               {"\t1", false, 0, false, 0},
               {"12abc", false, 0, false, 0},
               {"$1G", false, 0, false, 0},
               {"- 1", false, 0, false, 0},
               {"+-1", false, 0, false, 0}};
  for (const auto& c : cases) {
    std::int64_t v = 0;
    EXPECT_EQ(c.ok64, rtl::TryStrToInt64(c.text, v)) << c.text;
    if (c.ok64) EXPECT_EQ(c.value64, v) << c.text;
    int w = 0;
    EXPECT_EQ(c.ok32, rtl::TryStrToInt(c.text, w)) << c.text;
    if (c.ok32) EXPECT_EQ(c.value32, w) << c.text;
  }
  try {
    rtl::StrToInt("2147483648");
    FAIL() << "no conversion error";
  } catch (const rtl::EConvertError& e) {
    EXPECT_EQ("'2147483648' is not a valid integer value", e.Message());
  }
  EXPECT_EQ("a7-b", rtl::Format("%c%d-%s", 'a', 7, "b"));
}
