#include "base/ObjectAccess.h"

#include <algorithm>
#include <map>

namespace updater {
namespace {

// The rights a generic right stands for on files and folders.
DWORD FileRights(DWORD mask) {
  DWORD rights = mask & ~(GENERIC_READ | GENERIC_WRITE | GENERIC_EXECUTE | GENERIC_ALL);
  if (mask & GENERIC_READ) rights |= FILE_GENERIC_READ;
  if (mask & GENERIC_WRITE) rights |= FILE_GENERIC_WRITE;
  if (mask & GENERIC_EXECUTE) rights |= FILE_GENERIC_EXECUTE;
  if (mask & GENERIC_ALL) rights |= FILE_ALL_ACCESS;
  return rights;
}

void AddGrant(const std::wstring& sid, DWORD rights, std::vector<AccessGrant>* grants) {
  if (rights == 0) return;
  for (AccessGrant& grant : *grants) {
    if (grant.sid == sid) {
      grant.rights |= rights;
      return;
    }
  }
  grants->push_back({sid, rights});
}

}  // namespace

std::vector<AccessGrant> GrantsToOthers(const ObjectAccess& access,
                                        const std::vector<std::wstring>& trusted) {
  const auto isTrusted = [&trusted](const std::wstring& sid) {
    return std::find(trusted.begin(), trusted.end(), sid) != trusted.end();
  };
  std::vector<AccessGrant> grants;
  if (!access.hasDacl) {
    grants.push_back({kEveryoneSid, FILE_ALL_ACCESS});
    return grants;
  }
  const bool ownerRightsListed =
      std::any_of(access.entries.begin(), access.entries.end(),
                  [](const AccessEntry& entry) { return entry.sid == kOwnerRightsSid; });
  if (!access.owner.empty() && !isTrusted(access.owner) && !ownerRightsListed) {
    AddGrant(access.owner, READ_CONTROL | WRITE_DAC, &grants);
  }
  std::map<std::wstring, DWORD> denied;
  for (const AccessEntry& entry : access.entries) {
    if (entry.inheritOnly) continue;
    const std::wstring& sid = entry.sid == kOwnerRightsSid ? access.owner : entry.sid;
    if (sid.empty() || isTrusted(sid)) continue;
    const DWORD rights = FileRights(entry.mask);
    if (!entry.allows) {
      denied[sid] |= rights;
      continue;
    }
    AddGrant(sid, rights & ~denied[sid] & ~denied[kEveryoneSid], &grants);
  }
  return grants;
}

AccessGrant FindGrantOf(const std::vector<AccessGrant>& grants, DWORD rights) {
  for (const AccessGrant& grant : grants) {
    if (grant.rights & rights) return grant;
  }
  return {};
}

}  // namespace updater
