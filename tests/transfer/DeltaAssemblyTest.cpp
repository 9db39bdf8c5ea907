#include "transfer/DeltaAssembly.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "TestSupport.h"
#include "base/UniqueHandle.h"
#include "transfer/FileBlockMap.h"
#include "transfer/UpdateEvents.h"

namespace updater {
namespace {

TEST(DeltaAssemblyTest, PutsTheNewFileTogetherOrNamesWhatWentWrong) {
  test::TempFolder folder;
  const std::string old = test::PatternBytes(1024 * 1024, 1);
  // An insertion and a changed stretch, as a new build has them.
  std::string fresh = old.substr(0, 300000) + test::PatternBytes(64 * 1024, 2) + old.substr(300000);
  fresh.replace(800000, 32 * 1024, test::PatternBytes(32 * 1024, 3));
  const std::wstring kept = folder.File(L"kept.exe");
  test::WriteBytes(folder.File(L"new.exe"), fresh);

  const struct {
    const char* what;
    std::function<void()> damage;  // done once the plan is made
    std::function<ResultCode(std::string*)> serve;  // changes or refuses a range's bytes
    ResultCode result;
  } cases[] = {
      {"as planned", [] {}, [](std::string*) { return kSuccess; }, kSuccess},
      {"a fetched block differs from the map", [] {},
       [](std::string* bytes) { (*bytes)[bytes->size() / 2] ^= 1; return kSuccess; },
       kSha256Mismatch},
      {"the server fails", [] {}, [](std::string*) { return kResumeNotSupported; },
       kResumeNotSupported},
      {"the kept file shrank", [&] { test::WriteBytes(kept, old.substr(0, 4096)); },
       [](std::string*) { return kSuccess; }, ERROR_HANDLE_EOF},
      {"the kept file changed", [&] { test::WriteBytes(kept, test::PatternBytes(old.size(), 4)); },
       [](std::string*) { return kSuccess; }, kSha256Mismatch},
  };
  for (const auto& c : cases) {
    test::WriteBytes(kept, old);
    DeltaRecipe recipe;
    BlockMap local;
    ASSERT_EQ(kSuccess, MapFile(folder.File(L"new.exe"), WholeDigest::Take, &recipe.target));
    ASSERT_EQ(kSuccess, MapFile(kept, WholeDigest::Skip, &local));
    std::vector<LocalBlock> blocks;
    for (const MappedBlock& block : local.blocks) {
      blocks.push_back({0, block.offset, block.length, block.sha256});
    }
    recipe.plan = PlanDelta(recipe.target, blocks);
    recipe.sources = {kept};
    ASSERT_LT(recipe.plan.bytesToFetch, fresh.size() / 2) << c.what;
    c.damage();

    const std::wstring out = folder.File(L"out.exe");
    FileHandle file(CreateFileW(out.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    std::uint64_t fetched = 0;
    const ResultCode result = AssembleDelta(
        recipe, file.Get(), Unobserved(), [&](const ByteRange& range, const ByteSink& sink) {
          std::string bytes = fresh.substr(range.first, range.last - range.first + 1);
          fetched += bytes.size();
          const ResultCode served = c.serve(&bytes);
          return served != kSuccess ? served : sink(bytes.data(), static_cast<DWORD>(bytes.size()));
        });
    file.Reset();
    EXPECT_EQ(c.result, result) << c.what;
    if (result == kSuccess) {
      EXPECT_EQ(fresh, test::ReadFileBytes(out)) << c.what;
      EXPECT_EQ(recipe.plan.bytesToFetch, fetched) << c.what;
    }
  }
}

}  // namespace
}  // namespace updater
