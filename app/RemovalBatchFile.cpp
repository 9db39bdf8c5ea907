#include "app/RemovalBatchFile.h"

#include <windows.h>

#include "base/AnsiText.h"
#include "base/UniqueHandle.h"

namespace updater {

std::wstring RemovalBatchText(const std::vector<std::wstring>& handOverFiles,
                              const std::wstring& copyExecutable, const std::wstring& copyFolder,
                              const std::wstring& batchPath) {
  const auto quoted = [](const std::wstring& path) { return L"\"" + path + L"\""; };
  std::wstring text = L"@echo off \r\n";
  for (const std::wstring& file : handOverFiles) text += L"del " + quoted(file) + L" \r\n";
  text += L":again \r\n";
  text += L"if not exist " + quoted(copyExecutable) + L" goto end \r\n";
  text += L"if exist " + quoted(copyExecutable) + L" del " + quoted(copyExecutable) + L" \r\n";
  text += L"goto again \r\n";
  text += L":end \r\n";
  text += L"rmDir " + quoted(copyFolder) + L" \r\n";
  text += L"del " + quoted(batchPath) + L" | cls";
  return text;
}

ResultCode ChooseRemovalBatchFile(const std::wstring& folder, RemovalBatchFile* batch) {
  wchar_t name[MAX_PATH] = {};
  if (GetTempFileNameW(folder.c_str(), L"qzu", 0, name) == 0) return GetLastError();
  batch->placeholder = name;
  const std::size_t dot = batch->placeholder.rfind(L'.');
  batch->path = batch->placeholder.substr(0, dot) + L".bat";
  return kSuccess;
}

ResultCode WriteRemovalBatchFile(const std::wstring& path, const std::wstring& text) {
  const std::string ansi = ToAnsiText(text);
  FileHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return GetLastError();
  DWORD written = 0;
  if (!WriteFile(file.Get(), ansi.data(), static_cast<DWORD>(ansi.size()), &written, nullptr) ||
      written != ansi.size()) {
    const DWORD error = GetLastError();
    return error != ERROR_SUCCESS ? error : ERROR_WRITE_FAULT;
  }
  return kSuccess;
}

}  // namespace updater
