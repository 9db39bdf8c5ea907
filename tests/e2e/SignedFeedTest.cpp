#include <gtest/gtest.h>

#include "base/ObjectAccessReader.h"
#include "e2e/Scenario.h"
#include "transfer/FeedKey.h"
#include "transfer/FeedTrailer.h"
#include "transfer/HexText.h"
#include "transfer/Sha256File.h"

namespace updater::test {
namespace {

const std::wstring kHeader = L";qzu;\r\n[General]\r\nConfigFileVersion=1.0\r\n";

TEST(SignedFeedTest, OnlyAFreshFileSignedWithTheConfiguredKeyIsUsed) {
  std::wstring key, publicKey, otherKey, otherPublic;
  ASSERT_EQ(kSuccess, GenerateFeedKey(&key, &publicKey));
  ASSERT_EQ(kSuccess, GenerateFeedKey(&otherKey, &otherPublic));
  const struct { const char* what; std::function<std::string(const std::string&)> publish;
                 DWORD result; bool keyring; } cases[] = {
      {"signed", [&](const std::string& b) { return SignedFeed(b, 20, 30, key); }, 0},
      {"signed with the keyring's second key",
       [&](const std::string& b) { return SignedFeed(b, 20, 30, key); }, 0, true},
      {"a tampered byte",
       [&](const std::string& b) {
         std::string feed = SignedFeed(b, 20, 30, key);
         feed[feed.find("Signed update")] = 's';
         return feed;
       },
       0xE0000036},
      {"expired", [&](const std::string& b) { return SignedFeed(b, 20, -1, key); }, 0xE0000037},
      {"rolled back", [&](const std::string& b) { return SignedFeed(b, 9, 30, key); }, 0xE0000038},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    Scenario s;
    const std::wstring keys = c.keyring ? L"FeedPublicKey=" + otherPublic + L"\r\nFeedPublicKey1=" +
                                              publicKey
                                        : L"FeedPublicKey=" + publicKey;
    s.Configure(L"URL=" + s.Url(L"updates.ini") + L"\r\n" + keys + L"\r\n", true);
    s.Set(L"FeedSerial", 10);
    const std::string body = Narrow(kHeader + s.Section({L"Signed"}));
    s.Serve(L"updates.ini", FromUtf8Text(c.publish(body)));
    const std::wstring localCopy = s.Downloads() + L"\\updates.ini";
    if (c.result != 0) {
      EXPECT_EQ(c.result, s.Run(L"/silentall -nogui -nofreqcheck").exitCode) << Narrow(s.Log());
      EXPECT_TRUE(Contains(s.Log(), L"Refused the update configuration file ")) << Narrow(s.Log());
      EXPECT_FALSE(FileExists(localCopy)) << "kept for the next check";
      EXPECT_FALSE(FileExists(s.Marker(L"Signed"))) << "an installer ran";
      continue;
    }
    EXPECT_EQ(0u, s.InstallAll()) << Narrow(s.Log());
    EXPECT_TRUE(FileExists(s.Marker(L"Signed")));
    DWORD accepted = 0;
    EXPECT_TRUE(GetRegistryDword(HKEY_CURRENT_USER, s.Key(L"Settings"), L"FeedSerial", &accepted));
    EXPECT_EQ(20u, accepted);
    // The server answers "not modified" now; the local copy is used only after it verifies again.
    std::string local = ReadFileBytes(localCopy);
    local[local.find("Signed update")] = 's';
    WriteBytes(localCopy, local);
    EXPECT_EQ(0xE0000036u, s.Run(L"/justcheck").exitCode) << Narrow(s.Log());
  }
}

TEST(SignedFeedTest, APublisherReleasesInThreeCommandsAndTheUpdaterAcceptsIt) {
  Scenario s;
  // Published with a Size 7 bytes off and without SHA256, between a comment and blank lines.
  s.Publish(L"\r\n; The tooled release\r\n" + s.Section({L"Tooled", L"", 0, true, 7}) + L"\r\n");
  const std::wstring keyFile = s.File(L"publisher.key");
  const std::wstring feed = L"\"" + s.ServedPath(L"updates.ini") + L"\"";
  const std::string unhashed = ReadFileBytes(s.ServedPath(L"updates.ini"));
  EXPECT_EQ(0u, RunPublisher(L"keygen \"" + keyFile + L"\""));
  EXPECT_EQ(1u, RunPublisher(L"keygen \"" + keyFile + L"\"")) << "an existing key replaced";
  // The folder lets everybody read what it holds; the key is the publisher's alone.
  std::wstring user;
  ASSERT_EQ(kSuccess, CurrentUserSid(&user));
  ObjectAccess keyAccess;
  ASSERT_EQ(kSuccess, ReadFileAccess(keyFile, &keyAccess));
  ASSERT_FALSE(keyAccess.entries.empty());
  for (const AccessEntry& entry : keyAccess.entries) {
    EXPECT_TRUE(entry.sid == user || entry.sid == kLocalSystemSid) << Narrow(entry.sid);
  }
  EXPECT_EQ(1u, RunPublisher(L"validate " + feed)) << "no hash yet";
  std::string refusal;
  EXPECT_EQ(1u, RunPublisher(L"sign " + feed + L" \"" + keyFile + L"\"", &refusal));
  EXPECT_NE(std::string::npos,
            refusal.find("[Tooled] has neither SHA256 nor MD5\nNot signed: " +
                         Narrow(s.ServedPath(L"updates.ini")) + " has the problems above.\n"))
      << refusal;
  EXPECT_EQ(unhashed, ReadFileBytes(s.ServedPath(L"updates.ini"))) << "signed all the same";
  const std::wstring broken = s.File(L"broken.ini");
  // The problems the reader finds are FeedProblemsTest's: one of them stands for all here.
  WriteBytes(broken, Narrow(kHeader) +
                         "[First]\r\nSize=1\r\n"
                         "[Second]\r\nName=S\r\nURL=http://a/s.exe\r\nFilePath=C:\\s.exe\r\n"
                         "Colour=red\r\n"
                         "[Third]\r\nName=T\r\nSize=5\r\nURL=http://a/t.exe\r\nMD5=00\r\n"
                         "FilePath=C:\\t.exe\r\n");
  std::string report;
  EXPECT_EQ(1u, RunPublisher(L"validate \"" + broken + L"\"", &report));
  for (const char* line :
       {"[First] no Name\n", "[Second] no Size\n", "[Second] unknown key Colour\n",
        "The updater refuses the whole file while any section is refused: it offers none of its "
        "updates.\n",
        "1 updates read\n"}) {
    EXPECT_NE(std::string::npos, report.find(line)) << line << " missing from:\n" << report;
  }
  EXPECT_EQ(0u, RunPublisher(L"hash " + feed + L" \"" + s.ServedPath(L".") + L"\""));
  // Only the Size value changes, and SHA256 follows the section's last key.
  const std::string installer = ReadFileBytes(s.ServedPath(L"Tooled.exe"));
  std::vector<unsigned char> digest;
  ASSERT_EQ(kSuccess, ComputeSHA256(installer, &digest));
  std::string hashed = unhashed;
  const std::string wrongSize = "Size=" + std::to_string(installer.size() + 7);
  hashed.replace(hashed.find(wrongSize), wrongSize.size(),
                 "Size=" + std::to_string(installer.size()));
  const std::string lastKey = "Flags=SilentInstall\r\n";
  hashed.insert(hashed.find(lastKey) + lastKey.size(),
                "SHA256=" + Narrow(ToHexText(digest)) + "\r\n");
  EXPECT_EQ(hashed, ReadFileBytes(s.ServedPath(L"updates.ini")));
  EXPECT_EQ(0u, RunPublisher(L"validate " + feed));
  // A key that others may read still signs, with a warning.
  const std::string warned = Narrow(L"Warning: " + keyFile + L" can be read by S-1-1-0;");
  for (const bool readable : {false, true}) {
    if (readable) {
      ASSERT_TRUE(SetFileDacl(keyFile, L"D:(A;;FA;;;SY)(A;;FA;;;" + user + L")(A;;FR;;;WD)"));
    }
    std::string warnings;
    EXPECT_EQ(0u, RunPublisher(L"sign " + feed + L" \"" + keyFile + L"\" 5", nullptr, &warnings));
    EXPECT_EQ(readable, warnings.find(warned) != std::string::npos) << warnings;
  }
  for (const wchar_t* usage : {L"", L"sign", L"bogus x"}) EXPECT_EQ(2u, RunPublisher(usage)) << usage;
  // The private key blob holds the public point after its header.
  std::string blob, keyText = ReadFileBytes(keyFile);
  ASSERT_TRUE(Base64Decode(FromUtf8Text(keyText.substr(0, keyText.find('\r'))), &blob));
  s.Configure(L"URL=" + s.Url(L"updates.ini") + L"\r\nFeedPublicKey=" +
                  Base64Encode(blob.substr(8, 64)) + L"\r\n",
              true);
  EXPECT_EQ(0u, s.Run(L"/justcheck").exitCode) << Narrow(s.Log());
  EXPECT_TRUE(Contains(s.Log(), L"signed by the publisher")) << Narrow(s.Log());
}

}  // namespace
}  // namespace updater::test
