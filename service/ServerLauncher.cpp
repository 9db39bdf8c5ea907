#include "service/ServerLauncher.h"

#include "base/ExecutablePath.h"
#include "base/LoggableText.h"
#include "base/Logger.h"
#include "base/ResultText.h"
#include "handover/TemporaryCopy.h"
#include "service/IpcNames.h"
#include "service/ServerSlots.h"

namespace updater {
namespace {

constexpr std::size_t kMaxLoggedArgumentsLength = 1000;

// The service's exact start: its own name and the base name of the client's channel.
constexpr std::size_t kServiceArgumentCount = 2;

ResultCode Refuse(const std::wstring& message) {
  Log(kLogError, message + L" LastError: " + ResultText(kServiceError));
  return kServiceError;
}

}  // namespace

std::wstring LoggableServiceArguments(const std::vector<std::wstring>& arguments) {
  std::wstring text;
  for (const std::wstring& argument : arguments) {
    if (!text.empty()) text += L' ';
    text += argument;
    if (text.size() > kMaxLoggedArgumentsLength) break;
  }
  return LoggableText(std::move(text), kMaxLoggedArgumentsLength);
}

ServerLauncher::ServerLauncher(std::wstring clientConfigPath, std::wstring installedUpdaterPath)
    : clientConfigPath_(std::move(clientConfigPath)),
      installedUpdaterPath_(std::move(installedUpdaterPath)) {}

int ServerLauncher::Prepare() { return 0; }

ResultCode ServerLauncher::Handle(const std::vector<std::wstring>& arguments) {
  if (clientConfigPath_.empty()) return Refuse(L"Undefined client config");
  if (arguments.size() != kServiceArgumentCount) {
    return Refuse(FormatText(L"To many parametes for updater service. Expecred 2. Transmited: %u",
                             static_cast<unsigned>(arguments.size())) +
                  L" Params:" + LoggableServiceArguments(arguments));
  }
  if (!IsValidIpcBaseName(arguments[1])) {
    return Refuse(L"Refused the object base name the service was started with: " +
                  LoggableServiceArguments({arguments[1]}));
  }

  if (AllServerSlotsTaken(ExecutableBaseName(installedUpdaterPath_))) {
    return Refuse(FormatText(L"%d command servers are running already; this start makes none.",
                             kMaxCommandServers));
  }

  TemporaryCopy copy;
  ResultCode result =
      PrepareServerCopy(installedUpdaterPath_, clientConfigPath_, arguments[1], &copy);
  if (result != kSuccess) {
    Log(kLogError, FormatText(L"Failed to run updater as server. LastError: 0x%X", result));
    return result;
  }
  result = StartTemporaryCopy(copy);
  Log(kLogDebug, L"Starting updater as server. Return code: " + ResultText(result));
  if (result != kSuccess) RemoveTemporaryCopy(copy);
  return result;
}

void ServerLauncher::Stop() {}

}  // namespace updater
