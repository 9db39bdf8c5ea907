#include <gtest/gtest.h>

#include "TestSupport.h"
#include "publisher/FeedTool.h"
#include "transfer/BlockMap.h"
#include "transfer/Sha256File.h"
#include "transfer/TransferTestSupport.h"

namespace updater::test {
namespace {

// Over 1 MiB, so that blocks span the tool's reads; each block's hash is checked against its bytes.
TEST(BlockMapCommandTest, WritesAMapTheReaderAcceptsWithTheInstallersHashes) {
  TempFolder folder;
  const std::wstring installer = folder.File(L"setup.exe");
  const std::string bytes = PatternBytes(3 * 1024 * 1024 + 123, 5);
  WriteBytes(installer, bytes);
  std::wstring out, warnings;
  ASSERT_EQ(0, RunFeedTool({L"blockmap", installer}, &out, &warnings)) << Narrow(out);
  BlockMap map;
  ASSERT_EQ(kSuccess, ParseBlockMap(ReadFileBytes(installer + L".blockmap"), &map));
  std::vector<unsigned char> digest;
  ASSERT_EQ(kSuccess, ComputeSHA256(bytes, &digest));
  EXPECT_EQ(bytes.size(), map.size);
  EXPECT_EQ(digest, map.sha256);
  for (const MappedBlock& block : map.blocks) {
    ASSERT_EQ(kSuccess, ComputeSHA256(bytes.substr(block.offset, block.length), &digest));
    EXPECT_EQ(digest, block.sha256) << "block at " << block.offset;
  }
  EXPECT_EQ(1, RunFeedTool({L"blockmap", folder.File(L"missing.exe")}, &out, &warnings));
  EXPECT_EQ(2, RunFeedTool({L"blockmap"}, &out, &warnings));
}

}  // namespace
}  // namespace updater::test
