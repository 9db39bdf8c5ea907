#include "service/ServiceInstallerRunner.h"

#include <windows.h>

#include "base/Logger.h"
#include "base/ResultText.h"
#include "catalogue/FileVersion.h"
#include "config/ClientConfig.h"
#include "engine/InstallerTrust.h"
#include "service/IpcClient.h"
#include "service/IpcNames.h"
#include "service/ServiceControl.h"

namespace updater {

bool IsServerRefusal(ResultCode serverResult) {
  // The certificate (0x800B) and security (0x8009) facilities: a signature that cannot be read,
  // as servers of older versions answer it.
  const ResultCode facility = serverResult & 0xFFFF0000u;
  return serverResult == kServiceError || serverResult == kSignerMismatch ||
         serverResult == kUntrustedPublisher || facility == 0x800B0000u ||
         facility == 0x80090000u;
}

bool IsLegacyServiceVersion(const VersionNumber& version) {
  return !AtLeast(version, VersionNumber(2, 2, 0, 0));
}

ResultCode ServiceInstallerRunner::Run(const UpdateInfo& update) {
  if (!update.HasFlag(kUpdateAdvertises)) return direct_.Run(update);
  Log(kLogTrace, L"Installing using helper service.");
  ResultCode result = kSuccess;
  if (InstallThroughService(update, &result)) return result;
  return direct_.Run(update);
}

bool ServiceInstallerRunner::InstallThroughService(const UpdateInfo& update, ResultCode* result) {
  const std::wstring& service = config_.SupportServiceName();
  if (service.empty()) {
    Log(kLogError, L"Support service not configured in updates.ini. LastError: " +
                       ResultText(kUnknownException));
    return false;
  }
  Log(kLogTrace, L"Service detected.");
  std::wstring binaryPath;
  if (const ResultCode queried = QueryServiceBinaryPath(service, &binaryPath)) {
    Log(kLogError, L"Unable to read the configuration of service " + service + L" LastError: " +
                       ResultText(queried));
    return false;
  }
  Log(kLogDebug, L"Service running from path: " + binaryPath);
  const std::wstring serviceExecutable = ServiceExecutableOf(binaryPath);
  // Its server refuses every command without a signed update configuration file.
  if (ReadFeedPublicKey(IniPathBesideExecutable(serviceExecutable)).empty()) {
    Log(kLogError, L"The support service is not used: the client configuration beside " +
                       serviceExecutable + L" holds no FeedPublicKey.");
    return false;
  }
  // Checked before the service starts a server, which would otherwise wait for a command that
  // never comes and hold the service from the next client.
  if (const ResultCode verified = VerifyInstallerPublisher(reference_, update.localFilePath,
                                                           PublisherRule::Installation)) {
    Log(kLogError, L"The installer is not handed to the support service: " + ResultText(verified));
    return false;
  }
  const std::wstring baseName = NewIpcBaseName();
  std::wstring channelName = baseName;
  VersionNumber version;
  if (ReadFileVersion(serviceExecutable, &version) && IsLegacyServiceVersion(version)) {
    channelName = LegacyIpcBaseName(binaryPath);
    Log(kLogDebug, L"LegacyIpcObjectBaseName: " + channelName);
  }
  {
    // One request at a time: a service still serving another client is waited for.
    ServiceHandle manager, handle;
    if (OpenServiceByName(service, GENERIC_READ | SERVICE_QUERY_STATUS, &manager, &handle) ==
        kSuccess) {
      WaitForServiceState(handle.Get(), SERVICE_STOPPED);
    }
  }
  if (const ResultCode started = StartServiceWithArgument(service, baseName)) {
    Log(kLogError, L"Unable to start service: " + service + L" LastError: " + ResultText(started));
    return false;
  }
  Log(kLogTrace, L"Service started.");
  IpcClient client;
  client.Open(channelName);
  if (client.WaitForServerToBecomeReady() != kSuccess || client.Connect() != kSuccess ||
      client.Map() != kSuccess) {
    return false;
  }
  const std::wstring firstUrl = config_.Urls().empty() ? std::wstring() : config_.Urls().front();
  *result = client.Send({L"install", update.sectionName, config_.DownloadsFolder(), firstUrl});
  if (IsServerRefusal(*result)) {
    Log(kLogError, L"The support service refused the installation; installing directly: " +
                       ResultText(*result));
    return false;
  }
  return true;
}

}  // namespace updater
