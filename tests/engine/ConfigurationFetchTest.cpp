#include "engine/ConfigurationFetch.h"

#include <gtest/gtest.h>

#include "TestSupport.h"
#include "catalogue/ServerConfig.h"
#include "config/NextUpdateCheck.h"
#include "transfer/FeedKey.h"
#include "transfer/FeedTrailer.h"

namespace updater {
namespace {

// A release's asset that cannot be fetched leaves the release as it is: nothing for the user.
TEST(ConfigurationFetchTest, AReleaseAssetThatCannotBeFetchedIsNoFailureToShow) {
  const test::ScopedClientConfig client(L"ReleaseAsset");
  const test::TempFolder folder;
  test::RecordingEvents events;
  const std::wstring missing = L"http://" + test::ServerAddress(L"http") + L"/updates/none.json";
  EXPECT_EQ(kResourceNotFound, FetchReleaseAsset(client.Config(), missing, 200,
                                                 folder.File(L"settings.json"), &events, nullptr));
  EXPECT_TRUE(events.failures.empty());
}

// What is parsed is what was verified: one read that keeps writers out, cut before the signature,
// whatever the file holds afterwards.
TEST(ConfigurationFetchTest, TheVerifiedBytesAreTheParsedBytes) {
  std::wstring privateKey, publicKey, signature;
  ASSERT_EQ(kSuccess, GenerateFeedKey(&privateKey, &publicKey));
  const test::ScopedClientConfig client(L"Verified", L"FeedPublicKey=" + publicKey + L"\r\n");
  const test::TempFolder folder;
  const std::wstring path = folder.File(L"updates.ini");
  const std::string section = "[Signed]\r\nName=Signed\r\nURL=http://127.0.0.1/s.exe\r\nSize=1\r\n"
                              "FilePath=C:\\s.exe\r\n";
  const std::string signedPart = ";qzu;\r\n[General]\r\nConfigFileVersion=1.0\r\n" + section +
                                 FeedTrailerHead(1, FeedExpiryAfterDays(CurrentFileTime(), 30));
  ASSERT_EQ(kSuccess, SignFeedBytes(privateKey, signedPart, &signature));
  test::WriteBytes(path, signedPart + ";signature=" + test::Narrow(signature) + "\r\n");

  std::string verified = "left over";
  {
    const FileHandle writer(CreateFileW(path.c_str(), GENERIC_WRITE,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    EXPECT_EQ(static_cast<ResultCode>(ERROR_SHARING_VIOLATION),
              VerifyConfigurationFile(client.Config(), path, &verified));
    EXPECT_TRUE(verified.empty());
  }
  ASSERT_EQ(kSuccess, VerifyConfigurationFile(client.Config(), path, &verified));
  EXPECT_EQ(signedPart, verified);

  test::WriteBytes(path, ";qzu;\r\n[General]\r\nConfigFileVersion=1.0\r\n" + section +
                             "[Swapped]\r\nName=Swapped\r\nURL=http://127.0.0.1/x.exe\r\nSize=1\r\n");
  UpdateList updates;
  ServerConfig config(path, client.Config(), updates);
  config.SetVerifiedBytes(verified);
  ASSERT_EQ(kSuccess, config.Load(true, false));
  ASSERT_EQ(1u, updates.updates.size());
  EXPECT_EQ(L"Signed", updates.updates[0].sectionName);
  // The file as it stands now has no signature: with a key configured it is refused and deleted.
  EXPECT_EQ(kFeedSignatureInvalid, VerifyConfigurationFile(client.Config(), path, &verified));
  EXPECT_FALSE(test::FileExists(path));
}

}  // namespace
}  // namespace updater
