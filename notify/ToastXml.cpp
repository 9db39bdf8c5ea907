#include "notify/ToastXml.h"

#include <windows.h>

#include "base/AnsiText.h"
#include "catalogue/DownloadLocation.h"
#include "resources/ResourceIds.h"

namespace updater {

std::wstring EscapeXml(const std::wstring& text) {
  std::wstring escaped;
  escaped.reserve(text.size());
  for (const wchar_t c : text) {
    switch (c) {
      case L'&': escaped += L"&amp;"; break;
      case L'<': escaped += L"&lt;"; break;
      case L'>': escaped += L"&gt;"; break;
      case L'"': escaped += L"&quot;"; break;
      case L'\'': escaped += L"&apos;"; break;
      default: escaped += c;
    }
  }
  return escaped;
}

bool IsToastImageName(const std::wstring& name) {
  const std::size_t dot = name.rfind(L'.');
  if (dot == 0 || dot == std::wstring::npos || !IsPlainFileName(name)) return false;
  const std::wstring extension = name.substr(dot + 1);
  for (const wchar_t* image : {L"png", L"jpg", L"jpeg", L"gif"}) {
    if (EqualsIgnoringCase(extension, image)) return true;
  }
  return false;
}

int ToastTemplateId(bool hasLink, bool hasImage) {
  if (hasLink) return hasImage ? IDR_TOAST_LINK_IMAGE : IDR_TOAST_LINK;
  return hasImage ? IDR_TOAST_IMAGE : IDR_TOAST_PLAIN;
}

std::wstring FillPlaceholders(const std::wstring& format, const std::vector<std::wstring>& values) {
  std::wstring filled;
  std::size_t next = 0;
  std::size_t from = 0;
  for (std::size_t at = format.find(L"%s"); at != std::wstring::npos;
       at = format.find(L"%s", from)) {
    filled.append(format, from, at - from);
    if (next < values.size()) filled += values[next++];
    from = at + 2;
  }
  filled.append(format, from, std::wstring::npos);
  return filled;
}

std::wstring BuildToastXml(const std::wstring& format, const ServerMessage& message,
                           const std::wstring& imagePath) {
  std::vector<std::wstring> values;
  const std::wstring launch = std::wstring(kUrlScheme) + L":/Link " + EscapeXml(message.uri);
  if (!message.uri.empty()) values.push_back(launch);
  if (!imagePath.empty()) values.push_back(EscapeXml(imagePath));
  values.push_back(EscapeXml(message.title));
  values.push_back(EscapeXml(message.body));
  if (!message.uri.empty()) {
    values.push_back(launch);
    // Without a text of its own the button names the link, as the Messages window's link does.
    values.push_back(EscapeXml(message.buttonText.empty() ? message.uri : message.buttonText));
  }
  return FillPlaceholders(format, values);
}

std::wstring EscapeSingleQuoted(const std::wstring& text) {
  std::wstring escaped;
  escaped.reserve(text.size());
  for (const wchar_t c : text) {
    escaped += c;
    // PowerShell ends a single-quoted string at the typographic single quotes too.
    if (c == L'\'' || (c >= L'\x2018' && c <= L'\x201B')) escaped += c;
  }
  return escaped;
}

std::wstring BuildToastScript(const std::wstring& format, const std::wstring& appId,
                              const std::wstring& xml) {
  return FillPlaceholders(format, {EscapeSingleQuoted(appId), xml});
}

std::wstring LoadTextResource(int id) {
  const HMODULE module = GetModuleHandleW(nullptr);
  const HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(id), RT_RCDATA);
  if (found == nullptr) return {};
  const HGLOBAL loaded = LoadResource(module, found);
  const void* bytes = loaded != nullptr ? LockResource(loaded) : nullptr;
  if (bytes == nullptr) return {};
  return FromUtf8Text(std::string(static_cast<const char*>(bytes), SizeofResource(module, found)));
}

}  // namespace updater
