#include "install/AppPackageScript.h"

namespace updater {
namespace {

bool IsPowerShellQuote(wchar_t c) {
  return c == L'\'' || c == 0x2018 || c == 0x2019 || c == 0x201A || c == 0x201B;
}

}  // namespace

std::wstring PowerShellLiteral(const std::wstring& text) {
  std::wstring literal = L"'";
  for (const wchar_t c : text) {
    if (IsPowerShellQuote(c)) literal.push_back(c);
    literal.push_back(c);
  }
  return literal + L"'";
}

std::wstring AppPackageScript(const std::wstring& packagePath) {
  return L"Add-AppxPackage -LiteralPath " + PowerShellLiteral(packagePath) +
         L" \n exit $error.count\n";
}

}  // namespace updater
