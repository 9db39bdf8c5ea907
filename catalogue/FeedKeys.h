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

// The keys of an update section are in UpdateSectionKeys.h, with how each is read and written.

}  // namespace updater
