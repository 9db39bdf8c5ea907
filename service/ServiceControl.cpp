#include "service/ServiceControl.h"

#include <aclapi.h>

#include <vector>

#include "base/ExecutablePath.h"
#include "base/Logger.h"
#include "base/ResultText.h"
#include "service/ServiceLocation.h"

namespace updater {
namespace {

// READ_CONTROL | SERVICE_START | SERVICE_STOP: a standard user's client starts the service for
// each request and may stop it, nothing more.
constexpr DWORD kEveryoneServiceAccess = 0x00020030;
// Far above any real descriptor or configuration (QueryServiceConfigW allows 8 KiB), so that a
// wrong size asked for cannot make us allocate without bound.
constexpr DWORD kMaxServiceBufferBytes = 64 * 1024;

void LogError(std::uint32_t level, const wchar_t* what, ResultCode error) {
  Log(level, what + ResultText(error));
}

// `access`: SC_MANAGER_CONNECT is all a standard user gets, and all opening a service needs.
ResultCode OpenManager(DWORD access, std::uint32_t logLevel, ServiceHandle* manager) {
  manager->Reset(OpenSCManagerW(nullptr, nullptr, access));
  if (*manager) return kSuccess;
  const ResultCode error = LastErrorOr(ERROR_GEN_FAILURE);
  LogError(logLevel, L"Unable to open SCM error code: ", error);
  return error;
}

// Calls `query` with a buffer of the size it asks for, up to kMaxServiceBufferBytes.
template <typename Query>
ResultCode QueryIntoBuffer(Query query, std::vector<BYTE>* buffer) {
  buffer->assign(1024, 0);
  DWORD needed = 0;
  if (query(buffer->data(), static_cast<DWORD>(buffer->size()), &needed)) return kSuccess;
  if (GetLastError() != ERROR_INSUFFICIENT_BUFFER) return LastErrorOr(ERROR_GEN_FAILURE);
  if (needed <= buffer->size() || needed > kMaxServiceBufferBytes) return ERROR_INVALID_DATA;
  buffer->assign(needed, 0);
  if (query(buffer->data(), needed, &needed)) return kSuccess;
  return LastErrorOr(ERROR_GEN_FAILURE);
}

ResultCode AllowEveryoneToStartAndStop(SC_HANDLE service) {
  std::vector<BYTE> current;
  const ResultCode queried = QueryIntoBuffer(
      [service](BYTE* data, DWORD size, DWORD* needed) {
        return QueryServiceObjectSecurity(service, DACL_SECURITY_INFORMATION, data, size, needed);
      },
      &current);
  if (queried != kSuccess) return queried;

  BOOL present = FALSE, defaulted = FALSE;
  PACL dacl = nullptr;
  PACL combined = nullptr;
  if (!GetSecurityDescriptorDacl(current.data(), &present, &dacl, &defaulted) ||
      AddEveryoneStartAndStop(present ? dacl : nullptr, &combined) != kSuccess) {
    return kServiceSecurityFailed;
  }
  const LocalSecurityDescriptor combinedOwner(combined);  // LocalFree, as for descriptors
  SECURITY_DESCRIPTOR descriptor = {};
  if (!InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION) ||
      !SetSecurityDescriptorDacl(&descriptor, TRUE, combined, FALSE)) {
    return kServiceSecurityFailed;
  }
  if (!SetServiceObjectSecurity(service, DACL_SECURITY_INFORMATION, &descriptor)) {
    return LastErrorOr(kServiceSecurityFailed);
  }
  return kSuccess;
}

}  // namespace

ResultCode AddEveryoneStartAndStop(PACL dacl, PACL* combined) {
  BYTE everyone[SECURITY_MAX_SID_SIZE] = {};
  DWORD sidSize = sizeof(everyone);
  if (!CreateWellKnownSid(WinWorldSid, nullptr, everyone, &sidSize)) return kServiceSecurityFailed;
  EXPLICIT_ACCESSW entry = {};
  entry.grfAccessPermissions = kEveryoneServiceAccess;
  entry.grfAccessMode = GRANT_ACCESS;
  entry.grfInheritance = NO_INHERITANCE;
  entry.Trustee.TrusteeForm = TRUSTEE_IS_SID;
  entry.Trustee.TrusteeType = TRUSTEE_IS_WELL_KNOWN_GROUP;
  entry.Trustee.ptstrName = reinterpret_cast<LPWSTR>(everyone);
  return SetEntriesInAclW(1, &entry, dacl, combined) == ERROR_SUCCESS ? kSuccess
                                                                       : kServiceSecurityFailed;
}

std::wstring ServiceCommandLine(const std::wstring& executablePath) {
  const bool quoted = executablePath.find(L' ') != std::wstring::npos;
  return (quoted ? L"\"" + executablePath + L"\"" : executablePath) + L" /runservice";
}

