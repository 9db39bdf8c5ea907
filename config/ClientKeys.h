#pragma once

namespace updater {

// How a key of the client configuration is written: once, or as key, key1, key2 and so on.
enum class ClientKeyForm { Single, Numbered };

// What the updater makes of a value: text as it stands, "|"-separated names of kClientFlagNames,
// a whole number, a folder (expanded as PathExpansion does, and absolute after that), the
// publisher's public key (base64 of a P-256 point, which only the layers with crypto can check),
// or a language tag (IsLanguageTagText).
enum class ClientValueKind { Text, Flags, Number, Folder, PublicKey, LanguageTag };

struct ClientKey {
  const wchar_t* name;
  ClientKeyForm form;
  ClientValueKind kind;
  // A check for updates refuses a configuration without it (0xE0000007).
  bool required;
};

// Every key the updater reads from [General] of the client configuration file. DownloadsFolder
// has no fallback in the file: only the user's DownloadsFolder setting can stand in for it.
inline constexpr ClientKey kClientKeys[] = {
    {L"ID", ClientKeyForm::Single, ClientValueKind::Text, true},
    {L"URL", ClientKeyForm::Numbered, ClientValueKind::Text, true},
    {L"Flags", ClientKeyForm::Single, ClientValueKind::Flags, false},
    {L"AppDir", ClientKeyForm::Single, ClientValueKind::Folder, true},
    {L"DownloadsFolder", ClientKeyForm::Single, ClientValueKind::Folder, true},
    {L"ApplicationMainBinary", ClientKeyForm::Single, ClientValueKind::Text, false},
    {L"CheckFrequency", ClientKeyForm::Single, ClientValueKind::Number, false},
    {L"ApplicationName", ClientKeyForm::Single, ClientValueKind::Text, false},
    {L"ApplicationVersion", ClientKeyForm::Single, ClientValueKind::Text, false},
    {L"CompanyName", ClientKeyForm::Single, ClientValueKind::Text, false},
    {L"DefaultCommandLine", ClientKeyForm::Single, ClientValueKind::Text, false},
    {L"SupportServiceName", ClientKeyForm::Single, ClientValueKind::Text, false},
    {L"AppId", ClientKeyForm::Single, ClientValueKind::Text, false},
    {L"FeedPublicKey", ClientKeyForm::Numbered, ClientValueKind::PublicKey, false},
    {L"Language", ClientKeyForm::Single, ClientValueKind::LanguageTag, false},
};

}  // namespace updater
