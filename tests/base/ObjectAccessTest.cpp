#include "base/ObjectAccess.h"

#include <gtest/gtest.h>
#include <sddl.h>

#include "TestSupport.h"
#include "base/ObjectAccessReader.h"
#include "base/ResultText.h"
#include "base/UniqueHandle.h"

namespace updater {
namespace {

// The grants as "SID:0xRIGHTS" joined by blanks.
std::wstring GrantsText(const std::vector<AccessGrant>& grants) {
  std::wstring text;
  for (const AccessGrant& grant : grants) {
    text += (text.empty() ? L"" : L" ") + grant.sid + FormatText(L":0x%X", grant.rights);
  }
  return text;
}

// The administrator who trusts, and a standard user.
#define SID_ADMIN L"S-1-5-21-1-2-3-1001"
#define SID_USER L"S-1-5-21-1-2-3-1002"
#define SID_INSTALLER L"S-1-5-80-956008885-3418522649-1831038044-1853292631-2271478464"

TEST(ObjectAccessTest, GrantsToOthersFollowTheAccessCheck) {
  struct Case { const wchar_t* sddl; const wchar_t* grants; bool changes; };
  const Case cases[] = {
      {L"O:BAD:(A;;FA;;;SY)(A;;FA;;;BA)(A;;FA;;;" SID_ADMIN L")", L"", false},
      {nullptr, L"S-1-1-0:0x1F01FF", true},  // a NULL DACL
      {L"D:", L"", false},
      // Wine's own folders and files: everybody may read.
      {L"O:" SID_ADMIN L"D:(A;OICI;FA;;;SY)(A;OICI;FA;;;" SID_ADMIN L")(A;OICI;0x1200a9;;;WD)",
       L"S-1-1-0:0x1200A9", false},
      // A standard user's own folder.
      {L"O:" SID_USER L"D:(A;OICI;FA;;;SY)(A;OICI;FA;;;" SID_USER L")(A;OICI;0x1200a9;;;WD)",
       SID_USER L":0x1F01FF S-1-1-0:0x1200A9", true},
      {L"O:" SID_INSTALLER L"D:(A;;FA;;;" SID_INSTALLER L")(A;;0x1200a9;;;BU)(A;OICIIO;GA;;;CO)"
       L"(A;;FA;;;SY)(A;;FA;;;BA)",
       L"S-1-5-32-545:0x1200A9", false},
      {L"D:(A;;GA;;;WD)", L"S-1-1-0:0x1F01FF", true},
      {L"D:(A;;GW;;;AU)", L"S-1-5-11:0x120116", true},
      {L"D:(A;;0x4;;;BU)", L"S-1-5-32-545:0x4", true},
      {L"D:(A;;0x40;;;BU)", L"S-1-5-32-545:0x40", true},
      {L"D:(A;;WD;;;WD)", L"S-1-1-0:0x40000", true},
      {L"D:(A;;SD;;;BU)(A;;0x1200a9;;;BU)", L"S-1-5-32-545:0x1300A9", true},
      {L"D:(A;OICIIO;FA;;;WD)", L"", false},
      {L"D:(A;OICI;FA;;;WD)", L"S-1-1-0:0x1F01FF", true},
      // A deny entry before an allow one takes away only what it names.
      {L"D:(D;;GW;;;WD)(A;;FA;;;BU)", L"S-1-5-32-545:0xD00E9", true},
      {L"D:(D;;FA;;;WD)(A;;FA;;;BU)", L"", false},
      {L"D:(D;;FA;;;BU)(A;;FA;;;BU)", L"", false},
      // After the allow entry, or for a group whose members are not known, it takes nothing.
      {L"D:(A;;FA;;;BU)(D;;FA;;;BU)", L"S-1-5-32-545:0x1F01FF", true},
      {L"D:(D;;FA;;;BU)(A;;FA;;;" SID_USER L")", SID_USER L":0x1F01FF", true},
      // An owner may change the DACL unless OWNER RIGHTS says otherwise.
      {L"O:" SID_USER L"D:(A;;FA;;;SY)", SID_USER L":0x60000", true},
      {L"O:" SID_USER L"D:(A;;FR;;;OW)", SID_USER L":0x120089", false},
      {L"O:BAD:(A;;FA;;;OW)", L"", false},
  };
  for (const Case& c : cases) {
    const std::string what = c.sddl != nullptr ? test::Narrow(c.sddl) : "NULL DACL";
    // Wine reads "D:NO_ACCESS_CONTROL" as an empty DACL rather than a NULL one.
    SECURITY_DESCRIPTOR nullDacl = {};
    LocalSecurityDescriptor descriptor;
    if (c.sddl == nullptr) {
      ASSERT_TRUE(InitializeSecurityDescriptor(&nullDacl, SECURITY_DESCRIPTOR_REVISION) &&
                  SetSecurityDescriptorDacl(&nullDacl, TRUE, nullptr, FALSE));
    } else {
      ASSERT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorW(
          c.sddl, SDDL_REVISION_1, descriptor.Put(), nullptr))
          << what;
    }
    const std::vector<AccessGrant> grants =
        GrantsToOthers(ObjectAccessOf(c.sddl != nullptr ? descriptor.Get() : &nullDacl),
                       {kLocalSystemSid, kAdministratorsSid, kTrustedInstallerSid, SID_ADMIN});
    EXPECT_EQ(c.grants, GrantsText(grants)) << what;
    EXPECT_EQ(c.changes, !FindGrantOf(grants, kFileChangeRights).sid.empty()) << what;
  }
}

}  // namespace
}  // namespace updater
