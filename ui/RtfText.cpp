#include "ui/RtfText.h"

#include <cstdio>
#include <cwchar>

#include "catalogue/OsFacts.h"

namespace updater {

std::string EscapeRtf(const std::wstring& text) {
  std::string rtf;
  rtf.reserve(text.size() * 4);
  for (const wchar_t c : text) {
    if ((c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z') || (c >= L'0' && c <= L'9')) {
      rtf.push_back(static_cast<char>(c));
    } else {
      char escape[16];
      std::snprintf(escape, sizeof(escape), "\\u%u?", static_cast<unsigned>(c));
      rtf += escape;
    }
  }
  return rtf;
}

std::string RtfHeader(UINT codePage, LANGID language, bool semiboldTitles) {
  char header[512];
  std::snprintf(header, sizeof(header),
                "{\\rtf1\\ansi\\ansicpg%u\\deff0{\\fonttbl{\\f0\\fswiss\\fcharset1 %s;}"
                "{\\f1\\fnil\\fcharset2 Symbol;}{\\f2\\fnil\\fcharset3 %s;}}"
                "{\\*\\generator Msftedit 5.41.15.1507;}\\viewkind4\\uc1\\pard\\li144\\lang%u"
                "\\f0\\fs20 ",
                codePage, "Segoe UI", semiboldTitles ? "Segoe UI Semibold" : "Segoe UI",
                static_cast<unsigned>(language));
  return header;
}

const std::string& SystemRtfHeader() {
  static const std::string header = [] {
    const LANGID language = GetSystemDefaultLangID();
    wchar_t codePage[8] = {};
    GetLocaleInfoW(MAKELCID(language, SORT_DEFAULT), LOCALE_IDEFAULTANSICODEPAGE, codePage,
                   static_cast<int>(std::size(codePage)));
    const OsFacts& os = CurrentOsFacts();
    const bool windows8OrLater = os.major > 6 || (os.major == 6 && os.minor >= 2);
    return RtfHeader(static_cast<UINT>(std::wcstoul(codePage, nullptr, 10)), language,
                     windows8OrLater);
  }();
  return header;
}

}  // namespace updater
