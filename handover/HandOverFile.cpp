#include "handover/HandOverFile.h"

#include <windows.h>

#include <utility>

#include "base/IniFile.h"
#include "base/UniqueHandle.h"

namespace updater {
namespace {

constexpr wchar_t kSection[] = L"General";

using H = HandOverFile;
using S = RunSwitches;

// The keys of the section, each holding one text of the hand-over, one text of its switches, or
// one of its flags ("true" when set).
struct Key {
  const wchar_t* name;
  std::wstring H::*text;
  std::wstring S::*switchText;
  bool S::*flag;
};

constexpr Key kKeys[] = {
    {L"RealUpdaterPath", &H::realUpdaterPath, nullptr, nullptr},
    {L"ClientConfigPath", &H::clientConfigPath, nullptr, nullptr},
    {L"ServerConfigPath", &H::serverConfigPath, nullptr, nullptr},
    {L"JustDownloadUpdates", nullptr, nullptr, &S::justDownload},
    {L"StartMinimized", nullptr, nullptr, &S::startMinimized},
    {L"URL", &H::url, nullptr, nullptr},
    {L"restartapp", nullptr, &S::restartPath, nullptr},
    {L"restartappcmd", nullptr, &S::restartArguments, nullptr},
    {L"startappfirst", nullptr, nullptr, &S::startAppFirst},
    {L"NoGUI", nullptr, nullptr, &S::noGui},
    {L"ReducedGUI", nullptr, nullptr, &S::reducedGui},
    {L"ForceMSIBasicUI", nullptr, nullptr, &S::forceMsiBasicUi},
    {L"IPCObjNameBase", &H::ipcObjectNameBase, nullptr, nullptr},
    {L"UninstallFilePath", &H::uninstallFilePath, nullptr, nullptr},
};

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
  HandOverFile values;
  for (const Key& key : kKeys) {
    std::wstring value = ini.Value(kSection, key.name);
    if (key.text != nullptr) {
      values.*key.text = std::move(value);
    } else if (key.switchText != nullptr) {
      values.switches.*key.switchText = std::move(value);
    } else {
      values.switches.*key.flag = value == L"true";
    }
  }
  return values;
}

ResultCode WriteHandOverFile(const std::wstring& path, const HandOverFile& values) {
  const ResultCode created = CreateUtf16File(path);
  if (created != kSuccess) return created;
  const IniFile ini(path);
  for (const Key& key : kKeys) {
    const std::wstring value = key.text != nullptr         ? values.*key.text
                               : key.switchText != nullptr ? values.switches.*key.switchText
                               : values.switches.*key.flag ? L"true"
                                                           : L"";
    if (value.empty()) continue;
    const ResultCode result = ini.WriteString(kSection, key.name, value);
    if (result != kSuccess) return result;
  }
  return kSuccess;
}

}  // namespace updater
