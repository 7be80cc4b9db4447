// The installer's own file: where its program image ends, and what start-up
// makes of the bytes after it.

#include <gtest/gtest.h>

#include "setup/core/OwnContainer.h"
#include "tests/core/ContainerFixture.h"

namespace {

void Put32(std::string& bytes, size_t at, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<char>((value >> (8 * i)) & 0xFF);
}

void Put16(std::string& bytes, size_t at, std::uint16_t value) {
  bytes[at] = static_cast<char>(value & 0xFF);
  bytes[at + 1] = static_cast<char>(value >> 8);
}

// A 32-bit program of 0x500 bytes: headers to 0x200, then two sections.
std::string Program() {
  std::string p(0x500, '\0');
  p[0] = 'M';
  p[1] = 'Z';
  Put32(p, 0x3C, 0x40);
  p.replace(0x40, 4, std::string("PE\0\0", 4));
  Put16(p, 0x44, 0x14C);
  Put16(p, 0x46, 2);       // sections
  Put16(p, 0x54, 0xE0);    // optional header size
  Put16(p, 0x58, 0x10B);   // PE32
  Put32(p, 0x58 + 60, 0x200);  // SizeOfHeaders
  Put32(p, 0x58 + 92, 16);     // data directories
  const size_t table = 0x58 + 0xE0;
  Put32(p, table + 16, 0x200);
  Put32(p, table + 20, 0x200);
  Put32(p, table + 40 + 16, 0x100);
  Put32(p, table + 40 + 20, 0x400);
  return p;
}

std::int64_t ImageEnd(const std::string& bytes) {
  BytesFile file(bytes);
  rtl::FileHandle open(rtl::FileOpen(file.Name(), rtl::FileAccess::Read));
  return ProgramImageEnd(open.Get());
}

}  // namespace

TEST(OwnContainer, ProgramImageEnd) {
  std::string signedProgram = Program() + std::string(0x80, 'S');
  Put32(signedProgram, 0x58 + 96 + 8 * 4, 0x500);  // the signature's file offset
  Put32(signedProgram, 0x58 + 96 + 8 * 4 + 4, 0x80);
  std::string unstripped = Program() + std::string(2 * 18, 'Y') + std::string("\x0A\0\0\0names!", 10);
  Put32(unstripped, 0x44 + 8, 0x500);  // symbol table
  Put32(unstripped, 0x44 + 12, 2);
  std::string notPe = Program();
  notPe[0x41] = 'X';
  const struct {
    const char* what;
    std::string bytes;
    std::int64_t end;
  } cases[] = {
      {"plain", Program(), 0x500},
      {"with a signature", signedProgram, 0x580},
      {"with symbols and their names", unstripped, 0x500 + 36 + 10},
      {"no PE signature", notPe, -1},
      {"cut inside the headers", Program().substr(0, 0x60), -1},
      {"no program", "just some text", -1},
  };
  for (const auto& c : cases) EXPECT_EQ(c.end, ImageEnd(c.bytes)) << c.what;
}

TEST(OwnContainer, AbsentValidOrDamaged) {
  const std::string container = ContainerOf({{0, "Setup.~lst", "[Global]\r\n"}, {1, "a.bin", std::string(3000, 'a')}});
  std::string flipped = Program() + container;
  flipped[0x500 + 1500] ^= 0x20;
  const std::string duplicate =
      RawContainer(std::string("\x02\x00", 2) + EntryBytes(1, 1, "a", "x") + EntryBytes(1, 2, "a", "y"));
  const struct {
    const char* what;
    std::string bytes;
    ContainerState state;
  } cases[] = {
      {"the runtime alone", Program(), ContainerState::Absent},
      {"with its container", Program() + container, ContainerState::Valid},
      {"a byte changed", flipped, ContainerState::Damaged},
      {"cut short", Program() + container.substr(0, container.size() - 700), ContainerState::Damaged},
      {"one byte after the program", Program() + container.substr(0, 1), ContainerState::Damaged},
      {"a name twice in a sound container", Program() + duplicate, ContainerState::Damaged},
      {"no program before it", container.substr(0, 100), ContainerState::Damaged},
  };
  for (const auto& c : cases) {
    BytesFile file(c.bytes);
    TExtraResManager manager(nullptr);
    const OwnContainer found = LoadOwnContainer(manager, file.Name());
    EXPECT_EQ(c.state, found.State) << c.what;
    EXPECT_EQ(c.state == ContainerState::Valid ? container.substr(0, 40) : "", found.Digest) << c.what;
    EXPECT_EQ("", found.Unreadable) << c.what;
  }

  TempFile missing("missing");
  TExtraResManager manager(nullptr);
  const OwnContainer found = LoadOwnContainer(manager, missing.Name());
  EXPECT_EQ(ContainerState::Damaged, found.State);
  EXPECT_NE("", found.Unreadable);
}
