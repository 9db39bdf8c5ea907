#include "base/ObjectAccessReader.h"

#include <aclapi.h>
#include <sddl.h>

#include <vector>

#include "base/UniqueHandle.h"

namespace updater {
namespace {

using LocalText = ClosedBy<wchar_t*, &LocalFree>;

std::wstring SidText(PSID sid) {
  LocalText text;
  if (sid == nullptr || !ConvertSidToStringSidW(sid, text.Put())) return std::wstring();
  return text.Get();
}

// Allow, deny and their conditional kinds share one layout: header, mask, SID.
AccessEntry EntryOf(const ACE_HEADER* header) {
  const auto* plain = reinterpret_cast<const ACCESS_ALLOWED_ACE*>(header);
  AccessEntry entry;
  entry.inheritOnly = (header->AceFlags & INHERIT_ONLY_ACE) != 0;
  switch (header->AceType) {
    case ACCESS_ALLOWED_ACE_TYPE:
    case ACCESS_ALLOWED_CALLBACK_ACE_TYPE:
      entry.mask = plain->Mask;
      entry.sid = SidText(const_cast<DWORD*>(&plain->SidStart));
      break;
    case ACCESS_DENIED_ACE_TYPE:
      entry.allows = false;
      entry.mask = plain->Mask;
      entry.sid = SidText(const_cast<DWORD*>(&plain->SidStart));
      break;
    case ACCESS_DENIED_CALLBACK_ACE_TYPE:
      break;  // may not apply
    default:
      entry.mask = GENERIC_ALL;
      entry.sid = kEveryoneSid;
  }
  return entry;
}

}  // namespace

ObjectAccess ObjectAccessOf(PSECURITY_DESCRIPTOR descriptor) {
  ObjectAccess access;
  PSID owner = nullptr;
  BOOL defaulted = FALSE, present = FALSE;
  if (GetSecurityDescriptorOwner(descriptor, &owner, &defaulted)) access.owner = SidText(owner);
  PACL dacl = nullptr;
  if (!GetSecurityDescriptorDacl(descriptor, &present, &dacl, &defaulted) || !present ||
      dacl == nullptr) {
    access.hasDacl = false;
    return access;
  }
  for (DWORD i = 0; i < dacl->AceCount; ++i) {
    void* ace = nullptr;
    if (GetAce(dacl, i, &ace)) access.entries.push_back(EntryOf(static_cast<ACE_HEADER*>(ace)));
  }
  return access;
}

ResultCode ReadFileAccess(const std::wstring& path, ObjectAccess* access) {
  LocalSecurityDescriptor descriptor;
  const DWORD read = GetNamedSecurityInfoW(
      path.c_str(), SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION,
      nullptr, nullptr, nullptr, nullptr, descriptor.Put());
  if (read != ERROR_SUCCESS) return read;
  *access = ObjectAccessOf(descriptor.Get());
  return kSuccess;
}

ResultCode CurrentUserSid(std::wstring* sid) {
  KernelHandle token;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, token.Put())) return GetLastError();
  DWORD size = 0;
  GetTokenInformation(token.Get(), TokenUser, nullptr, 0, &size);
  std::vector<BYTE> user(size);
  if (size == 0 || !GetTokenInformation(token.Get(), TokenUser, user.data(), size, &size)) {
    return GetLastError();
  }
  *sid = SidText(reinterpret_cast<TOKEN_USER*>(user.data())->User.Sid);
  return sid->empty() ? ERROR_INVALID_SID : kSuccess;
}

}  // namespace updater
