#include "catalogue/Applicability.h"

#include "base/TextUtil.h"
#include "catalogue/VersionFormat.h"

namespace updater {
namespace {

struct ComparisonName {
  const wchar_t* text;
  VersionComparison comparison;
};

constexpr ComparisonName kComparisons[] = {
    {L"<=", VersionComparison::AtMost}, {L"<", VersionComparison::Less},
    {L">=", VersionComparison::AtLeast}, {L">", VersionComparison::Greater},
    {L"=", VersionComparison::Equal},
};

constexpr wchar_t kBlanks[] = L" \t\r\n";

}  // namespace

bool ParseApplicationVersionItem(const std::wstring& text, ApplicationVersionItem* item) {
  const size_t firstDigit = text.find_first_of(L"0123456789");
  if (firstDigit == std::wstring::npos) return false;
  const std::wstring op = Trim(text.substr(0, firstDigit), kBlanks);
  const std::wstring versionText = Trim(text.substr(firstDigit), kBlanks);
  for (const ComparisonName& candidate : kComparisons) {
    if (op != candidate.text) continue;
    ApplicationVersionItem parsed;
    parsed.comparison = candidate.comparison;
    if (!IsValidVersionText(versionText, VersionFormatId::Dotted) || !parsed.version.Parse(versionText)) return false;
    *item = parsed;
    return true;
  }
  return false;
}

bool Holds(const ApplicationVersionItem& item, const VersionNumber& applicationVersion) {
  const VersionNumber& a = applicationVersion;
  const VersionNumber& v = item.version;
  switch (item.comparison) {
    case VersionComparison::Equal:
      return Equal(a, v);
    case VersionComparison::AtLeast:
      return AtLeast(a, v);
    case VersionComparison::Greater:
      return !AtLeast(v, a);
    case VersionComparison::AtMost:
      return AtLeast(v, a);
    case VersionComparison::Less:
      return !AtLeast(a, v);
  }
  return false;
}

bool ParseApplicationRange(const std::wstring& text, ApplicationRange* range) {
  const std::wstring item = Trim(text, kBlanks);
  if (item.empty() || (item.back() != L']' && item.back() != L')')) return false;
  // The last opening bracket, so that a name such as "Viewer (x64)" keeps its parentheses.
  const size_t open = item.find_last_of(L"[(");
  if (open == std::wstring::npos) return false;
  const std::wstring bounds = item.substr(open + 1, item.size() - open - 2);
  const size_t dash = bounds.find(L'-');
  ApplicationRange parsed;
  parsed.name = Trim(item.substr(0, open), kBlanks);
  parsed.lowerIncluded = item[open] == L'[';
  parsed.upperIncluded = item.back() == L']';
  const std::wstring lower = Trim(bounds.substr(0, dash), kBlanks);
  const std::wstring upper =
      dash == std::wstring::npos ? lower : Trim(bounds.substr(dash + 1), kBlanks);
  if (!parsed.lower.Parse(lower) || !parsed.upper.Parse(upper)) return false;
  *range = parsed;
  return true;
}

bool Contains(const ApplicationRange& range, const VersionNumber& version) {
  const bool aboveLower = range.lowerIncluded ? AtLeast(version, range.lower)
                                              : !AtLeast(range.lower, version);
  const bool belowUpper = range.upperIncluded ? AtLeast(range.upper, version)
                                              : !AtLeast(version, range.upper);
  return aboveLower && belowUpper;
}

bool IsOsVersionInRange(const UpdateInfo& update, const OsFacts& os) {
  const VersionNumber version = os.Version();
  return (update.targetOsMinVersion.IsZero() || AtLeast(version, update.targetOsMinVersion)) &&
         (update.targetOsMaxVersion.IsZero() || AtLeast(update.targetOsMaxVersion, version));
}

bool MatchesApplicationVersion(const UpdateInfo& update, const std::wstring& applicationVersion) {
  if (update.updatedApplicationVersions.empty()) return true;
  // An unparsable application version stays all zero, which the items can still compare with.
  VersionNumber version;
  version.Parse(applicationVersion);
  for (const std::wstring& text : update.updatedApplicationVersions) {
    ApplicationVersionItem item;
    if (ParseApplicationVersionItem(text, &item) && Holds(item, version)) return true;
  }
  return false;
}

bool MatchesApplication(const UpdateInfo& update, const std::wstring& applicationName,
                        const std::wstring& applicationVersion) {
  if (update.updatedApplications.empty()) return true;
  VersionNumber version;
  version.Parse(applicationVersion);
  for (const std::wstring& text : update.updatedApplications) {
    ApplicationRange range;
    // An item this version cannot read does not hide the update.
    if (!ParseApplicationRange(text, &range)) return true;
    if ((applicationName.empty() || range.name == applicationName) && Contains(range, version)) {
      return true;
    }
  }
  return false;
}

}  // namespace updater
