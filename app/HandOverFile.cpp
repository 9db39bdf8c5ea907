#include "app/HandOverFile.h"

#include "catalogue/IniFile.h"

namespace updater {

HandOverFile ReadHandOverFile(const std::wstring& path) {
  const IniFile ini(path);
  const wchar_t* const section = L"General";
  const auto text = [&](const wchar_t* key) { return ini.ReadString(section, key); };
  const auto flag = [&](const wchar_t* key) { return text(key) == L"true"; };

  HandOverFile values;
  values.clientConfigPath = text(L"ClientConfigPath");
  values.serverConfigPath = text(L"ServerConfigPath");
  values.uninstallFilePath = text(L"UninstallFilePath");
  values.realUpdaterPath = text(L"RealUpdaterPath");
  values.url = text(L"URL");
  values.restartPath = text(L"restartapp");
  values.restartArguments = text(L"restartappcmd");
  values.ipcObjectNameBase = text(L"IPCObjNameBase");
  values.justDownload = flag(L"JustDownloadUpdates");
  values.startMinimized = flag(L"StartMinimized");
  values.startAppFirst = flag(L"startappfirst");
  values.noGui = flag(L"NoGUI");
  values.reducedGui = flag(L"ReducedGUI");
  values.forceMsiBasicUi = flag(L"ForceMSIBasicUI");
  return values;
}

}  // namespace updater
