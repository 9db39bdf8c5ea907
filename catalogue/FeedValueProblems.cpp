#include "catalogue/FeedValueProblems.h"

#include <iterator>
#include <unordered_set>

#include "base/TextUtil.h"
#include "catalogue/Applicability.h"
#include "catalogue/Detection.h"
#include "catalogue/DetectionKeys.h"
#include "catalogue/FeedKeys.h"
#include "catalogue/IniReader.h"
#include "catalogue/RolloutPercent.h"
#include "catalogue/UpdateFlags.h"
#include "catalogue/UpdateSectionKeys.h"
#include "config/PathExpansion.h"

namespace updater {
namespace {

// Every variable defined and every component installed: a path that still does not expand names
// a property that fails on every machine.
class AnyPathLookup : public PathLookup {
 public:
  bool EnvironmentVariable(const std::wstring&, std::wstring* value) const override {
    value->clear();
    return true;
  }
  INSTALLSTATE ComponentPath(const std::wstring&, const std::wstring&,
                             std::wstring* path) const override {
    path->clear();
    return INSTALLSTATE_LOCAL;
  }
};

// The largest part of an app package's version, which the system holds in 16 bits.
constexpr std::int32_t kMaxPackageVersionPart = 65535;

class SectionValues {
 public:
  SectionValues(const IniDocument& document, const std::wstring& section,
                std::vector<std::wstring>* problems)
      : document_(document), section_(section), problems_(problems) {}

  std::wstring Value(const wchar_t* key) const { return document_.Value(section_, key); }
  void Add(const wchar_t* key, const wchar_t* what, const std::wstring& value) const {
    problems_->push_back(L"[" + section_ + L"] " + key + L" " + what + L": " + value);
  }

