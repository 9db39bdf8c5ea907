#pragma once

#include <string>

#include "catalogue/OsFacts.h"
#include "catalogue/UpdateInfo.h"
#include "catalogue/VersionNumber.h"

namespace updater {

// The operators of an UpdatedApplicationVersions item, with their stored codes.
enum class VersionComparison : int { Equal = 1, AtLeast = 2, Greater = 3, AtMost = 4, Less = 5 };

// One UpdatedApplicationVersions item, such as ">= 2.0".
struct ApplicationVersionItem {
  VersionComparison comparison = VersionComparison::Equal;
  VersionNumber version;
};

// One UpdatedApplications item, such as "Viewer[1.0-2.5)": a name and a version interval.
struct ApplicationRange {
  std::wstring name;
  VersionNumber lower;
  VersionNumber upper;
  bool lowerIncluded = true;
  bool upperIncluded = true;
};

// False for an item whose text before the first digit is not exactly one operator, or whose rest
// is not a valid version text.
bool ParseApplicationVersionItem(const std::wstring& text, ApplicationVersionItem* item);
bool Holds(const ApplicationVersionItem& item, const VersionNumber& applicationVersion);

// False when the item has no brackets, ends in anything but its closing bracket, or has a bound
// that does not parse. A single version without "-" is both bounds.
bool ParseApplicationRange(const std::wstring& text, ApplicationRange* range);
bool Contains(const ApplicationRange& range, const VersionNumber& version);

// The bounds TargetOsMinVersion and TargetOsMaxVersion, each ignored when all zero.
bool IsOsVersionInRange(const UpdateInfo& update, const OsFacts& os);

// True without items, else when one valid item holds for the application version.
bool MatchesApplicationVersion(const UpdateInfo& update, const std::wstring& applicationVersion);

// True without items, at the first item that does not parse, or at the first item that names the
// application (any item when the name is empty) with a range that contains its version.
bool MatchesApplication(const UpdateInfo& update, const std::wstring& applicationName,
                        const std::wstring& applicationVersion);

}  // namespace updater
