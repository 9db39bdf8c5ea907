#pragma once

namespace updater {

// How a key of the client configuration is written: once, or as key, key1, key2 and so on.
enum class ClientKeyForm { Single, Numbered };

struct ClientKey {
  const wchar_t* name;
  ClientKeyForm form;
};

// Every key the updater reads from [General] of the client configuration file.
inline constexpr ClientKey kClientKeys[] = {
    {L"ID", ClientKeyForm::Single},
    {L"URL", ClientKeyForm::Numbered},
    {L"Flags", ClientKeyForm::Single},
    {L"AppDir", ClientKeyForm::Single},
    {L"DownloadsFolder", ClientKeyForm::Single},
    {L"ApplicationMainBinary", ClientKeyForm::Single},
    {L"CheckFrequency", ClientKeyForm::Single},
    {L"ApplicationName", ClientKeyForm::Single},
    {L"ApplicationVersion", ClientKeyForm::Single},
    {L"CompanyName", ClientKeyForm::Single},
    {L"DefaultCommandLine", ClientKeyForm::Single},
    {L"SupportServiceName", ClientKeyForm::Single},
    {L"AppId", ClientKeyForm::Single},
    {L"FeedPublicKey", ClientKeyForm::Single},
};

}  // namespace updater
