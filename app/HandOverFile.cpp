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

}  // namespace updater
