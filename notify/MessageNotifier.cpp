#include "notify/MessageNotifier.h"

#include <utility>

#include "base/ExecutablePath.h"
#include "base/Logger.h"
#include "base/OsVersion.h"
#include "base/ResultText.h"
#include "config/ClientConfig.h"
#include "config/SettingsStore.h"
#include "engine/ConfigurationFetch.h"
#include "engine/MessageImageFetch.h"
#include "engine/PowerShellScript.h"
#include "notify/ToastXml.h"
#include "notify/UrlProtocol.h"
#include "resources/ResourceIds.h"

namespace updater {
namespace {

// Toasts show images of a few hundred kilobytes; anything larger from the server is refused.
constexpr DWORD kMaxImageBytes = 3 << 20;

}  // namespace

bool SystemSupportsToasts() { return IsWindows10OrLater(); }

MessageNotifier::MessageNotifier(const ClientConfig& config, bool toasts,
                                 WindowStarter startWindow)
    : config_(config), toasts_(toasts), startWindow_(std::move(startWindow)) {}

ServerMessageReader MessageNotifier::Reader() {
  return ServerMessageReaderFor([this](const ServerMessage* message) { Take(message); });
}

ServerMessageWriter MessageNotifier::Writer() const {
  if (!read_) return nullptr;
  return ServerMessageWriterFor(message_);
}

void MessageNotifier::Take(const ServerMessage* message) {
  read_ = message != nullptr;
  if (!read_) return;
  message_ = *message;
  SYSTEMTIME today;
  GetLocalTime(&today);
  expired_ = IsMessageExpired(message_.expirationDate, today);
  key_ = MessageKey(message_);
  imageFile_.clear();
  if (expired_) return;
  if (!message_.uri.empty()) {
    RegisterProtocol(HKEY_CURRENT_USER, kUrlScheme, ThisExecutablePath());
  }
  // A message shown before is not shown again: its picture would not be looked at.
  if (!message_.imageUrl.empty() && !WasShown()) DownloadImage();
}

void MessageNotifier::DownloadImage() {
  // The name comes from the server: only a plain file name may be joined to the folder.
  std::wstring path;
  if (LocalConfigurationPath(config_.DownloadsFolder(), message_.imageUrl, &path) != kSuccess ||
      !IsToastImageName(path.substr(path.rfind(L'\\') + 1))) {
    Log(kLogError, L"The message image's URL names no picture to keep: " + message_.imageUrl);
    return;
  }
  if (const ResultCode result =
          FetchMessageImage(config_, message_.imageUrl, path, kMaxImageBytes)) {
    Log(kLogError, L"Unable to download the message image " + message_.imageUrl + L": " +
                       ResultText(result));
    return;
  }
  imageFile_ = path;
  config_.Settings().WriteDword(SettingsKey::MessageResources, path, 0);
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
  std::wstring output;
  if (RunPowerShellScript(BuildToastScript(LoadTextResource(IDR_TOAST_SCRIPT),
                                           config_.NotificationAppId(), xml),
                          &output)) {
    config_.Settings().WriteDword(SettingsKey::Messages, key_, 0);
  } else {
    Log(kLogDebug, L"Unable to execute toast notification powershell script. PowerShell output: " +
                       output);
  }
}

}  // namespace updater
