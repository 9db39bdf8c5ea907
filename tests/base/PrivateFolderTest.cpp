#include "base/PrivateFolder.h"

#include <gtest/gtest.h>
#include <aclapi.h>

#include "TestSupport.h"
#include "base/ObjectAccessReader.h"
#include "base/ResultText.h"

namespace updater {
namespace {

// "protected" when the DACL of `path` takes nothing from the folder above, then its entries as
// "SID:0xMASK".
std::wstring AccessText(const std::wstring& path) {
  LocalSecurityDescriptor descriptor;
  SECURITY_DESCRIPTOR_CONTROL control = 0;
  DWORD revision = 0;
  if (GetNamedSecurityInfoW(path.c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr,
                            nullptr, nullptr, nullptr, descriptor.Put()) != ERROR_SUCCESS ||
      !GetSecurityDescriptorControl(descriptor.Get(), &control, &revision)) {
    return L"unreadable";
  }
  std::wstring text = (control & SE_DACL_PROTECTED) != 0 ? L"protected" : L"inherits";
  for (const AccessEntry& entry : ObjectAccessOf(descriptor.Get()).entries) {
    text += (entry.allows ? L" " : L" deny ") + entry.sid + FormatText(L":0x%X", entry.mask);
  }
  return text;
}

// Only LocalSystem and the Administrators get into what is made private, though the folder above
// hands everybody everything; what somebody else made first is not taken over.
TEST(PrivateFolderTest, OnlySystemAndAdministratorsGetInAndNothingIsInherited) {
  const test::TempFolder parent;
  ASSERT_TRUE(test::SetFileDacl(parent.Path(), L"D:(A;OICI;FA;;;WD)"));
  const std::wstring expected = L"protected S-1-5-18:0x1F01FF S-1-5-32-544:0x1F01FF";
  const std::wstring folder = parent.File(L"folder"), file = parent.File(L"file");
  ASSERT_EQ(kSuccess, CreatePrivateFolder(folder));
  EXPECT_EQ(expected, AccessText(folder));
  EXPECT_EQ(static_cast<ResultCode>(ERROR_ALREADY_EXISTS), CreatePrivateFolder(folder));
  FileHandle handle;
  ASSERT_EQ(kSuccess, CreatePrivateFile(file, &handle));
  EXPECT_EQ(expected, AccessText(file));
  EXPECT_EQ(static_cast<ResultCode>(ERROR_FILE_EXISTS), CreatePrivateFile(file, &handle));
  std::wstring fresh;
  ASSERT_EQ(kSuccess, CreateFreshPrivateFolder(parent.Path() + L"\\", L"qzu", &fresh));
  EXPECT_EQ(expected, AccessText(fresh));
  EXPECT_EQ(parent.File(L"qzu").size() + 16, fresh.size()) << "the prefix and 16 digits";
}

}  // namespace
}  // namespace updater
