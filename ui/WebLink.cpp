#include "ui/WebLink.h"

#include <richedit.h>

#include <atomic>
#include <cstring>

#include "base/AnsiText.h"
#include "base/ProcessStart.h"
#include "base/TextUtil.h"
#include "base/UniqueHandle.h"
#include "base/UserTempPath.h"

namespace updater {
namespace {

constexpr char kUrlCharacters[] = "-_.~!*'();:@&=+$,/?#[]";

bool IsUrlByte(unsigned char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
         (c != 0 && std::strchr(kUrlCharacters, c) != nullptr);
}

}  // namespace

bool IsOpenableLink(const std::wstring& link) {
  for (const wchar_t* scheme : {L"http://", L"https://"}) {
    const std::wstring prefix(scheme);
    if (StartsWithNoCase(link, prefix) && link.size() > prefix.size()) return true;
  }
  return false;
}

std::string InternetShortcutText(const std::wstring& target) {
  if (!IsOpenableLink(target)) return {};
  std::string text = "[InternetShortcut]\r\nURL=";
  static constexpr char kHex[] = "0123456789ABCDEF";
  for (const char byte : ToUtf8Text(target)) {
    const unsigned char c = static_cast<unsigned char>(byte);
    if (IsUrlByte(c)) {
      text.push_back(byte);
    } else {
      text += {'%', kHex[c >> 4], kHex[c & 15]};
    }
    if (text.size() > kMaxShortcutBytes - 2) return {};
  }
  return text + "\r\n";
}

const FormatRange* FindLink(const std::vector<FormatRange>& ranges, const CHARRANGE& clicked) {
  for (const FormatRange& range : ranges) {
    if (range.kind == FormatKind::Link && range.start == clicked.cpMin &&
        range.end == clicked.cpMax) {
      return &range;
    }
  }
  return nullptr;
}

ResultCode OpenLink(const FormatRange& link, std::wstring* shortcutPath) {
  shortcutPath->clear();
  const std::string text =
      link.kind == FormatKind::Link ? InternetShortcutText(link.target) : std::string();
  if (text.empty()) return ERROR_INVALID_DATA;
  const std::wstring folder = UserTempPath();
  if (folder.empty()) return ERROR_PATH_NOT_FOUND;
  static std::atomic<unsigned> counter{0};
  const std::wstring path = folder + L"UpdaterLink" + std::to_wstring(GetCurrentProcessId()) +
                            L"-" + std::to_wstring(++counter) + L".url";
  {
    // A new file: never write through whatever already has the name.
    FileHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return GetLastError();
    DWORD written = 0;
    if (!WriteFile(file.Get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr)) {
      const ResultCode error = GetLastError();
      file.Reset();
      DeleteFileW(path.c_str());
      return error;
    }
  }
  *shortcutPath = path;
  ShellOpen open{path};
  open.show = SW_SHOW;
  open.mask = 0;  // the user clicked it: where nothing opens web links, the shell may say so
  if (OpenThroughShell(open) == kSuccess) return kSuccess;
  open.verb = nullptr;
  return OpenThroughShell(open);
}

}  // namespace updater
