#include "handover/RemovalBatchFile.h"

#include <windows.h>

#include <cwchar>

#include "base/AnsiText.h"
#include "base/Logger.h"
#include "base/PrivateFolder.h"
#include "base/ProcessStart.h"

namespace updater {
namespace {

// GetTempFileNameW's limit: its unique part has four hexadecimal digits.
constexpr unsigned kBatchNameCount = 0x10000;

}  // namespace

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

bool IsSafeInBatchLine(const std::wstring& path) {
  for (const wchar_t c : path) {
    if (IsControlCharacter(c) || std::wcschr(L"%\"^&!<>|", c) != nullptr) {
      return false;
    }
  }
  return true;
}

std::wstring RemovalBatchFileName(const std::wstring& folder, const wchar_t* prefix,
                                  unsigned number) {
  wchar_t name[16];
  std::swprintf(name, sizeof(name) / sizeof(name[0]), L"%X.bat", number & 0xFFFFu);
  return folder + (!folder.empty() && folder.back() == L'\\' ? L"" : L"\\") + prefix + name;
}

ResultCode CreateRemovalBatchFile(const std::wstring& folder, const wchar_t* prefix,
                                  unsigned firstNumber, bool privateFile, RemovalBatchFile* batch) {
  for (unsigned attempt = 0; attempt < kBatchNameCount; ++attempt) {
    const std::wstring path = RemovalBatchFileName(folder, prefix, firstNumber + attempt);
    FileHandle file;
    ResultCode error = kSuccess;
    if (privateFile) {
      error = CreatePrivateFile(path, &file);
    } else {
      file.Reset(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                             FILE_ATTRIBUTE_NORMAL, nullptr));
      if (!file) error = GetLastError();
    }
    if (error == kSuccess) {
      batch->path = path;
      batch->file = std::move(file);
      return kSuccess;
    }
    if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) return error;
  }
  return ERROR_FILE_EXISTS;
}

ResultCode WriteRemovalBatchFile(const RemovalBatchFile& batch,
                                 const std::vector<std::wstring>& handOverFiles,
                                 const std::wstring& copyExecutable,
                                 const std::wstring& copyFolder) {
  std::vector<std::wstring> paths = handOverFiles;
  paths.insert(paths.end(), {copyExecutable, copyFolder, batch.path});
  std::string ansi;
  for (const std::wstring& path : paths) {
    if (!IsSafeInBatchLine(path) || !ToExactAnsiText(path, &ansi)) {
      Log(kLogError, L"Refused to write a path into the removal batch file: " + path);
      return kUnsafeBatchPath;
    }
  }
  // Exact now: each path converted so above, and the rest of the lines is ASCII.
  ToExactAnsiText(RemovalBatchText(handOverFiles, copyExecutable, copyFolder, batch.path), &ansi);
  DWORD written = 0;
  if (!WriteFile(batch.file.Get(), ansi.data(), static_cast<DWORD>(ansi.size()), &written,
                 nullptr) ||
      written != ansi.size()) {
    const DWORD error = GetLastError();
    return error != ERROR_SUCCESS ? error : ERROR_WRITE_FAULT;
  }
  return kSuccess;
}

void StartRemovalBatchFile(const std::wstring& path) {
  ShellOpen removal{path};
  removal.folder = path.substr(0, path.find_last_of(L'\\') + 1);
  removal.show = SW_HIDE;
  removal.mask = SEE_MASK_FLAG_NO_UI | SEE_MASK_NO_CONSOLE;
  OpenThroughShell(removal);
}

}  // namespace updater
