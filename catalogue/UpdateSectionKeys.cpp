#include "catalogue/UpdateSectionKeys.h"

#include <iterator>

#include "base/AnsiText.h"
#include "base/Logger.h"
#include "base/TextUtil.h"
#include "catalogue/DetectionKeys.h"
#include "catalogue/DownloadLocation.h"
#include "catalogue/RolloutPercent.h"
#include "catalogue/UpdateFlags.h"
#include "config/PathExpansion.h"

namespace updater {
namespace {

using Texts = std::vector<std::wstring>;

constexpr wchar_t kEmptyFieldMark[] = L"qzemptyfield";
constexpr wchar_t kDescriptionHtml[] = L"DescriptionHtml";
constexpr wchar_t kFeatureHtml[] = L"FeatureHtml";
constexpr wchar_t kEnhancementHtml[] = L"EnhancementHtml";
constexpr wchar_t kBugFixHtml[] = L"BugFixHtml";

// A key held in one field of the record as it is: `Read` is a typed read of IniReader, `Write`
// the matching write of SectionWriter.
template <auto Field, auto Read>
ResultCode ReadField(SectionRead& in, const wchar_t* key, UpdateInfo* update) {
  update->*Field = (in.reader.*Read)(in.section, key);
  return kSuccess;
}

template <auto Field, auto Write>
void WriteField(SectionWriter& out, const wchar_t* key, const UpdateInfo& update) {
  (out.*Write)(key, update.*Field);
}

template <auto Field, auto Read, auto Write>
constexpr UpdateSectionKey FieldKey(const wchar_t* name, FeedKeyForm form) {
  return {name, form, ReadField<Field, Read>, WriteField<Field, Write>};
}

template <auto Field>
constexpr UpdateSectionKey TextKey(const wchar_t* name) {
  return FieldKey<Field, &IniReader::ReadText, &SectionWriter::Text>(name, FeedKeyForm::Single);
}

template <auto Field>
constexpr UpdateSectionKey ListKey(const wchar_t* name) {
  return FieldKey<Field, &IniReader::ReadList, &SectionWriter::List>(name, FeedKeyForm::Single);
}

template <auto Field>
constexpr UpdateSectionKey VersionKey(const wchar_t* name) {
  return FieldKey<Field, &IniReader::ReadVersion, &SectionWriter::Version>(name,
                                                                           FeedKeyForm::Version);
}

// The items of a description list: at each index the HTML key's value wins over the plain one's,
// and the merged items are written under the plain key.
ResultCode ReadDescriptions(SectionRead& in, const wchar_t* key, UpdateInfo* update) {
  update->descriptions = in.reader.ReadNumbered(in.section, key, kDescriptionHtml);
  return kSuccess;
}

void WriteDescriptions(SectionWriter& out, const wchar_t* key, const UpdateInfo& update) {
  out.Numbered(key, update.descriptions);
}

template <DescriptionGroup UpdateInfo::*Group, const wchar_t* HtmlKey>
ResultCode ReadItems(SectionRead& in, const wchar_t* key, UpdateInfo* update) {
  (update->*Group).items = in.reader.ReadNumbered(in.section, key, HtmlKey);
  return kSuccess;
}

template <DescriptionGroup UpdateInfo::*Group>
void WriteItems(SectionWriter& out, const wchar_t* key, const UpdateInfo& update) {
  out.Numbered(key, (update.*Group).items);
}

ResultCode ReadName(SectionRead& in, const wchar_t* key, UpdateInfo* update) {
  update->name = in.Text(key);
  return update->name.empty() ? InvalidUpdateSection(in.section, L"no Name") : kSuccess;
}

ResultCode ReadState(SectionRead& in, const wchar_t* key, UpdateInfo* update) {
  update->state = static_cast<ResultCode>(in.reader.ReadInteger(in.section, key));
  return kSuccess;
}

ResultCode ReadSize(SectionRead& in, const wchar_t* key, UpdateInfo* update) {
  update->size = in.reader.ReadInteger(in.section, key);
  return update->size == 0 ? InvalidUpdateSection(in.section, L"no Size") : kSuccess;
}

ResultCode ReadFlags(SectionRead& in, const wchar_t* key, UpdateInfo* update) {
  update->flags =
      in.reader.ReadFlags(in.section, key, kUpdateFlagNames, std::size(kUpdateFlagNames));
  return kSuccess;
}

void WriteFlags(SectionWriter& out, const wchar_t* key, const UpdateInfo& update) {
  out.Text(key, FormatIniFlags(update.flags, kUpdateFlagNames, std::size(kUpdateFlagNames)));
}

// A value that does not parse offers the update to no one rather than refusing the section: older
// updaters, which skip the key, still read the rest of the file.
ResultCode ReadRolloutPercent(SectionRead& in, const wchar_t* key, UpdateInfo* update) {
  const std::wstring value = in.Text(key);
  update->rolloutPercent = ParseRolloutPercent(value);
  if (update->rolloutPercent == kRolloutToNobody) {
    Log(kLogError, L"RolloutPercent of [" + in.section + L"] is not a whole number from 0 to 100 (" +
                       value + L"): the update is offered to no one");
  }
  return kSuccess;
}

void WriteRolloutPercent(SectionWriter& out, const wchar_t* key, const UpdateInfo& update) {
  if (update.rolloutPercent != kRolloutToEveryone) out.Integer(key, update.rolloutPercent);
}

ResultCode ReadServerFileName(SectionRead& in, const wchar_t* key, UpdateInfo* update) {
  update->serverFileName = in.Text(key);
  if (!update->serverFileName.empty() && !IsPlainFileName(update->serverFileName)) {
    return InvalidUpdateSection(in.section, L"ServerFileName is not a file name");
  }
  return kSuccess;
}

// After ServerFileName, which a placeholder location is resolved with.
ResultCode ReadUrls(SectionRead& in, const wchar_t* key, UpdateInfo* update) {
  update->urls = in.reader.ReadNumbered(in.section, key);
  if (IsLocationPlaceholder(update->urls)) {
    if (PlaceholderUrls(in.clientUrls, update->serverFileName, &update->urls) != kSuccess) {
      Log(kLogError, L"Unable to resolve file:// for update section [" + in.section + L"]");
      return kUnresolvedFileUrl;
    }
  }
  return update->urls.empty() ? InvalidUpdateSection(in.section, L"no URL") : kSuccess;
}

void WriteUrls(SectionWriter& out, const wchar_t* key, const UpdateInfo& update) {
  out.Numbered(key, update.urls);
}

ResultCode ReadReleaseDate(SectionRead& in, const wchar_t* key, UpdateInfo* update) {
  const std::wstring text = in.Text(key);
  if (!text.empty() && !ParseIniDate(text, &update->releaseDate)) {
    return InvalidUpdateSection(in.section, L"ReleaseDate is not day/month/year");
  }
  return kSuccess;
}

void WriteReleaseDate(SectionWriter& out, const wchar_t* key, const UpdateInfo& update) {
  const SYSTEMTIME& date = update.releaseDate;
  if (date.wDay != 0 || date.wMonth != 0 || date.wYear != 0) out.Text(key, FormatIniDate(date));
}

ResultCode ReadAutoClose(SectionRead& in, const wchar_t* key, UpdateInfo* update) {
  for (const std::wstring& entry : in.reader.ReadNumbered(in.section, key)) {
    update->autoCloseApplications.push_back(ParseAutoCloseEntry(entry));
  }
  return kSuccess;
}

void WriteAutoClose(SectionWriter& out, const wchar_t* key, const UpdateInfo& update) {
  Texts entries;
  for (const AutoCloseEntry& entry : update.autoCloseApplications) {
    entries.push_back(FormatAutoCloseEntry(entry));
  }
  out.Numbered(key, entries);
}

ResultCode ReadCommandLine(SectionRead& in, const wchar_t* key, UpdateInfo* update) {
  update->commandLine = ExpandPathOrKeep(in.Text(key), in.appDir);
  return kSuccess;
}

ResultCode ReadNoGuiSwitch(SectionRead& in, const wchar_t* key, UpdateInfo* update) {
  update->noGuiSwitch = Trim(in.Text(key));
  if (EqualsIgnoringCase(update->noGuiSwitch, kEmptyFieldMark)) update->noGuiSwitch.clear();
  return kSuccess;
}

// All the detection keys at once: which of them picks the detection depends on the others.
ResultCode ReadDetection(SectionRead& in, const wchar_t*, UpdateInfo* update) {
  ReadDetectionKeys([&in](const wchar_t* key) { return in.Text(key); }, in.appDir, update);
  if (update->detectionKind == DetectionKind::None) {
    return InvalidUpdateSection(in.section, L"no detection source");
  }
  return kSuccess;
}

void WriteDetection(SectionWriter& out, const wchar_t*, const UpdateInfo& update) {
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
}

std::wstring SectionNameOf(const UpdateInfo* update) {
  return update != nullptr ? update->sectionName : std::wstring();
}

ResultCode ReadDepends(SectionRead& in, const wchar_t* key, UpdateInfo*) {
  in.links.depends = in.Text(key);
  return kSuccess;
}

void WriteDepends(SectionWriter& out, const wchar_t* key, const UpdateInfo& update) {
  out.Text(key, SectionNameOf(update.dependsOn));
}

ResultCode ReadReplaces(SectionRead& in, const wchar_t* key, UpdateInfo* update) {
  in.links.replaces = in.reader.ReadList(in.section, key);
  update->replacesAll = !in.links.replaces.empty() && in.links.replaces.front() == L"All";
  return kSuccess;
}

void WriteReplaces(SectionWriter& out, const wchar_t* key, const UpdateInfo& update) {
  Texts replaces;
  // "All" first, then the named ones, so that both survive the round trip.
  if (update.replacesAll) replaces.push_back(L"All");
  for (const UpdateInfo* replaced : update.replacedUpdates) {
    replaces.push_back(replaced->sectionName);
  }
  out.List(key, replaces);
}

ResultCode ReadNextDeprecated(SectionRead& in, const wchar_t* key, UpdateInfo*) {
  in.links.nextDeprecated = in.Text(key);
  return kSuccess;
}

void WriteNextDeprecated(SectionWriter& out, const wchar_t* key, const UpdateInfo& update) {
  out.Text(key, SectionNameOf(update.nextDeprecated));
}

using U = UpdateInfo;
using F = FeedKeyForm;

constexpr UpdateSectionKey kKeys[] = {
    {L"Name", F::Single, ReadName, WriteField<&U::name, &SectionWriter::Text>},
    {L"State", F::Single, ReadState, WriteField<&U::state, &SectionWriter::Integer>},
    ListKey<&U::updatedApplicationVersions>(L"UpdatedApplicationVersions"),
    ListKey<&U::updatedApplications>(L"UpdatedApplications"),
    {L"Description", F::Numbered, ReadDescriptions, WriteDescriptions},
    {kDescriptionHtml, F::Numbered, nullptr, nullptr},
    {L"Feature", F::Numbered, ReadItems<&U::features, kFeatureHtml>, WriteItems<&U::features>},
    {kFeatureHtml, F::Numbered, nullptr, nullptr},
    {L"Enhancement", F::Numbered, ReadItems<&U::enhancements, kEnhancementHtml>,
     WriteItems<&U::enhancements>},
    {kEnhancementHtml, F::Numbered, nullptr, nullptr},
    {L"BugFix", F::Numbered, ReadItems<&U::bugFixes, kBugFixHtml>, WriteItems<&U::bugFixes>},
    {kBugFixHtml, F::Numbered, nullptr, nullptr},
    {L"Size", F::Single, ReadSize, WriteField<&U::size, &SectionWriter::Integer>},
    {L"Flags", F::Single, ReadFlags, WriteFlags},
    {L"RolloutPercent", F::Single, ReadRolloutPercent, WriteRolloutPercent},
    TextKey<&U::sha256>(L"SHA256"),
    TextKey<&U::md5>(L"MD5"),
    TextKey<&U::blockMapUrl>(L"BlockMap"),
    {L"ServerFileName", F::Single, ReadServerFileName,
     WriteField<&U::serverFileName, &SectionWriter::Text>},
    {L"URL", F::Numbered, ReadUrls, WriteUrls},
    TextKey<&U::category>(L"Category"),
    {L"ReleaseDate", F::Single, ReadReleaseDate, WriteReleaseDate},
    {L"AutoCloseApplication", F::Numbered, ReadAutoClose, WriteAutoClose},
    {L"CommandLine", F::Single, ReadCommandLine,
     WriteField<&U::commandLine, &SectionWriter::Text>},
    {L"NoGUICommandLineSwitch", F::Single, ReadNoGuiSwitch,
     WriteField<&U::noGuiSwitch, &SectionWriter::Text>},
    VersionKey<&U::targetOsMinVersion>(L"TargetOsMinVersion"),
    VersionKey<&U::targetOsMaxVersion>(L"TargetOsMaxVersion"),
    {L"FilePath", F::Single, ReadDetection, WriteDetection},
    {L"FileSize", F::Single, nullptr, nullptr},
    {L"RegistryKey", F::Single, nullptr, nullptr},
    {L"CustomDetection", F::Single, nullptr, nullptr},
    {L"CustomDetectionParams", F::Single, nullptr, nullptr},
    {L"AppIdName", F::Single, nullptr, nullptr},
    {L"AppIdArch", F::Single, nullptr, nullptr},
    {L"AppIdResourceId", F::Single, nullptr, nullptr},
    {L"AppIdPublisherId", F::Single, nullptr, nullptr},
    {L"Version", F::Version, nullptr, nullptr},
    {L"Depends", F::Single, ReadDepends, WriteDepends},
    {L"Replaces", F::Single, ReadReplaces, WriteReplaces},
    {L"NextDeprecated", F::Single, ReadNextDeprecated, WriteNextDeprecated},
};

}  // namespace

void SectionWriter::Text(const wchar_t* key, const std::wstring& value) {
  if (result_ == kSuccess && !value.empty()) result_ = writer_.WriteText(section_, key, value);
}

void SectionWriter::Integer(const wchar_t* key, std::int64_t value) {
  if (result_ == kSuccess) result_ = writer_.WriteInteger(section_, key, value);
}

void SectionWriter::List(const wchar_t* key, const std::vector<std::wstring>& items) {
  Text(key, FormatIniList(items));
}

void SectionWriter::Numbered(const wchar_t* key, const std::vector<std::wstring>& items) {
  if (result_ == kSuccess) result_ = writer_.WriteNumbered(section_, key, items);
}

void SectionWriter::Version(const wchar_t* key, const VersionNumber& version) {
  if (!version.IsZero()) Text(key, FormatIniVersion(version));
}

UpdateSectionKeyTable UpdateSectionKeys() { return {kKeys, std::size(kKeys)}; }

}  // namespace updater
