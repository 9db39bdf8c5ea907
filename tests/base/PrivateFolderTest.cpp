#include "base/PrivateFolder.h"

#include <gtest/gtest.h>
#include <sddl.h>

#include "TestSupport.h"
#include "base/ObjectAccessReader.h"
#include "base/ResultText.h"

namespace updater {
namespace {

// Only LocalSystem and the Administrators get into what is made private, though the folder above
// hands everybody everything; what somebody else made first is not taken over.
TEST(PrivateFolderTest, OnlySystemAndAdministratorsGetInAndNothingIsInherited) {
  LocalSecurityDescriptor descriptor;
  SECURITY_DESCRIPTOR_CONTROL control = 0;
  DWORD revision = 0;
  ASSERT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorW(kPrivateAccess, SDDL_REVISION_1,
                                                                   descriptor.Put(), nullptr) &&
              GetSecurityDescriptorControl(descriptor.Get(), &control, &revision));
  EXPECT_NE(0, control & SE_DACL_PROTECTED) << "the folder above could hand its entries down";
  std::wstring entries;
  for (const AccessEntry& entry : ObjectAccessOf(descriptor.Get()).entries) {
    entries += (entry.allows ? L"" : L"deny ") + entry.sid + FormatText(L":0x%X ", entry.mask);
  }
  EXPECT_EQ(L"S-1-5-18:0x1F01FF S-1-5-32-544:0x1F01FF ", entries) << "FILE_ALL_ACCESS each";

  // As the system keeps it: Wine 8 keeps no DACL of a file, only its Unix mode, which it reads
  // back as entries of LocalSystem and of the owner, this user.
  std::wstring user;
  ASSERT_EQ(kSuccess, CurrentUserSid(&user));
  const test::TempFolder parent;
  ASSERT_TRUE(test::SetFileDacl(parent.Path(), L"D:(A;OICI;FA;;;WD)"));
  const std::wstring folder = parent.File(L"folder"), file = parent.File(L"file");
  std::wstring fresh;
  FileHandle handle;
  ASSERT_EQ(kSuccess, CreatePrivateFolder(folder));
  ASSERT_EQ(kSuccess, CreatePrivateFile(file, &handle));
  ASSERT_EQ(kSuccess, CreateFreshPrivateFolder(parent.Path() + L"\\", L"qzu", &fresh));
  EXPECT_EQ(parent.File(L"qzu").size() + 16, fresh.size()) << "the prefix and 16 digits";
  for (const std::wstring& made : {folder, file, fresh}) {
    ObjectAccess access;
    ASSERT_EQ(kSuccess, ReadFileAccess(made, &access)) << test::Narrow(made);
    EXPECT_FALSE(access.entries.empty()) << test::Narrow(made);
    for (const AccessEntry& entry : access.entries) {
      EXPECT_TRUE(entry.sid == kLocalSystemSid || entry.sid == kAdministratorsSid ||
                  entry.sid == user)
          << test::Narrow(made) << " lets in " << test::Narrow(entry.sid);
    }
  }
  EXPECT_EQ(static_cast<ResultCode>(ERROR_ALREADY_EXISTS), CreatePrivateFolder(folder));
  EXPECT_EQ(static_cast<ResultCode>(ERROR_FILE_EXISTS), CreatePrivateFile(file, &handle));
}

}  // namespace
}  // namespace updater
