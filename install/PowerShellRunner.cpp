#include "install/PowerShellRunner.h"

#include <windows.h>
#include <objbase.h>
#include <shlobj.h>
#include <shlwapi.h>

#include <iterator>

#include "base/ProcessStart.h"
#include "base/UniqueHandle.h"
#include "base/UserTempPath.h"

namespace updater {
namespace {

// A name in the temporary folder that no other run uses, with the given extension; the file is
// not created. False when the folder is unknown.
bool NewTemporaryName(const std::wstring& folder, const wchar_t* extension, std::wstring* name) {
  GUID guid;
  wchar_t guidText[40] = {};
  if (folder.empty() || FAILED(CoCreateGuid(&guid)) ||
      StringFromGUID2(guid, guidText, static_cast<int>(std::size(guidText))) == 0) {
    return false;
  }
  *name = folder + L"upd" + guidText + L"." + extension;
  return true;
}

bool WriteScriptFile(const std::wstring& path, const std::wstring& script) {
  const FileHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return false;
  const wchar_t byteOrderMark = 0xFEFF;
  DWORD written = 0;
  if (!WriteFile(file.Get(), &byteOrderMark, sizeof(byteOrderMark), &written, nullptr) ||
      written != sizeof(byteOrderMark)) {
    return false;
  }
  const DWORD size = static_cast<DWORD>(script.size() * sizeof(wchar_t));
  return size == 0 ||
         (WriteFile(file.Get(), script.data(), size, &written, nullptr) && written == size);
}

std::string ReadWholeFile(const std::wstring& path) {
  const FileHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  std::string bytes;
  LARGE_INTEGER size = {};
  if (!file || !GetFileSizeEx(file.Get(), &size) || size.QuadPart <= 0 ||
      size.QuadPart > MAXDWORD / 2) {
    return bytes;
  }
  bytes.resize(static_cast<std::size_t>(size.QuadPart));
  DWORD read = 0;
  if (!ReadFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr)) {
    read = 0;
  }
  bytes.resize(read);
  return bytes;
}

}  // namespace

std::wstring SystemPowerShellPath() {
  wchar_t path[MAX_PATH] = {};
  if (FAILED(SHGetFolderPathW(nullptr, CSIDL_SYSTEM, nullptr, SHGFP_TYPE_CURRENT, path)) ||
      !PathAppendW(path, L"WindowsPowerShell\\v1.0\\powershell.exe")) {
    return std::wstring();
  }
  return path;
}

std::wstring PowerShellCommandLine(const std::wstring& scriptPath, const std::wstring& outputPath) {
  return L"powershell.exe -NonInteractive -NoLogo -ExecutionPolicy Unrestricted -WindowStyle "
         L"Hidden -Command \"$host.UI.RawUI.BufferSize = new-object "
         L"System.Management.Automation.Host.Size(1024,50);\" \"&\"\"" +
         scriptPath + L"\"\"\" 2> \"" + outputPath + L"\"";
}

std::wstring ScriptErrorText(const std::string& bytes) {
  const auto* data = reinterpret_cast<const wchar_t*>(bytes.data());
  const std::size_t count = bytes.size() / sizeof(wchar_t);
  if (count > 0 && data[0] == 0xFEFF) return std::wstring(data + 1, count - 1);
  if (bytes.size() % sizeof(wchar_t) != 0 || count == 0) return std::wstring();
  int tests = IS_TEXT_UNICODE_ASCII16 | IS_TEXT_UNICODE_STATISTICS;
  if (!IsTextUnicode(bytes.data(), static_cast<int>(bytes.size()), &tests)) return std::wstring();
  return std::wstring(data, count);
}

PowerShellRunner::PowerShellRunner() {
  const std::wstring path = SystemPowerShellPath();
  if (!path.empty() && PathFileExistsW(path.c_str())) executablePath_ = path;
}

bool PowerShellRunner::RunScript(const std::wstring& script) {
  const std::wstring folder = UserTempPath();
  std::wstring scriptPath;
  if (!NewTemporaryName(folder, L"ps1", &scriptPath)) {
    output_ = L"Unable to get temp file " + folder;
    return false;
  }
  if (!WriteScriptFile(scriptPath, script)) {
    output_ = L"Unable to save script file " + scriptPath;
    return false;
  }
  return RunScriptFile(scriptPath);
}

bool PowerShellRunner::RunScriptFile(const std::wstring& scriptPath) {
  if (executablePath_.empty()) {
    output_ = L"Unable to find file " + executablePath_;
    return false;
  }
  const std::wstring folder = UserTempPath();
  std::wstring outputPath;
  if (!NewTemporaryName(folder, L"txt", &outputPath)) {
    output_ = L"Unable to get a temp file for script output, temp path: " + folder;
    return false;
  }
  ProgramStart start{executablePath_, PowerShellCommandLine(scriptPath, outputPath)};
  start.show = SW_HIDE;
  KernelHandle process;
  if (StartProgram(start, &process) != kSuccess) {
    output_ = L"Unable to create process: " + executablePath_;
    return false;
  }
  WaitForSingleObject(process.Get(), INFINITE);

  output_ = ScriptErrorText(ReadWholeFile(outputPath));
  DeleteFileW(outputPath.c_str());
  DeleteFileW(scriptPath.c_str());

  DWORD exitCode = 0;
  if (!GetExitCodeProcess(process.Get(), &exitCode)) {
    output_ = L"Unable to retrieve exit code from process.";
    return false;
  }
  if (exitCode != 0 && output_.empty()) {
    output_ = L"Unable to retrieve PowerShell output from file: " + outputPath;
  }
  return exitCode == 0;
}

}  // namespace updater
