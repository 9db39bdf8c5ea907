#include "service/IpcObjects.h"

#include <sddl.h>

#include "base/Logger.h"
#include "base/ResultText.h"
#include "service/CommandBlock.h"

namespace updater {

ResultCode IpcSecurity::Create(const std::wstring& context, DWORD everyoneRights) {
  const std::wstring text = FormatText(L"D:(A;;0x%X;;;WD)(A;;GA;;;SY)", everyoneRights);
  if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(text.c_str(), SDDL_REVISION_1,
                                                            descriptor_.Put(), nullptr)) {
    const DWORD error = GetLastError();
    Log(kLogError, context + L": Unable to create security descriptor with everyone access." +
                       L" LastError: " + std::to_wstring(error));
    return kServiceSecurityFailed;
  }
  attributes_.nLength = sizeof(attributes_);
  attributes_.lpSecurityDescriptor = descriptor_.Get();
  attributes_.bInheritHandle = FALSE;
  return kSuccess;
}

ResultCode LogChannelError(const std::wstring& message) {
  const DWORD error = GetLastError();
  Log(kLogError, message + L" LastError: " + std::to_wstring(error));
  return error != 0 ? error : kServiceError;
}

KernelHandle CreateChannelEvent(SECURITY_ATTRIBUTES* security, const std::wstring& name) {
  KernelHandle event(CreateEventW(security, TRUE, FALSE, name.c_str()));
  // An event someone else made first may carry their security and state.
  if (event && GetLastError() == ERROR_ALREADY_EXISTS) event.Reset();
  return event;
}

ResultCode MapCommandBlock(IpcChannel& channel) {
  if (!channel.mapping) return kChannelNotOpen;
  channel.view.Reset(
      MapViewOfFile(channel.mapping.Get(), kEveryoneMappingRights, 0, 0, kCommandBlockSize));
  if (!channel.view) return LogChannelError(L"Unable to map view of file.");
  return kSuccess;
}

}  // namespace updater
