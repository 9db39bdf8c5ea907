#include "app/RunMessages.h"

#include "base/ResultText.h"
#include "resources/StringIds.h"

namespace updater {
namespace {

constexpr ResultCode kFirstWinInetError = 12000;
constexpr ResultCode kLastProxyRelatedError = 12175;

}  // namespace

std::wstring CheckErrorBoxText(ResultCode result, const std::wstring& proxy,
                               const std::wstring& detail) {
  std::wstring text =
      LoadResourceString(IDS_CHECKING_FOR_UPDATES) + L" - " + UserResultText(result);
  if (result >= kFirstWinInetError && result <= kLastProxyRelatedError && !proxy.empty()) {
    text += FormatText(LoadResourceString(IDS_CUSTOM_PROXY_HINT).c_str(), proxy.c_str());
  }
  if (!detail.empty()) text += L"\n\n" + detail;
  return text;
}

std::wstring CheckErrorBoxTitle(const std::wstring& applicationName) {
  return applicationName.empty() ? LoadResourceString(IDS_UPDATER_TITLE) : applicationName;
}

std::wstring RunFailureLogLine(ResultCode result, const std::wstring& detail) {
  const wchar_t* const format = IsOwnCode(result) ? L"0x%X" : L"%d";
  // System texts end in a line break, which would split the log line.
  std::wstring text = ResultText(result);
  text.erase(text.find_last_not_of(L"\r\n") + 1);
  if (!detail.empty()) text += L": " + detail;
  return text + L" LastError: " + FormatText(format, result);
}

}  // namespace updater
