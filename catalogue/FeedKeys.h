#pragma once

namespace updater {

// How the reader takes a key: as it is, as key, key1, key2 and so on, or as a version.
enum class FeedKeyForm { Single, Numbered, Version };

struct FeedKey {
  const wchar_t* name;
  FeedKeyForm form;
};

// Every key the updater reads from [General] of the update configuration file, its message keys
// included.
inline constexpr FeedKey kGeneralKeys[] = {
    {L"ConfigFileVersion", FeedKeyForm::Version},
    {L"UpdatesDisabled", FeedKeyForm::Single},
    {L"MessageTitle", FeedKeyForm::Single},
    {L"MessageBody", FeedKeyForm::Single},
    {L"MessageExpirationDate", FeedKeyForm::Single},
    {L"MessageImageURL", FeedKeyForm::Single},
    {L"MessageURI", FeedKeyForm::Single},
    {L"MessageButtonText", FeedKeyForm::Single},
};

// Every key the updater reads from an update section.
inline constexpr FeedKey kUpdateKeys[] = {
    {L"Name", FeedKeyForm::Single},
    {L"State", FeedKeyForm::Single},
    {L"UpdatedApplicationVersions", FeedKeyForm::Single},
    {L"UpdatedApplications", FeedKeyForm::Single},
    {L"Description", FeedKeyForm::Numbered},
    {L"DescriptionHtml", FeedKeyForm::Numbered},
    {L"Feature", FeedKeyForm::Numbered},
    {L"FeatureHtml", FeedKeyForm::Numbered},
    {L"Enhancement", FeedKeyForm::Numbered},
    {L"EnhancementHtml", FeedKeyForm::Numbered},
    {L"BugFix", FeedKeyForm::Numbered},
    {L"BugFixHtml", FeedKeyForm::Numbered},
    {L"Size", FeedKeyForm::Single},
    {L"Flags", FeedKeyForm::Single},
    {L"SHA256", FeedKeyForm::Single},
    {L"MD5", FeedKeyForm::Single},
    {L"ServerFileName", FeedKeyForm::Single},
    {L"URL", FeedKeyForm::Numbered},
    {L"Category", FeedKeyForm::Single},
    {L"ReleaseDate", FeedKeyForm::Single},
    {L"AutoCloseApplication", FeedKeyForm::Numbered},
    {L"CommandLine", FeedKeyForm::Single},
    {L"NoGUICommandLineSwitch", FeedKeyForm::Single},
    {L"TargetOsMinVersion", FeedKeyForm::Version},
    {L"TargetOsMaxVersion", FeedKeyForm::Version},
    {L"FilePath", FeedKeyForm::Single},
    {L"FileSize", FeedKeyForm::Single},
    {L"RegistryKey", FeedKeyForm::Single},
    {L"CustomDetection", FeedKeyForm::Single},
    {L"CustomDetectionParams", FeedKeyForm::Single},
    {L"AppIdName", FeedKeyForm::Single},
    {L"AppIdArch", FeedKeyForm::Single},
    {L"AppIdResourceId", FeedKeyForm::Single},
    {L"AppIdPublisherId", FeedKeyForm::Single},
    {L"Version", FeedKeyForm::Version},
    {L"Depends", FeedKeyForm::Single},
    {L"Replaces", FeedKeyForm::Single},
    {L"NextDeprecated", FeedKeyForm::Single},
};

}  // namespace updater