 private:
  const IniDocument& document_;
  const std::wstring& section_;
  std::vector<std::wstring>* problems_;
};

// `Keys`: FeedKey or UpdateSectionKey entries, each with a name and a form.
template <typename Keys>
void CheckVersions(const SectionValues& values, const Keys& table) {
  for (const auto& key : table) {
    const std::wstring value = values.Value(key.name);
    if (key.form == FeedKeyForm::Version && !value.empty() && !VersionNumber().Parse(value)) {
      values.Add(key.name, L"is not a version", value);
    }
  }
}

// `loaderRefusesUnparsed`: the loader refuses a section whose date does not parse, and says so.
void CheckDate(const SectionValues& values, const wchar_t* key, bool loaderRefusesUnparsed) {
  const std::wstring value = values.Value(key);
  SYSTEMTIME date;
  if (value.empty() || ParseCalendarDate(value, &date)) return;
  if (loaderRefusesUnparsed && !ParseIniDate(value, &date)) return;
  values.Add(key, L"is not a real date (day/month/year)", value);
}

void CheckExpandable(const SectionValues& values, const wchar_t* key) {
  const std::wstring value = values.Value(key);
  std::wstring expanded;
  if (ExpandPath(value, std::wstring(), AnyPathLookup(), &expanded) != kSuccess) {
    values.Add(key, L"names a property other than [APPDIR] and [{product code}component id]",
               value);
  }
}

void CheckRegistryKey(const SectionValues& values, const UpdateInfo& update) {
  const std::wstring& value = update.detectionTarget;
  RegistryLocation location;
  if (!SplitRegistryKey(value, &location)) {
    // The same key path and value name under a root detection knows tell which part is wrong.
    const std::size_t rootEnd = value.find(L'\\');
    if (rootEnd != std::wstring::npos &&
        SplitRegistryKey(L"HKLM" + value.substr(rootEnd), &location)) {
      values.Add(L"RegistryKey", L"root is not one of HKLM, HKCU, HKU, HKCC, HKCR, HKUD", value);
    } else {
      values.Add(L"RegistryKey", L"is not ROOT\\key path\\value name", value);
    }
  } else if (!location.isPerUserOrMachine && !(update.detectionBits & kDetectionVersionGiven)) {
    values.Add(L"RegistryKey",
               L"without Version is never found installed (only an HKUD key is found by itself)",
               value);
  }
}

void CheckAppPackage(const SectionValues& values, const UpdateInfo& update) {
  if (!update.appIdArch.empty() && !IsPackageArchitectureName(update.appIdArch)) {
    values.Add(L"AppIdArch", L"is not x86, x64 or neutral", update.appIdArch);
  }
  for (int i = 0; i < 4; ++i) {
    if (update.version.Field(i) > kMaxPackageVersionPart) {
      values.Add(L"Version", L"has a part above 65535, which no app package version holds",
                 values.Value(L"Version"));
      return;
    }
  }
}

// The detection source as the loader picks it, and the keys that go with it.
void CheckDetection(const SectionValues& values) {
  UpdateInfo update;
  const auto text = [&](const wchar_t* key) { return values.Value(key); };
  ReadDetectionKeys(text, std::wstring(), &update);
  switch (update.detectionKind) {
    case DetectionKind::File:
      CheckExpandable(values, L"FilePath");
      if ((update.detectionBits & kDetectionFileSizeGiven) && update.fileSize <= 0) {
        values.Add(L"FileSize", L"is not a number of bytes above 0", values.Value(L"FileSize"));
      }
      break;
    case DetectionKind::Registry:
      CheckRegistryKey(values, update);
      break;
    case DetectionKind::Custom:
      CheckExpandable(values, L"CustomDetection");
      break;
    case DetectionKind::AppPackage:
      CheckAppPackage(values, update);
      break;
    case DetectionKind::None:
      break;
  }
  // A Version without digits is named as no version already.
  const std::wstring version = values.Value(L"Version");
  const std::size_t digit = version.find_first_of(L"0123456789");
  const std::wstring op = Trim(version.substr(0, digit));
  if (digit != std::wstring::npos && !op.empty() && op != L"=" && op != L">=") {
    values.Add(L"Version", L"operator is neither = nor >= (read as >=)", version);
  }
}

void CheckUpdateSection(const SectionValues& values) {
  CheckVersions(values, UpdateSectionKeys());
  CheckDate(values, L"ReleaseDate", true);
  const std::wstring flags = values.Value(L"Flags");
  std::uint32_t bits = 0;
  if (!flags.empty() && !ParseTokenList(flags, kUpdateFlagNames, &bits)) {
    values.Add(L"Flags", L"has a name the updater does not know, and it ignores the names after it",
               flags);
  }
  const std::wstring rollout = values.Value(L"RolloutPercent");
  if (ParseRolloutPercent(rollout) == kRolloutToNobody) {
    values.Add(L"RolloutPercent", L"is not a whole number from 0 to 100 (offered to no one)",
               rollout);
  }
  for (const std::wstring& item : ParseIniList(values.Value(L"UpdatedApplicationVersions"))) {
    ApplicationVersionItem parsed;
    if (!ParseApplicationVersionItem(item, &parsed)) {
      values.Add(L"UpdatedApplicationVersions",
                 L"item is not one of the operators =, >=, >, <=, < and a version", item);
    }
  }
  for (const std::wstring& item : ParseIniList(values.Value(L"UpdatedApplications"))) {
    ApplicationRange parsed;
    if (!ParseApplicationRange(item, &parsed)) {
      values.Add(L"UpdatedApplications",
                 L"item is not a name and a version range such as App[1.0-2.0)", item);
    }
  }
  CheckDetection(values);
}

}  // namespace

std::vector<std::wstring> FeedValueProblems(const IniDocument& document) {
  const std::wstring general = FoldIniName(L"General");
  std::unordered_set<std::wstring> seen;
  std::vector<std::wstring> problems;
  for (const std::wstring& section : document.SectionNames()) {
    const std::wstring folded = FoldIniName(section);
    if (!seen.insert(folded).second) continue;
    const SectionValues values(document, section, &problems);
    if (folded == general) {
      CheckVersions(values, kGeneralKeys);
      CheckDate(values, L"MessageExpirationDate", false);
    } else {
      CheckUpdateSection(values);
    }
  }
  return problems;
}

}  // namespace updater
