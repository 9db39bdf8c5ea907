#include "ui/TrayIcon.h"

#include <shlwapi.h>

namespace updater {
namespace {

constexpr UINT kDataSize = NOTIFYICONDATAW_V3_SIZE;
static_assert(sizeof(void*) != 4 || kDataSize == 952,
              "the shell reads the data block in its 952-byte form");

DWORD ShellMajorVersion() {
  const HMODULE shell = GetModuleHandleW(L"shell32.dll");
  const auto getVersion =
      shell != nullptr ? reinterpret_cast<DLLGETVERSIONPROC>(
                             reinterpret_cast<void*>(GetProcAddress(shell, "DllGetVersion")))
                       : nullptr;
  DLLVERSIONINFO info = {};
  info.cbSize = sizeof(info);
  return getVersion != nullptr && SUCCEEDED(getVersion(&info)) ? info.dwMajorVersion : 0;
}

template <std::size_t N>
void CopyField(wchar_t (&field)[N], const std::wstring& text) {
  const std::wstring cut = CutText(text, N - 1);
  cut.copy(field, N - 1);
  field[cut.size()] = L'\0';
}

}  // namespace

std::size_t TipCapacity(DWORD shellMajorVersion) {
  return shellMajorVersion >= 5 ? kNewShellTipCapacity : kOldShellTipCapacity;
}

std::wstring CutText(const std::wstring& text, std::size_t limit) {
  if (text.size() <= limit) {
    return text;
  }
  std::size_t size = limit;
  if (size > 0 && IS_HIGH_SURROGATE(text[size - 1])) {
    --size;
  }
  return text.substr(0, size);
}

std::wstring TipText(const std::wstring& name, std::size_t capacity) {
  std::wstring escaped;
  for (const wchar_t c : name) {
    escaped += c;
    if (c == L'&') {
      escaped += L'&';
    }
  }
  std::wstring tip = CutText(escaped, capacity - 1);
  std::size_t ampersands = 0;
  while (ampersands < tip.size() && tip[tip.size() - 1 - ampersands] == L'&') {
    ++ampersands;
  }
  if (ampersands % 2 != 0) {
    tip.pop_back();
  }
  return tip;
}

TrayIcon::TrayIcon() : data_(), tipCapacity_(TipCapacity(ShellMajorVersion())) {
  data_.cbSize = kDataSize;
}

ResultCode TrayIcon::Notify(DWORD message) {
  if (Shell_NotifyIconW(message, &data_)) {
    return kSuccess;
  }
  const DWORD error = GetLastError();
  return error != 0 ? error : ERROR_GEN_FAILURE;
}

ResultCode TrayIcon::Add(HWND window, UINT id, UINT callbackMessage, HICON icon,
                         const std::wstring& tip) {
  Remove();
  data_.hWnd = window;
  data_.uID = id;
  data_.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
  data_.uCallbackMessage = callbackMessage;
  data_.hIcon = icon;
  CopyField(data_.szTip, TipText(tip, tipCapacity_));
  const ResultCode result = Notify(NIM_ADD);
  added_ = result == kSuccess;
  return result;
}

ResultCode TrayIcon::SetTip(const std::wstring& tip) {
  if (!added_) {
    return ERROR_NOT_FOUND;
  }
  data_.uFlags = NIF_TIP;
  CopyField(data_.szTip, TipText(tip, tipCapacity_));
  return Notify(NIM_MODIFY);
}

ResultCode TrayIcon::ShowBalloon(const std::wstring& text, const std::wstring& title,
                                 UINT timeoutMs, DWORD flags) {
  if (!added_) {
    return ERROR_NOT_FOUND;
  }
  data_.uFlags = NIF_INFO;
  static_assert(sizeof(data_.szInfo) / sizeof(wchar_t) == kBalloonTextLimit + 1, "text field");
  static_assert(sizeof(data_.szInfoTitle) / sizeof(wchar_t) == kBalloonTitleLimit + 1, "title");
  CopyField(data_.szInfo, text);
  CopyField(data_.szInfoTitle, title);
  data_.uTimeout = timeoutMs;
  data_.dwInfoFlags = flags;
  return Notify(NIM_MODIFY);
}

ResultCode TrayIcon::Remove() {
  if (!added_) {
    return kSuccess;
  }
  added_ = false;
  data_.uFlags = 0;
  return Notify(NIM_DELETE);
}

}  // namespace updater
