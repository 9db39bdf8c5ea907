#include "notify/MessageNotifier.h"

#include <utility>
#include <vector>

#include "base/AnsiText.h"
#include "base/ExecutablePath.h"
#include "base/Logger.h"
#include "base/OsVersion.h"
#include "base/ResultText.h"
#include "base/UniqueHandle.h"
#include "config/ClientConfig.h"
#include "config/SettingsStore.h"
#include "engine/ConfigurationFetch.h"
#include "engine/TransferSettings.h"
#include "install/PowerShellRunner.h"
#include "notify/ToastXml.h"
#include "notify/UrlProtocol.h"
#include "resources/ResourceIds.h"
#include "transfer/Downloader.h"
#include "transfer/HexText.h"
#include "transfer/Sha256File.h"

namespace updater {
namespace {

constexpr wchar_t kGeneral[] = L"General";

struct MessageKeyName {
  std::wstring ServerMessage::*field;
  const wchar_t* name;
};
constexpr MessageKeyName kMessageKeys[] = {
    {&ServerMessage::title, L"MessageTitle"},
    {&ServerMessage::body, L"MessageBody"},
    {&ServerMessage::expirationDate, L"MessageExpirationDate"},
    {&ServerMessage::imageUrl, L"MessageImageURL"},
    {&ServerMessage::uri, L"MessageURI"},
    {&ServerMessage::buttonText, L"MessageButtonText"},
};

// Toasts show images of a few hundred kilobytes; anything larger from the server is refused.
constexpr DWORD kMaxImageBytes = 3 << 20;

}  // namespace

bool ReadServerMessage(const IniReader& reader, ServerMessage* message) {
  for (const MessageKeyName& key : kMessageKeys) {
    message->*key.field = reader.ReadText(kGeneral, key.name);
  }
  SYSTEMTIME date;
  return !message->title.empty() && !message->body.empty() &&
         ParseCalendarDate(message->expirationDate, &date);
}

ResultCode WriteServerMessage(const IniReader& writer, const ServerMessage& message) {
  for (const MessageKeyName& key : kMessageKeys) {
    if ((message.*key.field).empty()) continue;
    if (const ResultCode result = writer.WriteText(kGeneral, key.name, message.*key.field)) {
      return result;
    }
  }
  return kSuccess;
}

bool IsMessageExpired(const std::wstring& expirationDate, const SYSTEMTIME& today) {
  SYSTEMTIME date;
  if (!ParseCalendarDate(expirationDate, &date)) return false;
  const auto day = [](const SYSTEMTIME& t) { return (t.wYear * 13 + t.wMonth) * 32 + t.wDay; };
  return day(date) < day(today);
}

std::wstring MessageKey(const ServerMessage& message) {
  std::wstring joined;
  for (const MessageKeyName& key : kMessageKeys) joined += message.*key.field;
  std::vector<unsigned char> digest;
  if (ComputeSHA256(ToUtf8Text(joined), &digest) != kSuccess) return {};
  return ToHexText(digest);
}

bool SystemSupportsToasts() { return IsWindows10OrLater(); }

MessageNotifier::MessageNotifier(const ClientConfig& config, bool toasts,
                                 WindowStarter startWindow)
    : config_(config), toasts_(toasts), startWindow_(std::move(startWindow)) {}

ServerMessageReader MessageNotifier::Reader() {
  return [this](const IniReader& reader) { return Read(reader); };
}

ServerMessageWriter MessageNotifier::Writer() const {
  if (!read_) return nullptr;
  return [message = message_](const IniReader& writer) {
    return WriteServerMessage(writer, message);
  };
}

ResultCode MessageNotifier::Read(const IniReader& reader) {
  ServerMessage message;
  read_ = ReadServerMessage(reader, &message);
  if (!read_) return kSuccess;
  message_ = std::move(message);
  SYSTEMTIME today;
  GetLocalTime(&today);
  expired_ = IsMessageExpired(message_.expirationDate, today);
  key_ = MessageKey(message_);
  imageFile_.clear();
  if (expired_) return kSuccess;
  if (!message_.uri.empty()) {
    RegisterProtocol(HKEY_CURRENT_USER, kUrlScheme, ThisExecutablePath());
  }
  // A message shown before is not shown again: its picture would not be looked at.
  if (!message_.imageUrl.empty() && !WasShown()) DownloadImage();
  return kSuccess;
}

void MessageNotifier::DownloadImage() {
  // The name comes from the server: only a plain file name may be joined to the folder.
  std::wstring path;
  if (LocalConfigurationPath(config_.DownloadsFolder(), message_.imageUrl, &path) != kSuccess ||
      !IsToastImageName(path.substr(path.rfind(L'\\') + 1))) {
    Log(kLogError, L"The message image's URL names no picture to keep: " + message_.imageUrl);
    return;
  }
  CreateDirectoryW(config_.DownloadsFolder().c_str(), nullptr);
  Downloader download(nullptr, nullptr);
  ApplyTransferSettings(config_, download);
  download.SetQueryLastModified(true);
  // Larger than a toast shows: stopped as soon as the server announces or sends more.
  download.SetMaxSize(kMaxImageBytes);
  if (const ResultCode result = download.Download(message_.imageUrl, path)) {
    Log(kLogError, L"Unable to download the message image " + message_.imageUrl + L": " +
                       ResultText(result));
    return;
  }
  imageFile_ = path;
  config_.Settings().WriteDword(SettingsKey::MessageResources, path, 0);
  const SYSTEMTIME modified = download.GetLastModified();
  FILETIME time;
  if (modified.wYear == 0 || !SystemTimeToFileTime(&modified, &time)) return;
  const FileHandle file(CreateFileW(path.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr,
                                    OPEN_EXISTING, 0, nullptr));
  if (file) SetFileTime(file.Get(), nullptr, nullptr, &time);
}

bool MessageNotifier::WasShown() const {
  DWORD shown = 0;
  return config_.Settings().ReadDword(SettingsKey::Messages, key_, &shown);
}

void MessageNotifier::Show() {
  if (!read_ || expired_ || key_.empty() || WasShown()) return;
  if (toasts_) {
    ShowToast();
  } else if (const ResultCode started = startWindow_(message_)) {
    Log(kLogError, L"The Messages window could not be shown: " + ResultText(started));
  } else {
    config_.Settings().WriteDword(SettingsKey::Messages, key_, 0);
  }
}

void MessageNotifier::ShowToast() {
  const std::wstring xml =
      BuildToastXml(LoadTextResource(ToastTemplateId(!message_.uri.empty(), !imageFile_.empty())),
                    message_, imageFile_);
  PowerShellRunner runner;
  if (runner.RunScript(BuildToastScript(LoadTextResource(IDR_TOAST_SCRIPT),
                                        config_.NotificationAppId(), xml))) {
    config_.Settings().WriteDword(SettingsKey::Messages, key_, 0);
  } else {
    Log(kLogDebug, L"Unable to execute toast notification powershell script. PowerShell output: " +
                       runner.Output());
  }
}

}  // namespace updater
