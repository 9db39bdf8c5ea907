#include "service/ServiceControl.h"

#include <gtest/gtest.h>
#include <sddl.h>

#include <algorithm>
#include <vector>

#include "base/ObjectAccessReader.h"
#include "base/ResultText.h"
#include "base/UniqueHandle.h"

namespace updater {
namespace {

TEST(ServiceControlTest, TheManagerRunsTheExecutableAsOneWordEvenWithBlanks) {
  const std::pair<const wchar_t*, const wchar_t*> cases[] = {
      {L"C:\\Apps\\Updater.exe", L"C:\\Apps\\Updater.exe /runservice"},
      {L"C:\\A B\\Updater.exe", L"\"C:\\A B\\Updater.exe\" /runservice"},
  };
  for (const auto& [path, command] : cases) EXPECT_EQ(command, ServiceCommandLine(path)) << path;
}

// The entries of `dacl` as "SID:0xMASK", sorted, since where a new entry goes is the system's.
std::vector<std::wstring> Entries(PACL dacl) {
  SECURITY_DESCRIPTOR descriptor = {};
  InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION);
  SetSecurityDescriptorDacl(&descriptor, TRUE, dacl, FALSE);
  std::vector<std::wstring> entries;
  for (const AccessEntry& entry : ObjectAccessOf(&descriptor).entries) {
    entries.push_back((entry.allows ? L"" : L"deny ") + entry.sid +
                      FormatText(L":0x%X", entry.mask));
  }
  std::sort(entries.begin(), entries.end());
  return entries;
}

// What registration adds to the service's DACL, checked here since Wine keeps none: its
// SetServiceObjectSecurity does nothing and QueryServiceObjectSecurity answers an empty DACL.
// Everyone may start and stop the service and read who may (0x20030), and may not change what it
// runs; what the DACL held stays.
TEST(ServiceControlTest, EveryoneMayStartAndStopTheServiceAndNothingMore) {
  using Listed = std::vector<std::wstring>;
  const struct { const wchar_t* sddl; Listed entries; } cases[] = {
      // Windows' DACL of a new service: LocalSystem, the Administrators, interactive users.
      {L"D:(A;;CCLCSWRPWPDTLOCRRC;;;SY)(A;;CCDCLCSWRPWPDTLOCRSDRCWDWO;;;BA)(A;;CCLCSWLOCRRC;;;IU)",
       {L"S-1-1-0:0x20030", L"S-1-5-18:0x201FD", L"S-1-5-32-544:0xF01FF", L"S-1-5-4:0x2018D"}},
      {L"D:", {L"S-1-1-0:0x20030"}},
  };
  for (const auto& c : cases) {
    LocalSecurityDescriptor descriptor;
    BOOL present = FALSE, defaulted = FALSE;
    PACL dacl = nullptr;
    ASSERT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorW(c.sddl, SDDL_REVISION_1,
                                                                     descriptor.Put(), nullptr) &&
                GetSecurityDescriptorDacl(descriptor.Get(), &present, &dacl, &defaulted));
    PACL combined = nullptr;
    ASSERT_EQ(kSuccess, AddEveryoneStartAndStop(dacl, &combined));
    const LocalSecurityDescriptor combinedOwner(combined);
    EXPECT_EQ(c.entries, Entries(combined)) << c.sddl;
  }
}

}  // namespace
}  // namespace updater
