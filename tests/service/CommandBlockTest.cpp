#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "service/CommandBlock.h"

namespace updater {
namespace {

TEST(CommandBlockTest, StringsAreCutTo1039CharactersAndTheResultSitsBehindThem) {
  const std::wstring longest(1039, L'x');
  const IpcCommand cases[] = {
      {L"install", L"Demo Fix 1.3", L"C:\\Users\\u\\Downloads", L"https://example.test/u.ini"},
      {longest, longest + L"y", std::wstring(2000, L'z'), L""},
  };
  for (const IpcCommand& c : cases) {
    std::vector<unsigned char> block(kCommandBlockSize, 0xCC);
    WriteCommand(block.data(), c);
    const IpcCommand read = ReadCommand(block.data());
    EXPECT_EQ(c.name.substr(0, 1039), read.name);
    EXPECT_EQ(c.argument1.substr(0, 1039), read.argument1);
    EXPECT_EQ(c.argument2.substr(0, 1039), read.argument2);
    EXPECT_EQ(c.argument3.substr(0, 1039), read.argument3);
    EXPECT_EQ(0xCCCCCCCCu, ReadCommandResult(block.data())) << "strings overran the result";
  }
  std::vector<unsigned char> block(kCommandBlockSize, 0);
  WriteCommandResult(block.data(), 0xE0000020);
  const unsigned char littleEndian[] = {0x20, 0x00, 0x00, 0xE0};
  EXPECT_EQ(0, std::memcmp(block.data() + 0x2080, littleEndian, 4));
  EXPECT_EQ(L"", ReadCommand(block.data()).argument3);
}

TEST(CommandBlockTest, FieldsWithoutTerminatorAreReadOnlyToTheirEnd) {
  // A hostile client fills every byte; each field still ends at its own 1039th character.
  std::vector<unsigned char> block(kCommandBlockSize, 0x41);
  const IpcCommand read = ReadCommand(block.data());
  const std::wstring filled(1039, static_cast<wchar_t>(0x4141));
  EXPECT_EQ(filled, read.name);
  EXPECT_EQ(filled, read.argument1);
  EXPECT_EQ(filled, read.argument3);
}

}  // namespace
}  // namespace updater
