#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace updater {

// SIDs in the string form ConvertSidToStringSidW gives.
constexpr wchar_t kEveryoneSid[] = L"S-1-1-0";
constexpr wchar_t kOwnerRightsSid[] = L"S-1-3-4";
constexpr wchar_t kLocalSystemSid[] = L"S-1-5-18";
constexpr wchar_t kAdministratorsSid[] = L"S-1-5-32-544";
constexpr wchar_t kTrustedInstallerSid[] =
    L"S-1-5-80-956008885-3418522649-1831038044-1853292631-2271478464";

// Rights to replace or rewrite a file, or to add, rename or remove what a folder holds
// (FILE_ADD_FILE and FILE_ADD_SUBDIRECTORY are the folder names of the first two), or to give
// oneself any of them.
constexpr DWORD kFileChangeRights = FILE_WRITE_DATA | FILE_APPEND_DATA | FILE_DELETE_CHILD |
                                    DELETE | WRITE_DAC | WRITE_OWNER;

// One entry of a DACL, in the order the access check reads it.
struct AccessEntry {
  bool allows = true;        // an allow entry, else a deny entry
  bool inheritOnly = false;  // only handed down to what is created inside; no right here
  DWORD mask = 0;
  std::wstring sid;
};

// Who may do what with an object: its owner, and its DACL unless `hasDacl` is false (a NULL
// DACL, which lets everybody do everything).
struct ObjectAccess {
  std::wstring owner;
  bool hasDacl = true;
  std::vector<AccessEntry> entries;
};

// Rights that SID gets from an object, generic rights mapped to those of files.
struct AccessGrant {
  std::wstring sid;
  DWORD rights = 0;
};

// What `access` lets each SID outside `trusted` do to a file or folder, in the order of the
// entries, none for a SID left with no right. A deny entry takes rights away from the allow
// entries after it for its own SID, and for every SID when it names Everyone: a deny entry for a
// group cannot be relied on, since who belongs to it is not known here. An untrusted owner may
// always read and change the DACL, unless an OWNER RIGHTS entry says what it may do.
std::vector<AccessGrant> GrantsToOthers(const ObjectAccess& access,
                                        const std::vector<std::wstring>& trusted);

// The first of `grants` with any of `rights`; one without a SID when none has.
AccessGrant FindGrantOf(const std::vector<AccessGrant>& grants, DWORD rights);

}  // namespace updater
