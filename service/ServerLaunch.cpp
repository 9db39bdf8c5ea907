#include "service/ServerLaunch.h"

#include <windows.h>
#include <shlwapi.h>

#include "base/AnsiText.h"

namespace updater {

std::wstring SilentCommandLine(const UpdateInfo& update) {
  for (std::size_t begin = 0; begin < update.noGuiSwitch.size();) {
    std::size_t end = update.noGuiSwitch.find(L' ', begin);
    if (end == std::wstring::npos) end = update.noGuiSwitch.size();
    if (EqualsIgnoringCase(update.noGuiSwitch.substr(begin, end - begin), L"/exenoui")) {
      std::wstring arguments = L"/exenoui";
      if (!update.commandLine.empty()) arguments += L" " + update.commandLine;
      return arguments + L" /qn";
    }
    begin = end + 1;
  }
  return update.commandLine + L" " + update.noGuiSwitch;
}

ResultCode PlanServerLaunch(const std::wstring& installer, const std::wstring& silentArguments,
                            const std::wstring& windowsFolder, ServerLaunch* launch) {
  const wchar_t* extension = PathFindExtensionW(installer.c_str());
  const bool isPackage = _wcsicmp(extension, L".msi") == 0;
  const bool isPatch = _wcsicmp(extension, L".msp") == 0;
  if (!isPackage && !isPatch) {
    launch->program = installer;
    launch->commandLine = L"\"" + installer + L"\" " + silentArguments;
    return kSuccess;
  }
  if (windowsFolder.empty()) return kMsiexecNotFound;
  launch->program = windowsFolder;
  if (launch->program.back() != L'\\') launch->program += L'\\';
  launch->program += L"system32\\msiexec.exe";
  launch->commandLine = std::wstring(L"\"msiexec.exe\" ") + (isPackage ? L"/i" : L"/p") + L" \"" +
                        installer + L"\" /qn";
  if (!silentArguments.empty()) launch->commandLine += L" " + silentArguments;
  return kSuccess;
}

std::wstring WindowsFolderFromEnvironment() {
  wchar_t folder[MAX_PATH] = {};
  const DWORD length = GetEnvironmentVariableW(L"windir", folder, MAX_PATH);
  return length > 0 && length < MAX_PATH ? std::wstring(folder, length) : std::wstring();
}

}  // namespace updater