ResultCode InstallService(const std::wstring& executablePath) {
  if (const ResultCode safe = CheckServiceLocation(executablePath)) return safe;
  ServiceHandle manager;
  const ResultCode opened = OpenManager(SC_MANAGER_ALL_ACCESS, kLogTrace, &manager);
  if (opened != kSuccess) return opened;
  const std::wstring name = ExecutableBaseName(executablePath);
  const std::wstring binaryPath = ServiceCommandLine(executablePath);
  const ServiceHandle service(CreateServiceW(
      manager.Get(), name.c_str(), name.c_str(), SERVICE_ALL_ACCESS, SERVICE_WIN32_OWN_PROCESS,
      SERVICE_DEMAND_START, SERVICE_ERROR_NORMAL, binaryPath.c_str(), nullptr, nullptr, nullptr,
      nullptr, nullptr));
  if (!service) {
    const ResultCode error = LastErrorOr(ERROR_GEN_FAILURE);
    LogError(kLogTrace, L"Create Service failed error code: ", error);
    return error;
  }
  Log(kLogTrace, L"CreateService SUCCESS");

  std::wstring text = FormatText(L"%s support service", name.c_str());
  SERVICE_DESCRIPTIONW description = {text.data()};
  if (!ChangeServiceConfig2W(service.Get(), SERVICE_CONFIG_DESCRIPTION, &description)) {
    LogError(kLogTrace, L"Unable to set service description error code: ",
             LastErrorOr(ERROR_GEN_FAILURE));
  }
  const ResultCode allowed = AllowEveryoneToStartAndStop(service.Get());
  // A service that the clients of standard users cannot start is of no use to them.
  if (allowed != kSuccess) DeleteService(service.Get());
  return allowed;
}

ResultCode UninstallService(const std::wstring& name) {
  ServiceHandle manager, service;
  const ResultCode opened = OpenServiceByName(name, DELETE, &manager, &service);
  if (opened != kSuccess) return opened;
  if (!DeleteService(service.Get())) {
    const ResultCode error = LastErrorOr(ERROR_GEN_FAILURE);
    LogError(kLogTrace, L"DeleteService failed error code: ", error);
    return error;
  }
  Log(kLogTrace, L"DeleteService SUCCESS");
  return kSuccess;
}

ResultCode ConfigService(SC_HANDLE manager, const std::wstring& name) {
  const ServiceHandle service(OpenServiceW(manager, name.c_str(), READ_CONTROL | WRITE_DAC));
  if (!service) {
    const ResultCode error = LastErrorOr(ERROR_GEN_FAILURE);
    LogError(kLogTrace, L"OpenService failed error code: ", error);
    return error;
  }
  const ResultCode allowed = AllowEveryoneToStartAndStop(service.Get());
  Log(kLogTrace, L"Service permission for everyone: " + ResultText(allowed));
  return allowed;
}

ResultCode OpenServiceByName(const std::wstring& name, DWORD access, ServiceHandle* manager,
                             ServiceHandle* service) {
  const ResultCode opened = OpenManager(SC_MANAGER_CONNECT, kLogError, manager);
  if (opened != kSuccess) return opened;
  service->Reset(OpenServiceW(manager->Get(), name.c_str(), access));
  if (*service) return kSuccess;
  const ResultCode error = LastErrorOr(ERROR_GEN_FAILURE);
  LogError(kLogError, L"OpenService failed error code: ", error);
  return error;
}

ResultCode WaitForServiceState(SC_HANDLE service, DWORD state, DWORD timeoutMs, DWORD pollMs) {
  const ULONGLONG start = GetTickCount64();
  for (;;) {
    SERVICE_STATUS_PROCESS status = {};
    DWORD needed = 0;
    if (!QueryServiceStatusEx(service, SC_STATUS_PROCESS_INFO, reinterpret_cast<BYTE*>(&status),
                              sizeof(status), &needed)) {
      return LastErrorOr(ERROR_GEN_FAILURE);
    }
    if (status.dwCurrentState == state) return kSuccess;
    if (GetTickCount64() - start >= timeoutMs) return kRequestTimeout;
    Sleep(pollMs);
  }
}

ResultCode QueryServiceBinaryPath(const std::wstring& name, std::wstring* binaryPath) {
  ServiceHandle manager, service;
  ResultCode result = OpenServiceByName(name, SERVICE_QUERY_CONFIG, &manager, &service);
  if (result != kSuccess) return result;
  std::vector<BYTE> buffer;
  result = QueryIntoBuffer(
      [&service](BYTE* data, DWORD size, DWORD* needed) {
        return QueryServiceConfigW(service.Get(), reinterpret_cast<QUERY_SERVICE_CONFIGW*>(data),
                                   size, needed);
      },
      &buffer);
  if (result != kSuccess) return result;
  const auto* config = reinterpret_cast<const QUERY_SERVICE_CONFIGW*>(buffer.data());
  *binaryPath = config->lpBinaryPathName ? config->lpBinaryPathName : L"";
  return kSuccess;
}

ResultCode StartServiceWithArgument(const std::wstring& name, const std::wstring& argument) {
  ServiceHandle manager, service;
  const ResultCode opened = OpenServiceByName(
      name, GENERIC_READ | SERVICE_START | SERVICE_QUERY_STATUS, &manager, &service);
  if (opened != kSuccess) return opened;
  const wchar_t* arguments[] = {argument.c_str()};
  if (!StartServiceW(service.Get(), 1, arguments)) return LastErrorOr(ERROR_GEN_FAILURE);
  return kSuccess;
}

}  // namespace updater
