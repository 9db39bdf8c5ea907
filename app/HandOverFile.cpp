#include "app/HandOverFile.h"

#include <windows.h>

#include <utility>

#include "base/IniFile.h"
#include "base/UniqueHandle.h"

namespace updater {
namespace {

constexpr wchar_t kSection[] = L"General";

ResultCode CreateUtf16File(const std::wstring& path) {
  FileHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return GetLastError();
  static const BYTE kByteOrderMark[] = {0xFF, 0xFE};
  DWORD written = 0;
  if (!WriteFile(file.Get(), kByteOrderMark, sizeof(kByteOrderMark), &written, nullptr) ||
      written != sizeof(kByteOrderMark)) {
    const DWORD error = GetLastError();
    file.Reset();
    DeleteFileW(path.c_str());
    return error != ERROR_SUCCESS ? error : ERROR_WRITE_FAULT;
  }
  return kSuccess;
}

}  // namespace

HandOverFile ReadHandOverFile(const std::wstring& path) {
  IniDocument ini;
  IniFile(path).Read(&ini);
  const auto text = [&](const wchar_t* key) { return ini.Value(kSection, key); };
  const auto flag = [&](const wchar_t* key) { return text(key) == L"true"; };

  HandOverFile values;
  values.clientConfigPath = text(L"ClientConfigPath");
  values.serverConfigPath = text(L"ServerConfigPath");
  values.uninstallFilePath = text(L"UninstallFilePath");
  values.realUpdaterPath = text(L"RealUpdaterPath");
  values.url = text(L"URL");
  values.ipcObjectNameBase = text(L"IPCObjNameBase");
  RunSwitches& switches = values.switches;
  switches.restartPath = text(L"restartapp");
  switches.restartArguments = text(L"restartappcmd");
  switches.justDownload = flag(L"JustDownloadUpdates");
  switches.startMinimized = flag(L"StartMinimized");
  switches.startAppFirst = flag(L"startappfirst");
  switches.noGui = flag(L"NoGUI");
  switches.reducedGui = flag(L"ReducedGUI");
  switches.forceMsiBasicUi = flag(L"ForceMSIBasicUI");
  return values;
}

ResultCode WriteHandOverFile(const std::wstring& path, const HandOverFile& values) {
  const ResultCode created = CreateUtf16File(path);
  if (created != kSuccess) return created;
  const RunSwitches& switches = values.switches;
  const auto flag = [](bool set) { return std::wstring(set ? L"true" : L""); };
  const std::pair<const wchar_t*, std::wstring> keys[] = {
      {L"RealUpdaterPath", values.realUpdaterPath},
      {L"ClientConfigPath", values.clientConfigPath},
      {L"ServerConfigPath", values.serverConfigPath},
      {L"JustDownloadUpdates", flag(switches.justDownload)},
      {L"StartMinimized", flag(switches.startMinimized)},
      {L"URL", values.url},
      {L"restartapp", switches.restartPath},
      {L"restartappcmd", switches.restartArguments},
      {L"startappfirst", flag(switches.startAppFirst)},
      {L"NoGUI", flag(switches.noGui)},
      {L"ReducedGUI", flag(switches.reducedGui)},
      {L"ForceMSIBasicUI", flag(switches.forceMsiBasicUi)},
      {L"IPCObjNameBase", values.ipcObjectNameBase},
      {L"UninstallFilePath", values.uninstallFilePath},
  };
  const IniFile ini(path);
  for (const auto& [key, value] : keys) {
    if (value.empty()) continue;
    const ResultCode result = ini.WriteString(kSection, key, value);
    if (result != kSuccess) return result;
  }
  return kSuccess;
}

}  // namespace updater
