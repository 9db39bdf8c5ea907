#include "handover/RemovalBatchFile.h"

#include <gtest/gtest.h>

#include "TestSupport.h"
#include "base/AnsiText.h"
#include "base/ObjectAccessReader.h"

namespace updater {
namespace {

using test::Narrow;
using test::TextEncoding;

TEST(RemovalBatchFileTest, NeverOpensAFileThatExistsAndRefusesPathsCmdWouldReadOtherwise) {
  test::TempFolder folder;
  test::WriteTextFile(folder.File(L"qzuFFFF.bat"), L"start calc", TextEncoding::Ansi);
  RemovalBatchFile batch;
  ASSERT_EQ(kSuccess, CreateRemovalBatchFile(folder.Path() + L"\\", L"qzu", 0x1FFFF, false, &batch));
  EXPECT_EQ(Narrow(folder.File(L"qzu0.bat")), Narrow(batch.path)) << "the next name";
  EXPECT_EQ("start calc", test::ReadFileBytes(folder.File(L"qzuFFFF.bat")));
  // The service's batch file: nobody but LocalSystem and the Administrators may even read it.
  RemovalBatchFile privateBatch;
  ASSERT_EQ(kSuccess, CreateRemovalBatchFile(folder.Path() + L"\\", L"UPD", 0, true, &privateBatch));
  privateBatch.file.Reset();
  ObjectAccess access;
  ASSERT_EQ(kSuccess, ReadFileAccess(privateBatch.path, &access));
  std::wstring user;
  ASSERT_EQ(kSuccess, CurrentUserSid(&user));
  const auto others = GrantsToOthers(access, {L"S-1-5-18", L"S-1-5-32-544", user});
  EXPECT_EQ(L"", FindGrantOf(others, FILE_READ_DATA | FILE_WRITE_DATA).sid);
  // The test prefix's code page 1252 has é, and only look-alikes of U+FF02 and U+0100.
  const auto writable = [](const std::wstring& path) {
    std::string ansi;
    return IsSafeInBatchLine(path) && ToExactAnsiText(path, &ansi);
  };
  EXPECT_TRUE(writable(L"C:\\Users\\Ann Lee (x86)\\Temp\\qzu1A.bat"));
  EXPECT_TRUE(writable(L"C:\\Users\\Ren\xE9"));
  for (const wchar_t c : std::wstring(L"%\"^&!<>|\t\x7F\x85\xFF02\x0100")) {
    EXPECT_FALSE(writable(L"C:\\a" + std::wstring(1, c))) << static_cast<int>(c);
  }
}

}  // namespace
}  // namespace updater
