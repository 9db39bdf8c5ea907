#include "catalogue/SelectedUpdatesWriter.h"

#include <windows.h>

#include <iterator>
#include <vector>

#include "base/UniqueHandle.h"
#include "catalogue/UpdateFlags.h"

namespace updater {

namespace {

// Key writes of one section; the first failure is kept and later writes are skipped.
class SectionWriter {
 public:
  SectionWriter(const IniReader& writer, const std::wstring& section)
      : writer_(writer), section_(section) {}

  ResultCode Result() const { return result_; }

  void Text(const wchar_t* key, const std::wstring& value) {
    if (result_ == kSuccess && !value.empty()) result_ = writer_.WriteText(section_, key, value);
  }
  void Integer(const wchar_t* key, std::int64_t value) {
    if (result_ == kSuccess) result_ = writer_.WriteInteger(section_, key, value);
  }
  void List(const wchar_t* key, const std::vector<std::wstring>& items) {
    Text(key, FormatIniList(items));
  }
  void Numbered(const wchar_t* key, const std::vector<std::wstring>& items) {
    if (result_ == kSuccess) result_ = writer_.WriteNumbered(section_, key, items);
  }
  void Version(const wchar_t* key, const VersionNumber& version) {
    if (!version.IsZero()) Text(key, FormatIniVersion(version));
  }

 private:
  const IniReader& writer_;
  const std::wstring& section_;
  ResultCode result_ = kSuccess;
};

std::wstring SectionNameOf(const UpdateInfo* update) {
  return update != nullptr ? update->sectionName : std::wstring();
}

ResultCode CreateEmptyFile(const std::wstring& path, bool utf16) {
  const FileHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return GetLastError();
  // The private-profile functions keep the encoding a file starts with.
  static constexpr BYTE kByteOrderMark[] = {0xFF, 0xFE};
  DWORD written = 0;
  if (utf16 && !WriteFile(file.Get(), kByteOrderMark, sizeof(kByteOrderMark), &written, nullptr)) {
    return GetLastError();
  }
  return kSuccess;
}

}  // namespace

ResultCode WriteUpdateSection(const IniReader& writer, const UpdateInfo& update) {
  SectionWriter out(writer, update.sectionName);
  out.Text(L"Name", update.name);
  out.Text(L"ServerFileName", update.serverFileName);
  out.Integer(L"State", update.state);
  out.List(L"UpdatedApplicationVersions", update.updatedApplicationVersions);
  out.List(L"UpdatedApplications", update.updatedApplications);
  out.Numbered(L"Description", update.descriptions);
  for (const DescriptionGroup* group : {&update.features, &update.enhancements, &update.bugFixes}) {
    out.Numbered(group->plainKey, group->items);
  }
  std::vector<std::wstring> autoClose;
  for (const AutoCloseEntry& entry : update.autoCloseApplications) {
    autoClose.push_back(FormatAutoCloseEntry(entry));
  }
  out.Numbered(L"AutoCloseApplication", autoClose);
  out.Integer(L"Size", update.size);
  out.Text(L"CommandLine", update.commandLine);
  out.Text(L"NoGUICommandLineSwitch", update.noGuiSwitch);
  out.Text(L"Flags", FormatIniFlags(update.flags, kUpdateFlagNames, std::size(kUpdateFlagNames)));
  out.Text(L"SHA256", update.sha256);
  out.Text(L"MD5", update.md5);
  out.Numbered(L"URL", update.urls);
  out.Text(L"Category", update.category);
  const SYSTEMTIME& date = update.releaseDate;
  if (date.wDay != 0 || date.wMonth != 0 || date.wYear != 0) {
    out.Text(L"ReleaseDate", FormatIniDate(date));
  }
  out.Version(L"TargetOsMinVersion", update.targetOsMinVersion);
  out.Version(L"TargetOsMaxVersion", update.targetOsMaxVersion);

  switch (update.detectionKind) {
    case DetectionKind::File:
      out.Text(L"FilePath", update.detectionTarget);
      break;
    case DetectionKind::Registry:
      out.Text(L"RegistryKey", update.detectionTarget);
      break;
    case DetectionKind::Custom:
      out.Text(L"CustomDetection", update.detectionTarget);
      break;
    case DetectionKind::AppPackage:
      out.Text(L"AppIdName", update.appIdName);
      break;
    case DetectionKind::None:
      break;
  }
  out.Text(L"CustomDetectionParams", update.customDetectionParams);
  out.Text(L"AppIdArch", update.appIdArch);
  out.Text(L"AppIdResourceId", update.appIdResourceId);
  out.Text(L"AppIdPublisherId", update.appIdPublisherId);
  if ((update.detectionBits & kDetectionVersionGiven) != 0) {
    out.Text(L"Version", FormatVersionCondition(update.versionOperator, update.version));
  }
  if ((update.detectionBits & kDetectionFileSizeGiven) != 0) {
    out.Integer(L"FileSize", update.fileSize);
  }

  out.Text(L"Depends", SectionNameOf(update.dependsOn));
  std::vector<std::wstring> replaces;
  // "All" first, then the named ones, so that both survive the round trip.
  if (update.replacesAll) replaces.push_back(L"All");
  for (const UpdateInfo* replaced : update.replacedUpdates) {
    replaces.push_back(replaced->sectionName);
  }
  out.List(L"Replaces", replaces);
  out.Text(L"NextDeprecated", SectionNameOf(update.nextDeprecated));
  return out.Result();
}

ResultCode WriteSelectedUpdates(const std::wstring& path, const UpdateList& list, bool criticalOnly,
                                const ServerMessageWriter& writeMessage) {
  if (const ResultCode result = CreateEmptyFile(path, list.isUtf16)) return result;
  const IniReader writer(path);
  for (const UpdateInfo& update : list.updates) {
    if (!update.evaluated || (criticalOnly && !update.HasFlag(kUpdateCritical))) continue;
    if (const ResultCode result = WriteUpdateSection(writer, update)) return result;
  }
  return writeMessage ? writeMessage(writer) : kSuccess;
}

}  // namespace updater
